// A stand-in for TEST.exe, built under the name of each way it fails
// that the checker must survive; the name it runs under picks the way. Any
// other name (shows_log, or a copy named NAME.exe) shows the log in the
// NAME.case file beside it: its first line is the exit code to end with
// once closed, the rest the pane's text, in UTF-8.
#include "platform/platform.h"
#include "tests/standins/standins.h"

#include <stdlib.h>
#include <string.h>

static WNDPROC g_standardProc;

// The log of a program whose Open dialog is up.
static const char OPENING_LOG[] = "Testing GetOpenFileName\r\n";

static LRESULT CALLBACK StandInProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

// Takes its time to end once closed, as a program that saves its state
// does; its title says when it is closing.
static LRESULT CALLBACK SlowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE) {
        SetWindowTextA(hwnd, "closing");
        Sleep(2000);
    }
    return CallWindowProcA(g_standardProc, hwnd, message, wParam, lParam);
}

// A crash ends the process at once, as where no debugger is set to start.
static LONG WINAPI EndAtOnce(EXCEPTION_POINTERS *)
{
    return EXCEPTION_EXECUTE_HANDLER;
}

// A hidden "TEST" main window with its log pane, as the program makes them.
static HWND CreateHiddenMainWindow(HINSTANCE instance, const char *log)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = StandInProc;
    wc.hInstance = instance;
    wc.lpszClassName = "TEST";
    wc.hbrBackground = CreateSolidBrush(STANDIN_BACKGROUND);
    RegisterClassA(&wc);
    HWND main = CreateWindowExA(0, "TEST", "TEST", WS_OVERLAPPEDWINDOW, 100, 100, 400, 300,
                                NULL, NULL, instance, NULL);
    CreateWindowExA(0, "EDIT", log, WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, STANDIN_PANE_WIDTH,
                    STANDIN_PANE_HEIGHT, main, NULL, instance, NULL);
    return main;
}

static int RunMessages(HWND main, int exitCode)
{
    if (main)
        ShowWindow(main, SW_SHOWNORMAL);
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0)
        DispatchMessageA(&msg);
    return exitCode;
}

// Starts a copy of itself that outlives it, handing down every handle it may.
static void LeaveChild(const char *path)
{
    char line[MAX_PATH + 16];
    wsprintfA(line, "\"%s\" child", path);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION child;
    if (CreateProcessA(path, line, NULL, NULL, TRUE, 0, NULL, NULL, &startup, &child)) {
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
    }
}

// Answers no message again, not even from the checker, as a hung program.
[[noreturn]] static void Hang()
{
    for (;;)
        Sleep(INFINITE);
}

// A bare dialog window, which has no procedure of its own that Cancel would end.
static void ShowBareDialog(HINSTANCE instance, const char *title)
{
    HWND main = CreateHiddenMainWindow(instance, OPENING_LOG);
    CreateWindowExA(0, "#32770", title, WS_POPUP | WS_VISIBLE | WS_CAPTION, 150, 150, 200, 100, main,
                    NULL, instance, NULL);
}

static int ShowGivenLog(HINSTANCE instance, char *path)
{
    static char given[65536];
    static wchar_t text[65536];
    lstrcpyA(strrchr(path, '.') + 1, "case");
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    DWORD got = 0;
    ReadFile(file, given, sizeof(given) - 1, &got, NULL);
    CloseHandle(file);
    const char *log = strchr(given, '\n');
    MultiByteToWideChar(CP_UTF8, 0, log ? log + 1 : "", -1, text, sizeof(text) / sizeof(text[0]) - 1);
    HWND main = CreateHiddenMainWindow(instance, "");
    // The hidden capture holder is a "TEST" window too, without a pane.
    CreateWindowExA(0, "TEST", "TEST", WS_OVERLAPPEDWINDOW, 0, 0, 0, 0, NULL, NULL, instance, NULL);
    SetWindowTextW(FindWindowExA(main, NULL, "EDIT", NULL), text);
    return RunMessages(main, atoi(given));
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    static char path[MAX_PATH];
    GetModuleFileNameA(NULL, path, MAX_PATH - 5);
    const char *name = strrchr(path, '\\') + 1;
#define IS(way) (strncmp(name, way, strlen(way)) == 0)
    const char *finished = "Testing GetOpenFileName\r\nWM_NOTIFY:00000000 - fffffda6 - (2)\r\n"
                           "Quitting dialog\r\nTesting ChooseFont\r\nWM_CTLCOLORDLG:00000000 - (0)\r\n"
                           "Quitting dialog\r\n";
    if (IS("crashes")) {
        SetUnhandledExceptionFilter(EndAtOnce);
        *(volatile int *)0 = 0;
    }
    if (IS("never_shows")) {
        CreateHiddenMainWindow(instance, "");
        return RunMessages(NULL, 0);
    }
    if (IS("hangs_when_shown")) { // its finished log shows, then it answers nothing
        ShowWindow(CreateHiddenMainWindow(instance, finished), SW_SHOWNORMAL);
        Hang();
    }
    if (IS("leaves_child")) {
        if (strstr(commandLine, "child"))
            Hang();
        LeaveChild(path);
        return RunMessages(CreateHiddenMainWindow(instance, finished), 0);
    }
    if (IS("slow_to_close")) {
        HWND main = CreateHiddenMainWindow(instance, finished);
        g_standardProc = (WNDPROC)SetWindowLongPtrA(main, GWLP_WNDPROC, (LONG_PTR)SlowProc);
        return RunMessages(main, 0);
    }
    if (IS("dialog_stays_open")) { // a dialog with no hook, that nothing inside closes
        HWND main = CreateHiddenMainWindow(instance, OPENING_LOG);
        MessageBoxA(main, "This dialog waits for a user.", HOSTILE_TITLE, MB_OK);
        return RunMessages(main, 0);
    }
    if (IS("stubborn_dialog")) {
        ShowBareDialog(instance, HOSTILE_TITLE);
        return RunMessages(NULL, 0);
    }
    if (IS("hangs_with_dialog")) {
        ShowBareDialog(instance, "Hangs");
        Hang();
    }
    return ShowGivenLog(instance, path);
}
