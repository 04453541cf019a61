// Shows a finished log and takes its time to end once closed, as a
// program that saves its state does; its title says when it is closing.
#include "tests/standins/standins.h"

static WNDPROC g_standardProc;

static LRESULT CALLBACK SlowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE) {
        SetWindowTextA(hwnd, "closing");
        Sleep(2000);
    }
    return CallWindowProcA(g_standardProc, hwnd, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    HWND main = CreateHiddenMainWindow(instance);
    g_standardProc = (WNDPROC)SetWindowLongPtrA(main, GWLP_WNDPROC, (LONG_PTR)SlowProc);
    SetWindowTextA(FindWindowExA(main, NULL, "EDIT", NULL), FINISHED_LOG);
    ShowWindow(main, SW_SHOWNORMAL);
    RunMessagesForever();
    return 0;
}
