// The program's windows: the main window with the log pane that fills it,
// and the hidden window that the capture tests give the mouse capture to.
#include "app/app.h"
#include "probes/probes.h"

HWND g_hwndMain = NULL;
HWND g_hwndLog = NULL;
HWND g_hwndCaptureHolder = NULL;

static const char CLASS_NAME[] = "TEST";

static BOOL RegisterTestClass(HINSTANCE hInstance)
{
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.lpfnWndProc = TestWndProc;
    wc.hInstance = hInstance;
    wc.lpszClassName = CLASS_NAME;
    return RegisterClassA(&wc) != 0;
}

static HWND CreateTopLevelWindow(HINSTANCE hInstance, int x, int y, int width, int height)
{
    return CreateWindowExA(0, CLASS_NAME, "TEST", WS_OVERLAPPEDWINDOW,
                           x, y, width, height, NULL, NULL, hInstance, NULL);
}

static HWND CreateLogPane(HINSTANCE hInstance, HWND parent)
{
    // The pane covers the client area as it is now; it is never resized.
    RECT rc;
    GetClientRect(parent, &rc);
    return CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE,
                           rc.left, rc.top, rc.right, rc.bottom,
                           parent, NULL, hInstance, NULL);
}

BOOL CreateTestWindows(HINSTANCE hInstance, int nCmdShow)
{
    if (!RegisterTestClass(hInstance))
        return FALSE;
    g_hwndMain = CreateTopLevelWindow(hInstance, 100, 100, 400, 300);
    if (!g_hwndMain)
        return FALSE;
    g_hwndLog = CreateLogPane(hInstance, g_hwndMain);
    if (!g_hwndLog)
        return FALSE;
    g_hwndCaptureHolder = CreateTopLevelWindow(hInstance, 0, 0, 0, 0);
    if (!g_hwndCaptureHolder)
        return FALSE;

    // The capture tests run inside this call, from WM_SHOWWINDOW.
    ShowWindow(g_hwndMain, nCmdShow);
    ShowWindow(g_hwndCaptureHolder, SW_HIDE);
    return TRUE;
}

// Returns the quit code, or 1 if the platform reports an error, so that
// a broken queue ends the program instead of spinning on it.
int RunMessageLoop(void)
{
    MSG msg;
    BOOL result;
    while ((result = GetMessageA(&msg, NULL, 0, 0)) != 0) {
        if (result == -1)
            return 1;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return (int)msg.wParam;
}

void DestroyTestWindows(void)
{
    // The log pane goes with its parent.
    DestroyWindow(g_hwndMain);
    DestroyWindow(g_hwndCaptureHolder);
}

LRESULT CALLBACK TestWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CLOSE:
        // Leave the window, minimised, for the short time until the loop ends.
        CloseWindow(hwnd);
        PostQuitMessage(0);
        return 0;
    case WM_SHOWWINDOW:
        if (wParam == 1)
            RunCaptureTests(hwnd);
        break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}
