// Stand-ins for TEST.exe that fail in the ways the checker must survive.
#ifndef TESTS_STANDINS_STANDINS_H
#define TESTS_STANDINS_STANDINS_H

#include "platform/platform.h"

inline LRESULT CALLBACK StandInProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

// A hidden "TEST" main window with its log pane, as the program makes them.
inline HWND CreateHiddenMainWindow(HINSTANCE instance)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = StandInProc;
    wc.hInstance = instance;
    wc.lpszClassName = "TEST";
    RegisterClassA(&wc);
    HWND main = CreateWindowExA(0, "TEST", "TEST", WS_OVERLAPPEDWINDOW, 100, 100, 400, 300,
                                NULL, NULL, instance, NULL);
    CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, 380, 260, main,
                    NULL, instance, NULL);
    return main;
}

inline void RunMessagesForever()
{
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0)
        DispatchMessageA(&msg);
}

#endif
