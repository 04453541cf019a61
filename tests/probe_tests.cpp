// The two dialog hooks, and the whole capture test sequence with the
// platform's real dialogs.
#include "tests/support.h"
#include "tests/logs.h"

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
    // Any window holding the capture brings the complaint, not only the holder.
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
    // Runs a probe's real dialog and checks the record that the dialog hands
    // its hook with WM_INITDIALOG. The Open dialog sends WM_INITDIALOG to its
    // frame too; the record is the one pending when the hook writes its line.
    void CheckRecordSeenByHook(BOOL (*probe)(HWND), const std::function<void(LPARAM)> &check)
    {
        LPARAM pending = 0;
        bool checked = false;
        WatchMessages([&](const CWPSTRUCT &call) {
            if (call.message == WM_INITDIALOG)
                pending = call.lParam;
            else if (call.hwnd == g_hwndLog && call.message == WM_SETTEXT && !checked) {
                checked = true;
                check(pending);
            }
        });
        StartDialogGuard(20000);
        probe(g_hwndMain);
        EXPECT_FALSE(StopDialogGuard()) << "the dialog did not close by itself";
        StopWatchingMessages();
        EXPECT_TRUE(checked) << "the hook wrote nothing";
    }
    std::string Holder() const { return Hex((DWORD_PTR)g_hwndCaptureHolder); }
    HWND parent = nullptr, hdlg = nullptr;
};


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

    std::string h = Holder(), other = Hex((DWORD_PTR)parent);
    EXPECT_EQ(Log(), std::string("WM_INITDIALOG:00000000\r\n") +
                         "WM_NOTIFY:" + h + " - fffffda7 - (0)\r\n" +
                         "WM_NOTIFY:" + h + " - 12345678 - (1)\r\n" +
                         "WM_NOTIFY:" + other + " - fffffda6 - (2)\r\n" + OPEN_COMPLAINT +
                         "Quitting dialog\r\n" +
                         "WM_NOTIFY:" + h + " - 00000007 - (3)\r\n" + "Quitting dialog\r\n" +
                         "WM_NOTIFY:00000000 - 00000008 - (4)\r\n" + "Quitting dialog\r\n");
}

TEST_F(HookTest, OpenHookReleasedAtTheThirdNotificationOnlyQuits)
{
    g_notifyCount = 2;
    Notify(1, nullptr);
    EXPECT_EQ(Log(), "WM_NOTIFY:00000000 - 00000001 - (2)\r\nQuitting dialog\r\n");
    EXPECT_EQ(Cancels(), std::vector<HWND>{parent});
    EXPECT_EQ(g_notifyCount, 3);
}

TEST_F(HookTest, FontHookJudgesEveryColourRequestAndCancelsTheDialogItself)
{
    g_notifyCount = 5;
    EXPECT_EQ(ChooseFontHookProc(hdlg, WM_INITDIALOG, 0, 0), 0u);
    SetCapture(parent);
    EXPECT_EQ(ChooseFontHookProc(hdlg, WM_CTLCOLORDLG, 0, 0), 0u);
    ReleaseCapture();
    EXPECT_EQ(ChooseFontHookProc(hdlg, WM_CTLCOLORDLG, 0, 0), 0u);
    EXPECT_EQ(ChooseFontHookProc(hdlg, WM_NOTIFY, 0, 0), 0u);

    EXPECT_EQ(Cancels(), std::vector<HWND>({hdlg, hdlg}));
    EXPECT_EQ(g_notifyCount, 5);
    EXPECT_EQ(Log(), "WM_INITDIALOG:00000000\r\n"
                     "WM_CTLCOLORDLG:" + Hex((DWORD_PTR)parent) + " - (5)\r\n" + FONT_COMPLAINT +
                     "Quitting dialog\r\n"
                     "WM_CTLCOLORDLG:00000000 - (5)\r\n"
                     "Quitting dialog\r\n");
}

// Where two records first differ, or -1: the offset names the member.
int FirstDifference(const void *seen, const void *expected, size_t size)
{
    for (size_t i = 0; i < size; i++)
        if (((const char *)seen)[i] != ((const char *)expected)[i])
            return (int)i;
    return -1;
}

// The record sizes of the first platform versions that had them.
const DWORD OPEN_RECORD_SIZE = sizeof(void *) == 8 ? 136 : 76;
const DWORD FONT_RECORD_SIZE = sizeof(void *) == 8 ? 104 : 60;

TEST_F(HookTest, OpenDialogGetsTheRecordAsTheProgramFillsIt)
{
    CheckRecordSeenByHook(RunOpenFileProbe, [&](LPARAM lParam) {
        OPENFILENAMEA seen = *(const OPENFILENAMEA *)lParam;
        EXPECT_STREQ(seen.lpstrFile, "");
        seen.lpstrFile = nullptr; // a buffer of the probe's own
        OPENFILENAMEA expected;
        ZeroMemory(&expected, sizeof(expected));
        expected.lStructSize = OPEN_RECORD_SIZE;
        expected.hwndOwner = g_hwndMain;
        expected.nMaxFile = MAX_PATH;
        expected.Flags = OFN_EXPLORER | OFN_ENABLEHOOK;
        expected.lpfnHook = OpenFileHookProc;
        EXPECT_EQ(FirstDifference(&seen, &expected, OPEN_RECORD_SIZE), -1);
    });
}

TEST_F(HookTest, FontDialogGetsTheRecordAsTheProgramFillsIt)
{
    CheckRecordSeenByHook(RunChooseFontProbe, [&](LPARAM lParam) {
        CHOOSEFONTA seen = *(const CHOOSEFONTA *)lParam;
        // A copy of the template, which the dialog may write the chosen font into.
        ASSERT_NE(seen.lpLogFont, nullptr);
        EXPECT_NE(seen.lpLogFont, &g_logFontTemplate);
        LOGFONTA font;
        ZeroMemory(&font, sizeof(font));
        font.lfHeight = -13;
        font.lfPitchAndFamily = FF_ROMAN | DEFAULT_PITCH;
        lstrcpyA(font.lfFaceName, "Arial");
        EXPECT_EQ(FirstDifference(seen.lpLogFont, &font, sizeof(font)), -1);
        seen.lpLogFont = nullptr;
        CHOOSEFONTA expected;
        ZeroMemory(&expected, sizeof(expected));
        expected.lStructSize = FONT_RECORD_SIZE;
        expected.hwndOwner = g_hwndMain;
        expected.iPointSize = 10;
        expected.Flags = CF_SCREENFONTS | CF_ENABLEHOOK;
        expected.lpfnHook = ChooseFontHookProc;
        expected.nFontType = REGULAR_FONTTYPE;
        EXPECT_EQ(FirstDifference(&seen, &expected, FONT_RECORD_SIZE), -1);
    });
}

// The whole sequence, started as the program starts it: by showing the
// main window. The guard bounds how long a dialog may stay open.
class SequenceTest : public ProgramWindowsTest {
protected:
    // Sets who holds the capture just before each checkpoint message, and
    // moves each piece of the log from the pane to the transcript as soon as
    // it is written, so that the pane's cap trims nothing.
    void Run(bool held)
    {
        WatchMessages([this, held](const CWPSTRUCT &call) {
            if (call.message == WM_NOTIFY || call.message == WM_CTLCOLORDLG)
                held ? (void)SetCapture(g_hwndCaptureHolder) : (void)ReleaseCapture();
            if (call.hwnd == g_hwndLog && call.message == EM_SETSEL) {
                transcript += Log();
                SetWindowTextA(g_hwndLog, "");
            }
        });
        StartDialogGuard(20000);
        ASSERT_TRUE(CreateTestWindows(instance, SW_SHOWNORMAL));
        EXPECT_FALSE(StopDialogGuard()) << "a dialog did not close by itself";
    }
    // The log of one run, the dialog's own notifications left open.
    std::string Expected(const std::string &atOpenCheckpoint, const std::string &openComplaint,
                         const std::string &atFontCheckpoint, const std::string &fontComplaint)
    {
        std::string h = Hex((DWORD_PTR)g_hwndCaptureHolder);
        return "Testing GetOpenFileName\r\n"
               "Wnd with capture:" + h + "\r\n"
               "WM_INITDIALOG:[0-9a-f]{8}\r\n"
               "WM_NOTIFY:[0-9a-f]{8} - [0-9a-f]{8} - \\(0\\)\r\n"
               "WM_NOTIFY:[0-9a-f]{8} - [0-9a-f]{8} - \\(1\\)\r\n"
               "WM_NOTIFY:" + atOpenCheckpoint + " - [0-9a-f]{8} - \\(2\\)\r\n" + openComplaint +
               "Quitting dialog\r\n"
               "(WM_NOTIFY:[0-9a-f]{8} - [0-9a-f]{8} - \\([0-9]+\\)\r\nQuitting dialog\r\n)*"
               "Wnd with capture:[0-9a-f]{8}\r\n"
               "Testing ChooseFont\r\n"
               "Wnd with capture:" + h + "\r\n"
               "WM_INITDIALOG:[0-9a-f]{8}\r\n"
               "WM_CTLCOLORDLG:" + atFontCheckpoint + " - \\(0\\)\r\n" + fontComplaint +
               "Quitting dialog\r\n"
               "(WM_CTLCOLORDLG:[0-9a-f]{8} - \\(0\\)\r\n(" + FONT_COMPLAINT + ")?Quitting dialog\r\n)*"
               "Wnd with capture:[0-9a-f]{8}\r\n";
    }
    void ExpectLog(const std::string &pattern)
    {
        EXPECT_TRUE(std::regex_match(transcript, std::regex(pattern))) << transcript;
    }
    std::string transcript;
};

TEST_F(SequenceTest, CaptureReleasedByBothDialogsBringsNoComplaint)
{
    Run(false);
    ExpectLog(Expected("00000000", "", "00000000", ""));
    EXPECT_TRUE(IsWindowVisible(g_hwndMain));
    EXPECT_FALSE(IsWindowVisible(g_hwndCaptureHolder));
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(SequenceTest, CaptureHeldInBothDialogsBringsBothComplaints)
{
    Run(true);
    std::string h = Hex((DWORD_PTR)g_hwndCaptureHolder);
    ExpectLog(Expected(h, OPEN_COMPLAINT, h, FONT_COMPLAINT));
    EXPECT_FALSE(IsWindowVisible(g_hwndCaptureHolder));
    EXPECT_EQ(GetCapture(), nullptr);
}

} // namespace
