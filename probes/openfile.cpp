// The Open dialog probe: judges at the dialog's third notification.
#include "probes/probes.h"
#include "app/app.h"

enum { CHECKPOINT_NOTIFICATION = 2 };

BOOL RunOpenFileProbe(HWND owner)
{
    char fileName[MAX_PATH];
    ZeroMemory(fileName, sizeof(fileName));

    OPENFILENAMEA ofn;
    ZeroMemory(&ofn, sizeof(ofn));
    ofn.lStructSize = OPEN_FILE_RECORD_SIZE;
    ofn.hwndOwner = owner;
    ofn.lpstrFile = fileName;
    ofn.nMaxFile = sizeof(fileName);
    // No filter, directory, title or template: the platform's defaults.
    ofn.Flags = OFN_EXPLORER | OFN_ENABLEHOOK;
    ofn.lpfnHook = OpenFileHookProc;
    return GetOpenFileNameA(&ofn);
}

static void OnNotify(HWND hdlg, const NMHDR *header)
{
    HWND holder = GetCapture();
    char line[64];
    wsprintfA(line, "WM_NOTIFY:%08lx - %08lx - (%i)\r\n",
              LOG_HEX(holder), LOG_HEX(header->code), g_notifyCount);
    AppendLog(line);

    if (g_notifyCount == CHECKPOINT_NOTIFICATION && holder)
        AppendLog("CommonFileDialog - mouse capture should have been released now!\r\n");
    if (g_notifyCount >= CHECKPOINT_NOTIFICATION) {
        AppendLog("Quitting dialog\r\n");
        // The hook runs in a child dialog; the Open dialog is its parent.
        PostMessageA(GetParent(hdlg), WM_COMMAND, IDCANCEL, 2);
    }
    g_notifyCount++;
}

UINT_PTR CALLBACK OpenFileHookProc(HWND hdlg, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)wParam;
    switch (message) {
    case WM_INITDIALOG:
        LogCaptureHolder("WM_INITDIALOG:%08lx\r\n");
        break;
    case WM_NOTIFY:
        OnNotify(hdlg, (const NMHDR *)lParam);
        break;
    }
    return 0;
}
