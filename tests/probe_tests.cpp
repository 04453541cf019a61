// The two dialog hooks, and the whole capture test sequence with the
// platform's real dialogs.
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
    void Notify(UINT code, bool held)
    {
        if (held)
            SetCapture(g_hwndCaptureHolder);
        else
            ReleaseCapture();
        NMHDR header = {hdlg, 0, code};
        EXPECT_EQ(OpenFileHookProc(hdlg, WM_NOTIFY, 0, (LPARAM)&header), 0u);
    }
    // The Cancel commands waiting for a window, each checked for its values.
    int CancelsPostedTo(HWND hwnd)
    {
        MSG msg;
        int count = 0;
        while (PeekMessageA(&msg, hwnd, WM_COMMAND, WM_COMMAND, PM_REMOVE)) {
            EXPECT_EQ(msg.wParam, (WPARAM)IDCANCEL);
            EXPECT_EQ(msg.lParam, 2);
            count++;
        }
        return count;
    }
    std::string Holder() const { return Hex((DWORD_PTR)g_hwndCaptureHolder); }
    HWND parent = nullptr, hdlg = nullptr;
};

const char OPEN_COMPLAINT[] = "CommonFileDialog - mouse capture should have been released now!\r\n";
const char FONT_COMPLAINT[] = "ChooseFontDialog - mouse capture should have been released now!\r\n";

TEST_F(HookTest, OpenHookLogsEveryNotificationAndJudgesOnlyTheThird)
{
    EXPECT_EQ(OpenFileHookProc(hdlg, WM_INITDIALOG, 0, 0), 0u);
    Notify((UINT)-601, true);
    Notify(0x12345678, true);
    EXPECT_EQ(CancelsPostedTo(parent) + CancelsPostedTo(hdlg), 0);
    Notify((UINT)-602, true);
    EXPECT_EQ(CancelsPostedTo(parent), 1);
    Notify(7, true);
    Notify(8, false);
    EXPECT_EQ(CancelsPostedTo(parent), 2);
    EXPECT_EQ(CancelsPostedTo(hdlg), 0);
    EXPECT_EQ(g_notifyCount, 5);

    std::string h = Holder();
    EXPECT_EQ(Log(), std::string("WM_INITDIALOG:00000000\r\n") +
                         "WM_NOTIFY:" + h + " - fffffda7 - (0)\r\n" +
                         "WM_NOTIFY:" + h + " - 12345678 - (1)\r\n" +
                         "WM_NOTIFY:" + h + " - fffffda6 - (2)\r\n" + OPEN_COMPLAINT +
                         "Quitting dialog\r\n" +
                         "WM_NOTIFY:" + h + " - 00000007 - (3)\r\n" + "Quitting dialog\r\n" +
                         "WM_NOTIFY:00000000 - 00000008 - (4)\r\n" + "Quitting dialog\r\n");
}

TEST_F(HookTest, OpenHookReleasedAtTheThirdNotificationOnlyQuits)
{
    g_notifyCount = 2;
    Notify(1, false);
    EXPECT_EQ(Log(), "WM_NOTIFY:00000000 - 00000001 - (2)\r\nQuitting dialog\r\n");
    EXPECT_EQ(CancelsPostedTo(parent), 1);
    EXPECT_EQ(g_notifyCount, 3);
}

TEST_F(HookTest, OpenHookCounterBelowZeroNeitherJudgesNorQuits)
{
    g_notifyCount = -1;
    Notify(1, true);
    EXPECT_EQ(Log(), "WM_NOTIFY:" + Holder() + " - 00000001 - (-1)\r\n");
    EXPECT_EQ(CancelsPostedTo(parent), 0);
    EXPECT_EQ(g_notifyCount, 0);
}

TEST_F(HookTest, FontHookJudgesEveryColourRequestAndCancelsTheDialogItself)
{
    g_notifyCount = 5;
    EXPECT_EQ(ChooseFontHookProc(hdlg, WM_INITDIALOG, 0, 0), 0u);
    SetCapture(g_hwndCaptureHolder);
    EXPECT_EQ(ChooseFontHookProc(hdlg, WM_CTLCOLORDLG, 0, 0), 0u);
    ReleaseCapture();
    EXPECT_EQ(ChooseFontHookProc(hdlg, WM_CTLCOLORDLG, 0, 0), 0u);
    EXPECT_EQ(ChooseFontHookProc(hdlg, WM_NOTIFY, 0, 0), 0u);

    EXPECT_EQ(CancelsPostedTo(hdlg), 2);
    EXPECT_EQ(CancelsPostedTo(parent), 0);
    EXPECT_EQ(g_notifyCount, 5);
    EXPECT_EQ(Log(), "WM_INITDIALOG:00000000\r\n"
                     "WM_CTLCOLORDLG:" + Holder() + " - (5)\r\n" + FONT_COMPLAINT +
                     "Quitting dialog\r\n"
                     "WM_CTLCOLORDLG:00000000 - (5)\r\n"
                     "Quitting dialog\r\n");
}

// Posts OK ahead of the hook's Cancel, so that the dialog writes a font back.
LRESULT CALLBACK ChooseOkProc(int code, WPARAM wParam, LPARAM lParam);
HHOOK g_okHook;
LRESULT CALLBACK ChooseOkProc(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT *call = (const CWPSTRUCT *)lParam;
    if (code == HC_ACTION && call->message == WM_CTLCOLORDLG)
        PostMessageA(call->hwnd, WM_COMMAND, IDOK, 0);
    return CallNextHookEx(g_okHook, code, wParam, lParam);
}

TEST_F(HookTest, FontTemplateStaysWhenTheDialogWritesItsCopy)
{
    LOGFONTA before = g_logFontTemplate;
    g_okHook = SetWindowsHookExA(WH_CALLWNDPROC, ChooseOkProc, nullptr, GetCurrentThreadId());
    StartDialogGuard(20000);
    BOOL chosen = RunChooseFontProbe(g_hwndMain);
    EXPECT_FALSE(StopDialogGuard());
    UnhookWindowsHookEx(g_okHook);

    EXPECT_TRUE(chosen) << "the dialog should have ended with OK";
    EXPECT_EQ(memcmp(&before, &g_logFontTemplate, sizeof(LOGFONTA)), 0);
    EXPECT_EQ(g_logFontTemplate.lfHeight, -13);
    EXPECT_EQ(g_logFontTemplate.lfPitchAndFamily, 0x10);
    EXPECT_STREQ(g_logFontTemplate.lfFaceName, "Arial");
}

// The whole sequence, started as the program starts it: by showing the
// main window. The guard bounds how long a dialog may stay open.
class SequenceTest : public ProgramWindowsTest {
protected:
    void Run(ForcedCapture how)
    {
        ForceCaptureAtCheckpoints(how);
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
        EXPECT_TRUE(std::regex_match(Log(), std::regex(pattern))) << Log();
    }
};

TEST_F(SequenceTest, CaptureReleasedByBothDialogsBringsNoComplaint)
{
    Run(CAPTURE_RELEASED);
    ExpectLog(Expected("00000000", "", "00000000", ""));
    EXPECT_TRUE(IsWindowVisible(g_hwndMain));
    EXPECT_FALSE(IsWindowVisible(g_hwndCaptureHolder));
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(SequenceTest, CaptureHeldInBothDialogsBringsBothComplaints)
{
    Run(CAPTURE_HELD);
    std::string h = Hex((DWORD_PTR)g_hwndCaptureHolder);
    ExpectLog(Expected(h, OPEN_COMPLAINT, h, FONT_COMPLAINT));
    EXPECT_FALSE(IsWindowVisible(g_hwndCaptureHolder));
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(SequenceTest, ShowingTheWindowAgainRunsTheSequenceAgain)
{
    Run(CAPTURE_RELEASED);
    ShowWindow(g_hwndMain, SW_HIDE);
    ExpectLog(Expected("00000000", "", "00000000", ""));
    SetWindowTextA(g_hwndLog, "");

    StartDialogGuard(20000);
    ShowWindow(g_hwndMain, SW_SHOWNORMAL);
    EXPECT_FALSE(StopDialogGuard()) << "a dialog did not close by itself";
    ExpectLog(Expected("00000000", "", "00000000", ""));
}

} // namespace
