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

// What a stand-in's main window shows, for tests of its picture: the pane
// in the client area's top left corner, the class's red background
// around it.
#define STANDIN_BACKGROUND RGB(255, 0, 0)
enum { STANDIN_PANE_WIDTH = 300, STANDIN_PANE_HEIGHT = 200 };

// A hidden "TEST" main window with its log pane, as the program makes them.
inline HWND CreateHiddenMainWindow(HINSTANCE instance)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = StandInProc;
    wc.hInstance = instance;
    wc.lpszClassName = "TEST";
    wc.hbrBackground = CreateSolidBrush(STANDIN_BACKGROUND);
    RegisterClassA(&wc);
    HWND main = CreateWindowExA(0, "TEST", "TEST", WS_OVERLAPPEDWINDOW, 100, 100, 400, 300,
                                NULL, NULL, instance, NULL);
    CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, STANDIN_PANE_WIDTH,
                    STANDIN_PANE_HEIGHT, main, NULL, instance, NULL);
    return main;
}

// A finished run in which both dialogs released the capture.
#define FINISHED_LOG                                                                          \
    "Testing GetOpenFileName\r\nWM_NOTIFY:00000000 - fffffda6 - (2)\r\nQuitting dialog\r\n" \
    "Testing ChooseFont\r\nWM_CTLCOLORDLG:00000000 - (0)\r\nQuitting dialog\r\n"

// A dialog title that forges TAP lines and hides text on a terminal.
#define HOSTILE_TITLE "Open\nok 3 - injected\nBail out! \x1b[8mhidden \x1b]0;title\x07\"'\\"

inline void RunMessagesForever()
{
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0)
        DispatchMessageA(&msg);
}

#endif
