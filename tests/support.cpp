#include "tests/support.h"

#include <vector>

std::string WindowText(HWND hwnd)
{
    std::vector<char> text(GetWindowTextLengthA(hwnd) + 1, '\0');
    GetWindowTextA(hwnd, text.data(), (int)text.size());
    return text.data();
}

std::string ClassOf(HWND hwnd)
{
    char name[64] = "";
    GetClassNameA(hwnd, name, sizeof(name));
    return name;
}

std::string Hex(DWORD_PTR value)
{
    char text[16];
    wsprintfA(text, "%08lx", (DWORD)value);
    return text;
}

int DrainQueue()
{
    MSG msg;
    int quits = 0;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        quits += msg.message == WM_QUIT;
    return quits;
}

void ProgramWindowsTest::SetUp()
{
    g_notifyCount = 0;
    DrainQueue();
}

void ProgramWindowsTest::TearDown()
{
    StopWatchingMessages();
    ReleaseCapture();
    DestroyWindow(g_hwndMain);
    DestroyWindow(g_hwndCaptureHolder);
    g_hwndMain = g_hwndLog = g_hwndCaptureHolder = nullptr;
    UnregisterClassA("TEST", instance);
    DrainQueue();
}

static HHOOK g_watchHook;
static std::function<void(const CWPSTRUCT &)> g_watcher;

static LRESULT CALLBACK WatchProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION)
        g_watcher(*(const CWPSTRUCT *)lParam);
    return CallNextHookEx(g_watchHook, code, wParam, lParam);
}

void WatchMessages(std::function<void(const CWPSTRUCT &)> watcher)
{
    StopWatchingMessages();
    g_watcher = std::move(watcher);
    g_watchHook = SetWindowsHookExA(WH_CALLWNDPROC, WatchProc, nullptr, GetCurrentThreadId());
}

void StopWatchingMessages()
{
    if (g_watchHook)
        UnhookWindowsHookEx(g_watchHook);
    g_watchHook = nullptr;
}
