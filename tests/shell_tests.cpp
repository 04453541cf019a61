// The program's windows, its start-up, close handling and message loop,
// and the log pane.
#include "tests/support.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int);

namespace {

using ShellTest = ProgramWindowsTest;

// Created hidden, so that the capture tests do not run.
TEST_F(ShellTest, WindowsAreMadeAsTheCheckerFindsThemAndOnlyShowingRunsTheTests)
{
    ASSERT_TRUE(CreateTestWindows(instance, SW_HIDE));
    for (HWND hwnd : {g_hwndMain, g_hwndCaptureHolder}) {
        EXPECT_EQ(ClassOf(hwnd) + "|" + WindowText(hwnd), "TEST|TEST");
        EXPECT_EQ(GetAncestor(hwnd, GA_PARENT), GetDesktopWindow());
    }
    EXPECT_EQ(ClassOf(g_hwndLog), "Edit");
    EXPECT_EQ(GetParent(g_hwndLog), g_hwndMain);
    RECT client, pane;
    GetClientRect(g_hwndMain, &client);
    GetWindowRect(g_hwndLog, &pane);
    MapWindowPoints(HWND_DESKTOP, g_hwndMain, (POINT *)&pane, 2);
    EXPECT_TRUE(EqualRect(&pane, &client)) << "the pane fills the main window";

    // Only a show that says TRUE runs the capture tests.
    SendMessageA(g_hwndMain, WM_SHOWWINDOW, 0, 0);
    SendMessageA(g_hwndMain, WM_SHOWWINDOW, 2, 0);
    EXPECT_EQ(Log(), "");
    AppendLog("one\r\ntwo\r\n");
    EXPECT_EQ(SendMessageA(g_hwndLog, EM_GETLINECOUNT, 0, 0), 3) << "the pane shows the log line by line";
}

TEST_F(ShellTest, CloseMinimisesAndEndsTheLoopWithZero)
{
    ASSERT_TRUE(CreateTestWindows(instance, SW_HIDE));
    PostMessageA(g_hwndMain, WM_CLOSE, 0, 0);
    EXPECT_EQ(RunMessageLoop(), 0);
    EXPECT_TRUE(IsIconic(g_hwndMain));
    EXPECT_EQ(DrainQueue(), 0) << "one close, one quit";
}

TEST_F(ShellTest, WinMainReturnsTheLoopsQuitCodeAndDestroysItsWindowsWithoutPostingAQuit)
{
    PostQuitMessage(7);
    EXPECT_EQ(WinMain(instance, nullptr, (LPSTR) "", SW_HIDE), 7);
    for (HWND hwnd : {g_hwndMain, g_hwndLog, g_hwndCaptureHolder})
        EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(DrainQueue(), 0);
}

// The nth window (from 1) of this class made on this thread fails, as if
// the platform refused it.
const char *g_refusedClass;
int g_creationsLeft;

LRESULT CALLBACK RefuseCreation(int code, WPARAM wParam, LPARAM lParam)
{
    const char *name = code == HCBT_CREATEWND ? ((CBT_CREATEWNDA *)lParam)->lpcs->lpszClass : nullptr;
    if (!IS_INTRESOURCE(name) && lstrcmpiA(name, g_refusedClass) == 0 && --g_creationsLeft == 0)
        return 1;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Each failed step ends start-up there: nothing later is created or shown,
// and WinMain returns 1 without entering the loop.
TEST_F(ShellTest, AFailedStartupStepEndsItAndWinMainReturnsOne)
{
    const struct {
        const char *refused; // "": none, the class is already registered
        int nth;
        bool mainMade, logMade;
    } cases[] = {{"", 0, false, false}, {"TEST", 1, false, false}, {"EDIT", 1, true, false},
                 {"TEST", 2, true, true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.refused);
        WNDCLASSA wc = {0, DefWindowProcA, 0, 0, instance, nullptr, nullptr, nullptr, nullptr, "TEST"};
        ASSERT_TRUE(*c.refused || RegisterClassA(&wc));
        g_refusedClass = c.refused, g_creationsLeft = c.nth;
        HHOOK refuser = SetWindowsHookExA(WH_CBT, RefuseCreation, nullptr, GetCurrentThreadId());
        PostQuitMessage(0); // what a start-up that went on would return
        EXPECT_EQ(WinMain(instance, nullptr, (LPSTR) "", SW_SHOWNORMAL), 1);
        UnhookWindowsHookEx(refuser);
        EXPECT_EQ(g_hwndMain != nullptr, c.mainMade);
        EXPECT_EQ(g_hwndLog != nullptr, c.logMade);
        EXPECT_EQ(g_hwndCaptureHolder, nullptr);
        EXPECT_FALSE(IsWindowVisible(g_hwndMain));
        EXPECT_EQ(Log(), "");
        TearDown();
    }
}

// 'a'..'z' repeating from the given letter, so that a piece kept from the
// wrong place shows.
std::string Letters(size_t length, char first = 'a')
{
    std::string text;
    for (size_t i = 0; i < length; i++)
        text += (char)('a' + (first - 'a' + i) % 26);
    return text;
}

// The pane keeps the newest LOG_CAPACITY characters of its text and the
// piece, even where the user typed more than that; the caret is asked for
// one past the text, and at most one past that.
TEST_F(ShellTest, LogKeepsTheNewestCharactersAndPutsTheCaretAfterThem)
{
    ASSERT_TRUE(CreateTestWindows(instance, SW_HIDE));
    // The pane clamps the caret to its text, so the request itself is kept.
    std::pair<WPARAM, LPARAM> caret;
    WatchMessages([&](const CWPSTRUCT &call) {
        if (call.hwnd == g_hwndLog && call.message == EM_SETSEL)
            caret = {call.wParam, call.lParam};
    });
    const size_t C = LOG_CAPACITY;
    const struct {
        size_t old;
        std::string piece;
        size_t caret;
    } cases[] = {{C - 10, "0123456789", C + 1}, {C - 9, "0123456789", C + 2},
                 {3 * C, "0123456789", C + 2},  {30, Letters(C + 190, 'k'), C + 2}};
    for (const auto &c : cases) {
        std::string all = Letters(c.old) + c.piece;
        SetWindowTextA(g_hwndLog, Letters(c.old).c_str());
        caret = {};
        AppendLog(c.piece.c_str());
        EXPECT_EQ(Log(), all.substr(all.size() - C)) << c.old << " + " << c.piece.size();
        EXPECT_EQ(caret, std::make_pair((WPARAM)c.caret, (LPARAM)c.caret)) << c.old;
    }
}

TEST_F(ShellTest, LogWithoutAPaneDoesNothing)
{
    // Not even the platform is called: it would leave its error behind.
    SetLastError(ERROR_ACCESS_DENIED);
    AppendLog("Quitting dialog\r\n");
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_ACCESS_DENIED);
}

} // namespace
