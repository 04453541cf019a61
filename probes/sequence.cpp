// The test sequence, run while the main window is first shown.
#include "probes/probes.h"
#include "app/app.h"

int g_notifyCount = 0;

void LogCaptureHolder(const char *format)
{
    char line[32];
    wsprintfA(line, format, LOG_HEX(GetCapture()));
    AppendLog(line);
}

void RunCaptureTests(HWND owner)
{
    AppendLog("Testing GetOpenFileName\r\n");
    SetCapture(g_hwndCaptureHolder);
    LogCaptureHolder("Wnd with capture:%08lx\r\n");
    RunOpenFileProbe(owner);
    LogCaptureHolder("Wnd with capture:%08lx\r\n");
    ReleaseCapture();

    // The Font dialog's hook prints the counter, which must start afresh.
    g_notifyCount = 0;

    AppendLog("Testing ChooseFont\r\n");
    SetCapture(g_hwndCaptureHolder);
    LogCaptureHolder("Wnd with capture:%08lx\r\n");
    RunChooseFontProbe(owner);
    LogCaptureHolder("Wnd with capture:%08lx\r\n");
    ReleaseCapture();
}
