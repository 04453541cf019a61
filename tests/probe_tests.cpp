// The two dialog hooks, and the whole capture test sequence with the
// platform's real dialogs.
#include "survey/guard.h"
#include "tests/logs.h"
#include "tests/support.h"

#include <regex>

namespace {

// A hook dialog inside its parent, as the Open dialog makes it, and the log.
class HookTest : public ProgramWindowsTest {
protected:
    void SetUp() override
    {
        ProgramWindowsTest::SetUp();
        ASSERT_TRUE(CreateTestWindows(instance, SW_HIDE));
        parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 instance, nullptr);
        hdlg = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 5, 5, parent, nullptr,
                               instance, nullptr);
    }
    void TearDown() override
    {
        DestroyWindow(parent);
        ProgramWindowsTest::TearDown();
    }
    void Notify(UINT code, HWND holder)
    {
        holder ? (void)SetCapture(holder) : (void)ReleaseCapture();
        NMHDR header = {hdlg, 0, code};
        EXPECT_EQ(OpenFileHookProc(hdlg, WM_NOTIFY, 0, (LPARAM)&header), 0u);
    }
    // Where the waiting Cancel commands go, each checked for its values, by
    // each message's own window: a window filter also takes its children's.
    std::vector<HWND> Cancels()
    {
        MSG msg;
        std::vector<HWND> targets;
        while (PeekMessageA(&msg, nullptr, WM_COMMAND, WM_COMMAND, PM_REMOVE)) {
            EXPECT_EQ(msg.wParam, (WPARAM)IDCANCEL);
            EXPECT_EQ(msg.lParam, 2);
            targets.push_back(msg.hwnd);
        }
        return targets;
    }
    HWND parent = nullptr, hdlg = nullptr;
};

// Any window holding the capture at the checkpoint brings the complaint,
// not only the program's holder.
TEST_F(HookTest, OpenHookLogsEveryNotificationAndJudgesOnlyTheThird)
{
    EXPECT_EQ(OpenFileHookProc(hdlg, WM_INITDIALOG, 0, 0), 0u);
    Notify((UINT)-601, g_hwndCaptureHolder);
    Notify(0x12345678, g_hwndCaptureHolder);
    EXPECT_TRUE(Cancels().empty());
    Notify((UINT)-602, parent);
    EXPECT_EQ(Cancels(), std::vector<HWND>{parent});
    Notify(7, g_hwndCaptureHolder);
    Notify(8, nullptr);
    EXPECT_EQ(Cancels(), std::vector<HWND>({parent, parent}));
    EXPECT_EQ(g_notifyCount, 5);

    std::string h = Hex((DWORD_PTR)g_hwndCaptureHolder);
    EXPECT_EQ(Log(), "WM_INITDIALOG:00000000\r\nWM_NOTIFY:" + h + " - fffffda7 - (0)\r\n"
                     "WM_NOTIFY:" + h + " - 12345678 - (1)\r\n"
                     "WM_NOTIFY:" + Hex((DWORD_PTR)parent) + " - fffffda6 - (2)\r\n" + OPEN_COMPLAINT +
                     "Quitting dialog\r\nWM_NOTIFY:" + h + " - 00000007 - (3)\r\nQuitting dialog\r\n"
                     "WM_NOTIFY:00000000 - 00000008 - (4)\r\nQuitting dialog\r\n");
}

// Where two records first differ, or -1: the offset names the member.
int FirstDifference(const void *seen, const void *expected, size_t size)
{
    for (size_t i = 0; i < size; i++)
        if (((const char *)seen)[i] != ((const char *)expected)[i])
            return (int)i;
    return -1;
}

void ExpectOpenRecordAsFilled(LPARAM lParam)
{
    OPENFILENAMEA seen = *(const OPENFILENAMEA *)lParam, expected;
    EXPECT_STREQ(seen.lpstrFile, "");
    seen.lpstrFile = nullptr; // a buffer of the probe's own
    ZeroMemory(&expected, sizeof(expected));
    expected.lStructSize = OPEN_FILE_RECORD_END, expected.hwndOwner = g_hwndMain, expected.nMaxFile = MAX_PATH;
    expected.Flags = OFN_EXPLORER | OFN_ENABLEHOOK, expected.lpfnHook = OpenFileHookProc;
    EXPECT_EQ(FirstDifference(&seen, &expected, OPEN_FILE_RECORD_END), -1);
}

void ExpectFontRecordAsFilled(LPARAM lParam)
{
    CHOOSEFONTA seen = *(const CHOOSEFONTA *)lParam, expected;
    // A copy of the template, which the dialog may write the chosen font into.
    ASSERT_NE(seen.lpLogFont, nullptr);
    EXPECT_NE(seen.lpLogFont, &g_logFontTemplate);
    EXPECT_EQ(FirstDifference(seen.lpLogFont, &g_logFontTemplate, sizeof(LOGFONTA)), -1);
    seen.lpLogFont = nullptr;
    ZeroMemory(&expected, sizeof(expected));
    expected.lStructSize = CHOOSE_FONT_RECORD_SIZE, expected.hwndOwner = g_hwndMain, expected.iPointSize = 10;
    expected.Flags = CF_SCREENFONTS | CF_ENABLEHOOK, expected.lpfnHook = ChooseFontHookProc;
    expected.nFontType = REGULAR_FONTTYPE;
    EXPECT_EQ(FirstDifference(&seen, &expected, CHOOSE_FONT_RECORD_SIZE), -1);
}

// The log of one run, the dialogs' own notifications after the checkpoint left open.
std::string Expected(bool held)
{
    const std::string x = "[0-9a-f]{8}", h = Hex((DWORD_PTR)g_hwndCaptureHolder);
    const std::string at = held ? Hex((DWORD_PTR)g_hwndLog) : "00000000";
    return "Testing GetOpenFileName\r\nWnd with capture:" + h + "\r\nWM_INITDIALOG:" + x + "\r\n"
           "WM_NOTIFY:" + x + " - " + x + " - \\(0\\)\r\nWM_NOTIFY:" + x + " - " + x + " - \\(1\\)\r\n"
           "WM_NOTIFY:" + at + " - " + x + " - \\(2\\)\r\n" + (held ? OPEN_COMPLAINT : "") +
           "Quitting dialog\r\n(WM_NOTIFY:" + x + " - " + x + " - \\([0-9]+\\)\r\nQuitting dialog\r\n)*"
           "Wnd with capture:" + x + "\r\nTesting ChooseFont\r\nWnd with capture:" + h + "\r\n"
           "WM_INITDIALOG:" + x + "\r\nWM_CTLCOLORDLG:" + at + " - \\(0\\)\r\n" +
           (held ? FONT_COMPLAINT : "") + "Quitting dialog\r\n"
           "(WM_CTLCOLORDLG:" + x + " - \\(0\\)\r\n(" + FONT_COMPLAINT + ")?Quitting dialog\r\n)*"
           "Wnd with capture:" + x + "\r\n";
}

// The whole sequence, started as the program starts it: by showing the
// main window. The survey's guard closes a dialog that stays open.
class SequenceTest : public ProgramWindowsTest, public ::testing::WithParamInterface<bool> {};

TEST_P(SequenceTest, EachDialogComplainsOnlyWhenTheCaptureIsHeldAtItsCheckpoint)
{
    // Gives the capture, just before each checkpoint message, to a window
    // other than the holder, or to none; moves each piece of the log from
    // the pane to the transcript as soon as it is written, so that the
    // pane's cap trims nothing. When a hook logs its WM_INITDIALOG, the
    // record that message brought is checked: the Open dialog sends it to
    // its frame first, so the latest one is the hook's.
    const bool held = GetParam();
    LPARAM record = 0;
    int records = 0;
    std::string transcript;
    WatchMessages([&](const CWPSTRUCT &call) {
        if (call.message == WM_NOTIFY || call.message == WM_CTLCOLORDLG)
            held ? (void)SetCapture(g_hwndLog) : (void)ReleaseCapture();
        if (call.message == WM_INITDIALOG)
            record = call.lParam;
        if (call.hwnd != g_hwndLog || call.message != EM_SETSEL)
            return;
        std::string piece = Log();
        if (piece.rfind("WM_INITDIALOG:", 0) == 0 && records < 2)
            (records++ ? ExpectFontRecordAsFilled : ExpectOpenRecordAsFilled)(record);
        transcript += piece;
        SetWindowTextA(g_hwndLog, "");
    });
    Row guarded;
    StartGuard(guarded, 20000);
    EXPECT_TRUE(CreateTestWindows(instance, SW_SHOWNORMAL));
    EXPECT_FALSE(StopGuard()) << "a dialog did not close by itself";
    StopWatchingMessages();
    EXPECT_EQ(records, 2);
    EXPECT_TRUE(std::regex_match(transcript, std::regex(Expected(held)))) << transcript;
    EXPECT_TRUE(IsWindowVisible(g_hwndLog)) << "the main window and its pane show";
    EXPECT_FALSE(IsWindowVisible(g_hwndCaptureHolder));
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(g_notifyCount, 0) << "the Font dialog's hook only prints the Open dialog's counter";
}

INSTANTIATE_TEST_SUITE_P(HeldOrReleased, SequenceTest, ::testing::Bool());

} // namespace
