// The bare cost of the check: the same two dialogs with the same records,
// each closed at the same checkpoint, and nothing else: no windows of its
// own, no capture, no log.
#include "platform/platform.h"

static int g_notifications;

static UINT_PTR CALLBACK OpenHook(HWND hdlg, UINT message, WPARAM, LPARAM)
{
    if (message == WM_NOTIFY && g_notifications++ >= 2)
        PostMessageA(GetParent(hdlg), WM_COMMAND, IDCANCEL, 2);
    return 0;
}

static UINT_PTR CALLBACK FontHook(HWND hdlg, UINT message, WPARAM, LPARAM)
{
    if (message == WM_CTLCOLORDLG)
        PostMessageA(hdlg, WM_COMMAND, IDCANCEL, 2);
    return 0;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char fileName[MAX_PATH] = "";
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = OPEN_FILE_RECORD_SIZE;
    ofn.lpstrFile = fileName;
    ofn.nMaxFile = sizeof(fileName);
    ofn.Flags = OFN_EXPLORER | OFN_ENABLEHOOK;
    ofn.lpfnHook = OpenHook;
    GetOpenFileNameA(&ofn);

    LOGFONTA font = {};
    font.lfHeight = -13;
    font.lfPitchAndFamily = FF_ROMAN | DEFAULT_PITCH;
    lstrcpyA(font.lfFaceName, "Arial");
    CHOOSEFONTA cf = {};
    cf.lStructSize = CHOOSE_FONT_RECORD_SIZE;
    cf.lpLogFont = &font;
    cf.iPointSize = 10;
    cf.Flags = CF_SCREENFONTS | CF_ENABLEHOOK;
    cf.lpfnHook = FontHook;
    cf.nFontType = REGULAR_FONTTYPE;
    ChooseFontA(&cf);
    return 0;
}
