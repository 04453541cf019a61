// The capture survey: its bracket with the capture forced at each
// checkpoint, every kind of modal on the platform, and its output.
#include "survey/options.h"
#include "tests/support.h"

#include <winspool.h>

namespace {

class SurveyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(CreateSurveyWindows(GetModuleHandleA(nullptr)));
    }
    void TearDown() override
    {
        ReleaseCapture();
        DestroySurveyWindows();
        DrainQueue();
    }
    // Visible windows of this thread besides the main window: any left
    // after a bracket is a modal that stayed open.
    static int StrayWindows()
    {
        int count = 0;
        EnumThreadWindows(GetCurrentThreadId(), CountStray, (LPARAM)&count);
        return count;
    }
    static BOOL CALLBACK CountStray(HWND hwnd, LPARAM count)
    {
        if (hwnd != g_surveyMain && IsWindowVisible(hwnd))
            ++*(int *)count;
        return TRUE;
    }
};

std::string Cells(const Row &row)
{
    return HolderText(row.init) + "|" + HolderText(row.running) + "|" + HolderText(row.after) +
           "|" + VerdictName(row.verdict);
}

// A plain dialog for the bracket to run, with no idle messages, so that only
// the bracket's timer signals that its loop runs.
INT_PTR CALLBACK TestDialogProc(HWND hdlg, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG)
        NoteInit();
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
    return 0;
}
const Kind TEST_DIALOG = {"test_dialog", TestDialog};

// Sets the capture holder just before the survey looks, at each checkpoint.
struct Forced {
    HolderKind init, running, after;
};
Forced g_forced;
HWND g_otherWindow;
bool g_swallowTimer;
HHOOK g_sentHook, g_postedHook;

void Force(HolderKind kind)
{
    if (kind == HOLDER_OURS)
        SetCapture(g_surveyHolder);
    else if (kind == HOLDER_OTHER)
        SetCapture(g_otherWindow);
    else
        ReleaseCapture();
}

LRESULT CALLBACK ForceAtSent(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT *call = (const CWPSTRUCT *)lParam;
    if (call->message == WM_INITDIALOG)
        Force(g_forced.init);
    else if (call->message == WM_ENTERIDLE)
        Force(g_forced.running);
    else if (call->message == WM_NCDESTROY && ClassOf(call->hwnd) == "#32770")
        Force(g_forced.after);
    return CallNextHookEx(g_sentHook, code, wParam, lParam);
}

LRESULT CALLBACK ForceAtTimer(int code, WPARAM wParam, LPARAM lParam)
{
    MSG *msg = (MSG *)lParam;
    if (msg->message == WM_TIMER && !msg->hwnd) {
        Force(g_forced.running);
        NoteInit(); // too late: only the first init counts
        if (g_swallowTimer)
            msg->message = WM_NULL;
    }
    return CallNextHookEx(g_postedHook, code, wParam, lParam);
}

class ForcedBracketTest : public SurveyTest {
protected:
    void SetUp() override
    {
        SurveyTest::SetUp();
        g_otherWindow = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr,
                                        nullptr, nullptr);
        g_swallowTimer = false;
        DWORD thread = GetCurrentThreadId();
        g_sentHook = SetWindowsHookExA(WH_CALLWNDPROC, ForceAtSent, nullptr, thread);
        g_postedHook = SetWindowsHookExA(WH_GETMESSAGE, ForceAtTimer, nullptr, thread);
    }
    void TearDown() override
    {
        UnhookWindowsHookEx(g_sentHook);
        UnhookWindowsHookEx(g_postedHook);
        DestroyWindow(g_otherWindow);
        SurveyTest::TearDown();
    }
};

TEST_F(ForcedBracketTest, EachCheckpointRecordsWhoHoldsTheCaptureThen)
{
    const struct {
        Forced forced;
        const char *cells;
    } cases[] = {
        {{HOLDER_OURS, HOLDER_NOBODY, HOLDER_OTHER}, "holder|nobody|other Static|released_late"},
        {{HOLDER_NOBODY, HOLDER_OTHER, HOLDER_OURS}, "nobody|other Static|holder|taken"},
    };
    for (const auto &c : cases) {
        g_forced = c.forced;
        Row row = RunBracket(TEST_DIALOG, 5000);
        EXPECT_EQ(Cells(row), c.cells);
        EXPECT_FALSE(row.guarded);
        EXPECT_EQ(GetCapture(), nullptr) << "the bracket leaves the capture released";
    }
}

TEST_F(ForcedBracketTest, GuardClosesAModalWhoseLoopNeverSignals)
{
    g_forced = {HOLDER_OURS, HOLDER_OURS, HOLDER_NOBODY};
    g_swallowTimer = true;
    Row row = RunBracket(TEST_DIALOG, 300);
    EXPECT_EQ(Cells(row), "holder|-|nobody|not_judged");
    EXPECT_TRUE(row.guarded);
    EXPECT_EQ(StrayWindows(), 0);
}

// Every kind, on the platform as it is. Without a printer the printer
// dialogs refuse to open, and say so.
class KindTest : public SurveyTest, public ::testing::WithParamInterface<const char *> {};

bool PrinterInstalled()
{
    DWORD needed = 0, count = 0;
    EnumPrintersA(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 1, nullptr, 0, &needed,
                  &count);
    return needed > 0;
}

TEST_P(KindTest, RunsClosesItselfAndLeavesNothingOpen)
{
    std::string name = GetParam();
    const Kind *kind = FindKind(name);
    ASSERT_NE(kind, nullptr);
    Row row = RunBracket(*kind, 5000);
    EXPECT_EQ(row.kind, name);
    EXPECT_FALSE(row.guarded) << Cells(row);
    if (name.find("_setup") != std::string::npos && !PrinterInstalled())
        EXPECT_EQ(row.verdict, NOT_SHOWN) << Cells(row);
    else
        EXPECT_LE(row.verdict, TAKEN) << Cells(row);
    EXPECT_EQ(StrayWindows(), 0);
    EXPECT_EQ(GetCapture(), nullptr);
}

std::vector<const char *> KindNames()
{
    std::vector<const char *> names;
    for (const Kind &kind : AllKinds())
        names.push_back(kind.name);
    return names;
}
INSTANTIATE_TEST_SUITE_P(All, KindTest, ::testing::ValuesIn(KindNames()),
                         [](const ::testing::TestParamInfo<const char *> &info) {
                             return std::string(info.param);
                         });

TEST_F(SurveyTest, AMenuAfterAFileDialogIsNotCancelledByTheDialogsLeftovers)
{
    RunBracket(*FindKind("open_explorer"), 5000);
    EXPECT_EQ(Cells(RunBracket(*FindKind("popup_menu"), 5000)), "holder|other #32768|nobody|taken");
}

TEST(SurveyOutputTest, JsonHasOneEntryPerKindWithNullsForWhatWasNotSeen)
{
    Row taken;
    taken.kind = "popup_menu";
    taken.init.kind = HOLDER_OURS;
    taken.running = {HOLDER_OTHER, "#32768\""};
    taken.after.kind = HOLDER_NOBODY;
    taken.verdict = TAKEN;
    taken.expected = "released";
    taken.comparison = Compare("taken", "released", OUTCOME_PASSED);
    Row refused;
    refused.kind = "page_setup";
    refused.error = 0x1008;
    refused.box = "Error";
    refused.verdict = NOT_SHOWN;
    EXPECT_EQ(JsonText({taken, refused}, "\"platform\": null"),
              "{\"survey\": 1, \"platform\": null, \"kinds\": ["
              "{\"kind\": \"popup_menu\", \"init\": {\"holder\": \"holder\", \"class\": null}, "
              "\"running\": {\"holder\": \"other\", \"class\": \"#32768\\\"\"}, "
              "\"after\": {\"holder\": \"nobody\", \"class\": null}, \"verdict\": \"taken\", "
              "\"error\": null, \"box\": null, \"guarded\": false, \"expected\": \"released\", "
              "\"matches\": false, \"change\": \"regression\", "
              "\"note\": \"regression: expected released, got TAKEN\"}, "
              "{\"kind\": \"page_setup\", \"init\": null, \"running\": null, \"after\": null, "
              "\"verdict\": \"not_shown\", \"error\": \"00001008\", \"box\": \"Error\", "
              "\"guarded\": false, \"expected\": null, \"matches\": null, \"change\": null, "
              "\"note\": null}]}");
    // The table says a difference in full after the verdict, a match briefly.
    Row matched = refused;
    matched.expected = "not_shown";
    matched.comparison = Compare("not_shown", "not_shown", OUTCOME_PASSED);
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
        row.init.kind = c.init, row.running.kind = c.running, row.after.kind = c.after;
        row.guarded = c.guarded;
        EXPECT_EQ(VerdictName(Judge(row)), std::string(VerdictName(c.verdict)))
            << c.init << c.running << c.after << " guarded " << c.guarded;
    }
}

std::vector<Row> Rows(const std::vector<Verdict> &verdicts)
{
    std::vector<Row> rows(verdicts.size());
    for (size_t i = 0; i < rows.size(); i++)
        rows[i].verdict = verdicts[i];
    return rows;
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
        EXPECT_EQ(SurveyStatus(Rows(c.verdicts), false), c.lax) << ::testing::PrintToString(c.verdicts);
        EXPECT_EQ(SurveyStatus(Rows(c.verdicts), true), c.strict) << ::testing::PrintToString(c.verdicts);
    }
}

TEST(SurveyOptionsTest, OnlyKeepsTheOrderGivenAndEveryMistakeSaysWhatToDo)
{
    Options options = ParseOptions({"--json", "--only", "font,dialog", "--timeout", "2.5"});
    EXPECT_EQ(options.error, "");
    EXPECT_TRUE(options.json);
    ASSERT_EQ(options.kinds.size(), 2u);
    EXPECT_STREQ(options.kinds[0]->name, "font");
    EXPECT_STREQ(options.kinds[1]->name, "dialog");
    EXPECT_EQ(options.limitMs, 2500u);
    EXPECT_EQ(ParseOptions({}).kinds.size(), AllKinds().size());

    EXPECT_NE(ParseOptions({"--only", "font,menu"}).error.find("use some of: open_explorer,"),
              std::string::npos);
    for (const char *bad : {"--only", "--timeout"})
        EXPECT_NE(ParseOptions({bad}).error.find("needs a value"), std::string::npos);
    EXPECT_NE(ParseOptions({"--timeout", "0"}).error, "");
    EXPECT_NE(ParseOptions({"--verbose"}).error, "");
}

} // namespace
