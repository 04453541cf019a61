// The Font dialog probe: judges whenever the dialog asks for its colours,
// which it first does once it is up and running its modal loop.
#include "probes/probes.h"
#include "app/app.h"

const LOGFONTA g_logFontTemplate = {
    -13,                      // lfHeight
    0, 0, 0,                  // lfWidth, lfEscapement, lfOrientation
    0,                        // lfWeight
    0, 0, 0,                  // lfItalic, lfUnderline, lfStrikeOut
    0,                        // lfCharSet
    0, 0, 0,                  // lfOutPrecision, lfClipPrecision, lfQuality
    FF_ROMAN | DEFAULT_PITCH, // lfPitchAndFamily
    "Arial",
};

BOOL RunChooseFontProbe(HWND owner)
{
    // The dialog may write the chosen font back; the template stays as it is.
    LOGFONTA font = g_logFontTemplate;

    CHOOSEFONTA cf;
    ZeroMemory(&cf, sizeof(cf));
    cf.lStructSize = CHOOSE_FONT_RECORD_SIZE;
    cf.hwndOwner = owner;
    cf.lpLogFont = &font;
    cf.iPointSize = 10;
    cf.Flags = CF_SCREENFONTS | CF_ENABLEHOOK;
    cf.lpfnHook = ChooseFontHookProc;
    cf.nFontType = REGULAR_FONTTYPE;
    return ChooseFontA(&cf);
}

static void OnColorDialog(HWND hdlg)
{
    HWND holder = GetCapture();
    char line[64];
    wsprintfA(line, "WM_CTLCOLORDLG:%08lx - (%i)\r\n", LOG_HEX(holder), g_notifyCount);
    AppendLog(line);

    if (holder)
        AppendLog("ChooseFontDialog - mouse capture should have been released now!\r\n");
    AppendLog("Quitting dialog\r\n");
    PostMessageA(hdlg, WM_COMMAND, IDCANCEL, 2);
}

UINT_PTR CALLBACK ChooseFontHookProc(HWND hdlg, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)wParam;
    (void)lParam;
    switch (message) {
    case WM_INITDIALOG:
        LogCaptureHolder("WM_INITDIALOG:%08lx\r\n");
        break;
    case WM_CTLCOLORDLG:
        OnColorDialog(hdlg);
        break;
    }
    return 0;
}
