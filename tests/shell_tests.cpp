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
}

TEST_F(ShellTest, WinMainReturnsTheLoopsQuitCode)
{
    PostQuitMessage(7);
    EXPECT_EQ(WinMain(instance, nullptr, (LPSTR) "", SW_HIDE), 7);
    EXPECT_FALSE(IsWindow(g_hwndMain));
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
    // Characters that show where they came from: 'a'..'z' repeating.
    static std::string Sequence(size_t length, char first = 'a')
    {
        std::string text;
        for (size_t i = 0; i < length; i++)
            text += (char)('a' + (first - 'a' + i) % 26);
        return text;
    }
    std::pair<WPARAM, LPARAM> selection;
};

// The pane keeps the newest 510 characters of its text and the piece, even
// where the user typed more than that, and the caret goes after the last.
TEST_F(LogTest, KeepsTheNewestCharactersAndPutsTheCaretAfterThem)
{
    const struct {
        size_t old;
        std::string piece;
        size_t kept, caret;
    } cases[] = {
        {0, "Quitting dialog\r\n", 17, 18}, {500, "0123456789", 510, 511},
        {501, "0123456789", 510, 512},      {40, "", 40, 41},
        {1500, "0123456789", 510, 512},     {30, Sequence(700, 'k'), 510, 512},
    };
    for (const auto &c : cases) {
        std::string all = Sequence(c.old) + c.piece;
        SetWindowTextA(g_hwndLog, Sequence(c.old).c_str());
        SendMessageA(g_hwndLog, EM_SETSEL, 0, 0);
        AppendLog(c.piece.c_str());
        EXPECT_EQ(Log(), all.substr(all.size() - c.kept)) << c.old << " + " << c.piece.size();
        EXPECT_EQ(selection, std::make_pair((WPARAM)c.caret, (LPARAM)c.caret)) << c.old;
    }
}

TEST_F(LogTest, WithoutAPaneNothingHappens)
{
    // Not even the platform is called: it would leave its error behind.
    HWND pane = g_hwndLog;
    g_hwndLog = nullptr;
    SetLastError(ERROR_ACCESS_DENIED);
    AppendLog("Quitting dialog\r\n");
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_ACCESS_DENIED);
    g_hwndLog = pane;
}

} // namespace
