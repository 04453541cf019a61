// The capture survey: its bracket with the capture forced at each
// checkpoint, every kind of modal on the platform, its rules and output.
#include "survey/options.h"
#include "tests/support.h"

#include <winspool.h>

namespace {

class SurveyTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(CreateSurveyWindows(GetModuleHandleA(nullptr))); }
    void TearDown() override
    {
        ReleaseCapture();
        DestroySurveyWindows();
        DrainQueue();
    }
    // What every bracket must leave: no modal open, that is no visible
    // window of this thread besides the main one, and the capture released.
    static void ExpectNothingLeft(const std::string &cells)
    {
        for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT))
            EXPECT_FALSE(h != g_surveyMain && IsWindowVisible(h) &&
                         GetWindowThreadProcessId(h, nullptr) == GetCurrentThreadId()) << cells << " " << ClassOf(h);
        EXPECT_EQ(GetCapture(), nullptr) << cells;
    }
};

std::string Cells(const Row &row)
{
    return HolderText(row.init) + "|" + HolderText(row.running) + "|" + HolderText(row.after) +
           "|" + VerdictName(row.verdict);
}

// Who holds the capture just before the bracket looks, at each checkpoint.
struct Forced {
    HolderKind init, running, after;
    bool loopSignals; // false: the bracket's timer never reaches the loop
};
Forced g_forced;
HWND g_otherWindow;

void Force(HolderKind kind)
{
    kind == HOLDER_OURS    ? (void)SetCapture(g_surveyHolder)
    : kind == HOLDER_OTHER ? (void)SetCapture(g_otherWindow)
                           : (void)ReleaseCapture();
}

// A plain dialog with no idle messages, so that only the bracket's timer
// tells that its loop runs.
INT_PTR CALLBACK TestDialogProc(HWND hdlg, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        Force(g_forced.init);
        NoteInit();
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL)
        EndDialog(hdlg, IDCANCEL);
    return message == WM_INITDIALOG;
}

DWORD TestDialog(HWND owner)
{
    static struct {
        DLGTEMPLATE header;
        WORD menu, windowClass, title;
    } plain = {{WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_NOIDLEMSG, 0, 0, 0, 0, 80, 40}, 0, 0, 0};
    DialogBoxIndirectParamA(GetModuleHandleA(nullptr), &plain.header, owner, TestDialogProc, 0);
    Force(g_forced.after);
    return 0;
}

LRESULT CALLBACK ForceAtTimer(int code, WPARAM wParam, LPARAM lParam)
{
    MSG *msg = (MSG *)lParam;
    if (msg->message == WM_TIMER && !msg->hwnd) {
        Force(g_forced.running);
        NoteInit(); // too late: only the first init counts
        if (!g_forced.loopSignals)
            msg->message = WM_NULL;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(SurveyTest, EachCheckpointRecordsWhoHoldsTheCaptureThenAndTheGuardEndsAStuckLoop)
{
    g_otherWindow = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr, nullptr, nullptr);
    HHOOK timerHook = SetWindowsHookExA(WH_GETMESSAGE, ForceAtTimer, nullptr, GetCurrentThreadId());
    const HolderKind N = HOLDER_NOBODY, O = HOLDER_OURS, X = HOLDER_OTHER;
    const struct {
        Forced forced;
        UINT limitMs;
        const char *cells;
    } cases[] = {
        {{O, N, X, true}, 5000, "holder|nobody|other Static|released_late"},
        {{N, X, O, true}, 5000, "nobody|other Static|holder|taken"},
        {{O, O, N, false}, 300, "holder|-|nobody|not_judged"},
    };
    for (const auto &c : cases) {
        g_forced = c.forced;
        Row row = RunBracket({"test_dialog", TestDialog, "Test dialog"}, c.limitMs);
        EXPECT_EQ(Cells(row), c.cells);
        EXPECT_EQ(row.guarded, !c.forced.loopSignals) << c.cells;
        ExpectNothingLeft(c.cells);
    }
    UnhookWindowsHookEx(timerHook);
    DestroyWindow(g_otherWindow);
}

// Every kind, on the platform as it is. Without a printer the printer
// dialogs refuse to open, and say so.
class KindTest : public SurveyTest, public ::testing::WithParamInterface<size_t> {};

bool PrinterInstalled()
{
    DWORD needed = 0, count = 0;
    EnumPrintersA(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 1, nullptr, 0, &needed, &count);
    return needed > 0;
}

TEST_P(KindTest, RunsClosesItselfAndLeavesNothingOpen)
{
    std::string name = AllKinds()[GetParam()].name;
    Row row = RunBracket(AllKinds()[GetParam()], 5000);
    EXPECT_EQ(row.kind, name);
    EXPECT_FALSE(row.guarded) << Cells(row);
    if (name.find("_setup") != std::string::npos && !PrinterInstalled())
        EXPECT_EQ(row.verdict, NOT_SHOWN) << Cells(row);
    else
        EXPECT_LE(row.verdict, TAKEN) << Cells(row);
    ExpectNothingLeft(Cells(row));
}

INSTANTIATE_TEST_SUITE_P(All, KindTest, ::testing::Range(size_t(0), AllKinds().size()),
                         [](const ::testing::TestParamInfo<size_t> &info) {
                             return std::string(AllKinds()[info.param].name);
                         });

TEST_F(SurveyTest, AMenuAfterAFileDialogIsNotCancelledByTheDialogsLeftovers)
{
    RunBracket(*FindKind("open_explorer"), 5000);
    EXPECT_EQ(Cells(RunBracket(*FindKind("popup_menu"), 5000)), "holder|other #32768|nobody|taken");
}

// The landmarks in order, the release in its place: "WM_INITDIALOG #1,
// [cancel_mode], WM_SHOWWINDOW #1".
std::string Sequence(const Timeline &t)
{
    std::string text, release = "[" + std::string(ReleaseCauseName(t.release.cause)) +
                                (t.release.className.empty() ? "" : " " + t.release.className) + "]";
    bool placed = t.release.cause >= RELEASE_AFTER;
    for (const Landmark &landmark : t.landmarks) {
        if (!placed && landmark.at > t.release.by)
            text += release + ", ", placed = true;
        std::string name = LandmarkName(landmark);
        text += name.substr(0, name.find(' ')) + " #" + std::to_string(landmark.ordinal) + ", ";
    }
    return placed ? text : text + release;
}

// On the platform as it is: when and how each kind loses the capture.
TEST_F(SurveyTest, TheTimelineSaysWhenAndHowTheHolderLosesTheCapture)
{
    const struct {
        const char *kind, *around;
    } cases[] = {
        {"open_explorer", "WM_NOTIFY #3, [cancel_mode], WM_SHOWWINDOW #1, "},
        {"font", "WM_INITDIALOG #1, [cancel_mode], "},
        {"popup_menu", "[taken #32768]"},
    };
    for (const auto &c : cases) {
        Row row = RunBracket(*FindKind(c.kind), 20000, true);
        const Timeline &t = row.timeline;
        ASSERT_TRUE(t.recorded) << c.kind << ": " << t.error;
        EXPECT_EQ(t.dropped, 0u) << c.kind;
        EXPECT_NE(Sequence(t).find(c.around), std::string::npos) << c.kind << ": " << Sequence(t) << "\n" << t.sentence;
        ExpectNothingLeft(c.kind);
    }
}

TEST(SurveyOutputTest, JsonHasOneEntryPerKindWithNullsForWhatWasNotSeen)
{
    Row taken, refused;
    taken.kind = "popup_menu", taken.verdict = TAKEN, taken.expected = "released";
    taken.init.kind = HOLDER_OURS, taken.running = {HOLDER_OTHER, "#32768\""}, taken.after.kind = HOLDER_NOBODY;
    taken.comparison = Compare("taken", "released", OUTCOME_PASSED);
    refused.kind = "page_setup", refused.error = 0x1008, refused.box = "Error", refused.verdict = NOT_SHOWN;
    EXPECT_EQ(JsonText({taken, refused}, "\"platform\": null"),
              "{\"survey\": 1, \"platform\": null, \"kinds\": ["
              "{\"kind\": \"popup_menu\", \"init\": {\"holder\": \"holder\", \"class\": null}, "
              "\"running\": {\"holder\": \"other\", \"class\": \"#32768\\\"\"}, "
              "\"after\": {\"holder\": \"nobody\", \"class\": null}, \"verdict\": \"taken\", "
              "\"error\": null, \"box\": null, \"guarded\": false, \"expected\": \"released\", "
              "\"matches\": false, \"change\": \"regression\", "
              "\"note\": \"regression: expected released, got TAKEN\", \"timeline\": null}, "
              "{\"kind\": \"page_setup\", \"init\": null, \"running\": null, \"after\": null, "
              "\"verdict\": \"not_shown\", \"error\": \"00001008\", \"box\": \"Error\", "
              "\"guarded\": false, \"expected\": null, \"matches\": null, \"change\": null, "
              "\"note\": null, \"timeline\": null}]}");
    // The table says a difference in full after the verdict, a match briefly.
    Row matched = refused;
    matched.expected = "not_shown", matched.comparison = Compare("not_shown", "not_shown", OUTCOME_PASSED);
    std::string table = TableText({taken, matched});
    EXPECT_NE(table.find("| taken [regression: expected released, got TAKEN]\n"), std::string::npos) << table;
    EXPECT_NE(table.find("(after a box \"Error\") [as expected]\n"), std::string::npos) << table;
}

// The judgement, without windows.
TEST(SurveyJudgementTest, VerdictFollowsTheCheckpoints)
{
    const HolderKind U = HOLDER_UNSEEN, N = HOLDER_NOBODY, O = HOLDER_OURS, X = HOLDER_OTHER;
    const struct {
        HolderKind init, running, after;
        bool guarded;
        Verdict verdict;
    } cases[] = {
        {U, U, N, false, NOT_SHOWN}, {U, U, N, true, NOT_JUDGED},    {O, U, N, false, NOT_JUDGED},
        {O, U, O, true, NOT_JUDGED}, {O, O, N, false, HELD},         {N, O, O, true, HELD},
        {O, X, X, false, TAKEN},     {X, X, N, false, TAKEN},        {N, N, N, false, RELEASED},
        {X, N, N, false, RELEASED},  {N, N, O, true, RELEASED},      {O, N, N, false, RELEASED_LATE},
        {O, N, O, true, RELEASED_LATE},
    };
    for (const auto &c : cases) {
        Row row;
        row.init.kind = c.init, row.running.kind = c.running, row.after.kind = c.after, row.guarded = c.guarded;
        EXPECT_STREQ(VerdictName(Judge(row)), VerdictName(c.verdict))
            << c.init << c.running << c.after << " guarded " << c.guarded;
    }
}

TEST(SurveyJudgementTest, StatusIsTheWorstVerdictWithLateReleasesOnlyWhenStrict)
{
    const struct {
        std::vector<Verdict> verdicts;
        int lax, strict;
    } cases[] = {
        {{}, 0, 0},           {{RELEASED}, 0, 0},           {{RELEASED_LATE}, 0, 1},
        {{HELD}, 1, 1},       {{TAKEN}, 0, 0},              {{NOT_SHOWN}, 0, 0},
        {{NOT_JUDGED}, 2, 2}, {{HELD, RELEASED}, 1, 1},     {{RELEASED_LATE, TAKEN}, 0, 1},
        {{NOT_JUDGED, HELD}, 2, 2}, {{RELEASED_LATE, NOT_JUDGED}, 2, 2},
    };
    for (const auto &c : cases) {
        std::vector<Row> rows(c.verdicts.size());
        for (size_t i = 0; i < rows.size(); i++)
            rows[i].verdict = c.verdicts[i];
        EXPECT_EQ(SurveyStatus(rows, false), c.lax) << ::testing::PrintToString(c.verdicts);
        EXPECT_EQ(SurveyStatus(rows, true), c.strict) << ::testing::PrintToString(c.verdicts);
    }
}

// The command line's shared dialect is tested with the checker's; here only
// what the survey's own options do.
TEST(SurveyOptionsTest, OnlyKeepsTheOrderGivenAndAnUnknownKindNamesTheKnownOnes)
{
    Options options = ParseOptions({"--json", "--only", "font,dialog", "--timeout", "2.5"});
    EXPECT_TRUE(options.json);
    ASSERT_EQ(options.kinds.size(), 2u);
    EXPECT_EQ(std::string(options.kinds[0]->name) + "," + options.kinds[1]->name, "font,dialog");
    EXPECT_EQ(options.limitMs, 2500u);
    EXPECT_EQ(ParseOptions({}).kinds.size(), AllKinds().size());
    EXPECT_NE(ParseOptions({"--only", "font,menu"}).error.find("\"menu\" for --only; use some of: open_explorer,"),
              std::string::npos);
    EXPECT_EQ(ParseOptions({"--only", "font,"}).error.find("unknown kind \"\" for --only"), 0u);
}

} // namespace
