// The program's windows, its close handling and the log pane.
#include "tests/support.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int);

namespace {

// Windows created but never shown, so the capture tests do not run.
class ShellTest : public ProgramWindowsTest {
protected:
    void CreateHidden() { ASSERT_TRUE(CreateTestWindows(instance, SW_HIDE)); }
};

TEST_F(ShellTest, WindowsHaveTheirClassesTitlesStylesAndParents)
{
    CreateHidden();
    EXPECT_EQ(ClassOf(g_hwndMain), "TEST");
    EXPECT_EQ(WindowText(g_hwndMain), "TEST");
    EXPECT_EQ(GetWindowLongA(g_hwndMain, GWL_STYLE) & WS_OVERLAPPEDWINDOW, WS_OVERLAPPEDWINDOW);
    EXPECT_EQ(GetAncestor(g_hwndMain, GA_PARENT), GetDesktopWindow());

    EXPECT_EQ(ClassOf(g_hwndLog), "Edit");
    EXPECT_EQ(GetParent(g_hwndLog), g_hwndMain);
    LONG logStyle = GetWindowLongA(g_hwndLog, GWL_STYLE);
    EXPECT_EQ(logStyle & (WS_CHILD | WS_VISIBLE | ES_MULTILINE), WS_CHILD | WS_VISIBLE | ES_MULTILINE);
    EXPECT_EQ(logStyle & (ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL), 0);
    EXPECT_EQ(Log(), "");

    EXPECT_EQ(ClassOf(g_hwndCaptureHolder), "TEST");
    EXPECT_EQ(WindowText(g_hwndCaptureHolder), "TEST");
    EXPECT_EQ(GetAncestor(g_hwndCaptureHolder, GA_PARENT), GetDesktopWindow());
    EXPECT_FALSE(IsWindowVisible(g_hwndCaptureHolder));
}

TEST_F(ShellTest, LogPaneFillsTheMainWindow)
{
    CreateHidden();
    RECT client, pane;
    GetClientRect(g_hwndMain, &client);
    GetWindowRect(g_hwndLog, &pane);
    MapWindowPoints(HWND_DESKTOP, g_hwndMain, (POINT *)&pane, 2);
    EXPECT_TRUE(EqualRect(&pane, &client));
}

TEST_F(ShellTest, CloseMinimisesAndPostsQuitZeroButDestroyPostsNothing)
{
    CreateHidden();
    EXPECT_EQ(SendMessageA(g_hwndMain, WM_CLOSE, 0, 0), 0);
    EXPECT_TRUE(IsWindow(g_hwndMain));
    EXPECT_TRUE(IsIconic(g_hwndMain));
    WPARAM code = 99;
    EXPECT_EQ(DrainQueue(&code), 1);
    EXPECT_EQ(code, 0u);

    DestroyTestWindows();
    EXPECT_FALSE(IsWindow(g_hwndMain));
    EXPECT_FALSE(IsWindow(g_hwndLog));
    EXPECT_FALSE(IsWindow(g_hwndCaptureHolder));
    EXPECT_EQ(DrainQueue(), 0);
    g_hwndMain = g_hwndLog = g_hwndCaptureHolder = nullptr;
}

TEST_F(ShellTest, MessageLoopDispatchesUntilQuitAndReturnsItsCode)
{
    CreateHidden();
    PostMessageA(g_hwndMain, WM_CLOSE, 0, 0);
    EXPECT_EQ(RunMessageLoop(), 0);
    EXPECT_TRUE(IsIconic(g_hwndMain));

    PostQuitMessage(7);
    EXPECT_EQ(RunMessageLoop(), 7);
}

TEST_F(ShellTest, HidingTheMainWindowRunsNothing)
{
    CreateHidden();
    SendMessageA(g_hwndMain, WM_SHOWWINDOW, 0, 0);
    SendMessageA(g_hwndMain, WM_SHOWWINDOW, 2, 0);
    EXPECT_EQ(Log(), "");
}

// Each failed step ends start-up there: FALSE, nothing later created or shown.
struct StartupFailure {
    const char *refusedClass;
    int nth;
    bool mainMade, logMade;
};

class StartupFailureTest : public ProgramWindowsTest,
                           public ::testing::WithParamInterface<StartupFailure> {};

TEST_P(StartupFailureTest, StopsAtTheFailedStep)
{
    const StartupFailure &failure = GetParam();
    RefuseWindowCreation(failure.refusedClass, failure.nth);
    EXPECT_FALSE(CreateTestWindows(instance, SW_SHOWNORMAL));
    AllowWindowCreation();

    EXPECT_EQ(g_hwndMain != nullptr, failure.mainMade);
    EXPECT_EQ(g_hwndLog != nullptr, failure.logMade);
    EXPECT_EQ(g_hwndCaptureHolder, nullptr);
    if (g_hwndMain) {
        EXPECT_FALSE(IsWindowVisible(g_hwndMain));
    }
    EXPECT_EQ(Log(), "");
}

INSTANTIATE_TEST_SUITE_P(EachWindow, StartupFailureTest,
                         ::testing::Values(StartupFailure{"TEST", 1, false, false},
                                           StartupFailure{"EDIT", 1, true, false},
                                           StartupFailure{"TEST", 2, true, true}));

TEST_F(ShellTest, ClassAlreadyRegisteredFailsStartupAndWinMainReturnsOne)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = instance;
    wc.lpszClassName = "TEST";
    ASSERT_NE(RegisterClassA(&wc), 0);

    EXPECT_FALSE(CreateTestWindows(instance, SW_SHOWNORMAL));
    EXPECT_EQ(g_hwndMain, nullptr);
    EXPECT_EQ(WinMain(instance, nullptr, (LPSTR) "", SW_SHOWDEFAULT), 1);
    EXPECT_EQ(g_hwndMain, nullptr);
}

// The log pane on its own: an edit control like the program's.
class LogTest : public ProgramWindowsTest {
protected:
    void SetUp() override
    {
        ProgramWindowsTest::SetUp();
        g_hwndLog = CreateWindowExA(0, "EDIT", "", WS_POPUP | ES_MULTILINE, 0, 0, 300, 200,
                                    nullptr, nullptr, instance, nullptr);
        ASSERT_NE(g_hwndLog, nullptr);
        // The pane clamps the caret to its text, so the request itself is kept.
        WatchMessages([this](const CWPSTRUCT &call) {
            if (call.hwnd == g_hwndLog && call.message == EM_SETSEL)
                selection = {call.wParam, call.lParam};
        });
    }
    void TearDown() override
    {
        DestroyWindow(g_hwndLog);
        ProgramWindowsTest::TearDown();
    }
    void Fill(size_t length) { SetWindowTextA(g_hwndLog, Sequence(length).c_str()); }
    // Characters that show where they came from: 'a'..'z' repeating.
    static std::string Sequence(size_t length, char first = 'a')
    {
        std::string text;
        for (size_t i = 0; i < length; i++)
            text += (char)('a' + (first - 'a' + i) % 26);
        return text;
    }
    static std::pair<WPARAM, LPARAM> Caret(size_t at) { return {at, (LPARAM)at}; }
    std::pair<WPARAM, LPARAM> selection;
};

TEST_F(LogTest, AppendsWholePiecesUpToTheCapacity)
{
    AppendLog("Quitting dialog\r\n");
    EXPECT_EQ(Log(), "Quitting dialog\r\n");
    EXPECT_EQ(selection, Caret(18));

    std::string old = Sequence(500);
    SetWindowTextA(g_hwndLog, old.c_str());
    AppendLog("0123456789");
    EXPECT_EQ(Log(), old + "0123456789");
    EXPECT_EQ(selection, Caret(511));
}

TEST_F(LogTest, DropsTheOldestCharactersOnceFull)
{
    std::string old = Sequence(501);
    SetWindowTextA(g_hwndLog, old.c_str());
    AppendLog("0123456789");
    EXPECT_EQ(Log(), old.substr(1) + "0123456789");
    EXPECT_EQ(selection, Caret(512));

    std::string full = Log();
    AppendLog("WM_INITDIALOG:00000000\r\n");
    EXPECT_EQ(Log(), full.substr(24) + "WM_INITDIALOG:00000000\r\n");
    EXPECT_EQ(Log().size(), 510u);
}

TEST_F(LogTest, EmptyPieceKeepsTheTextAndMovesTheCaretToTheEnd)
{
    Fill(40);
    SendMessageA(g_hwndLog, EM_SETSEL, 0, 0);
    AppendLog("");
    EXPECT_EQ(Log(), Sequence(40));
    EXPECT_EQ(selection, Caret(41));
}

TEST_F(LogTest, OverlongPaneKeepsItsNewestCharacters)
{
    // The user can type far more into the pane than the program writes.
    Fill(1500);
    AppendLog("0123456789");
    EXPECT_EQ(Log(), Sequence(1500).substr(1000) + "0123456789");
}

TEST_F(LogTest, OverlongPieceKeepsItsNewestCharacters)
{
    Fill(30);
    std::string piece = Sequence(700, 'k');
    AppendLog(piece.c_str());
    EXPECT_EQ(Log(), piece.substr(190));
}

TEST_F(LogTest, WithoutAPaneNothingHappens)
{
    HWND pane = g_hwndLog;
    g_hwndLog = nullptr;
    AppendLog("Quitting dialog\r\n");
    g_hwndLog = pane;
    EXPECT_EQ(Log(), "");
}

} // namespace
