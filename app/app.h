// The application shell: its windows, its window procedure and the log pane.
#ifndef APP_APP_H
#define APP_APP_H

#include "platform/platform.h"

extern HWND g_hwndMain;
extern HWND g_hwndLog;
extern HWND g_hwndCaptureHolder;

BOOL CreateTestWindows(HINSTANCE hInstance, int nCmdShow);
int RunMessageLoop(void);
void DestroyTestWindows(void);
LRESULT CALLBACK TestWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Appends a piece of text to the log pane, which keeps only the newest
// LOG_CAPACITY characters, and leaves the caret after the last one.
void AppendLog(const char *text);

enum { LOG_CAPACITY = 510 };

#endif
