// The survey's windows: the main window that owns every modal and hears
// its idle and menu messages, and the hidden capture holder.
#include "survey/survey.h"

HWND g_surveyMain;
HWND g_surveyHolder;

static const char CLASS_NAME[] = "CaptureSurvey";

static LRESULT CALLBACK SurveyWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ENTERIDLE)
        NoteRunning();
    else if (message == WM_INITMENUPOPUP)
        NoteInit();
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

static HWND CreateSurveyWindow(HINSTANCE instance, int x, int y, int width, int height)
{
    return CreateWindowExA(0, CLASS_NAME, "survey", WS_OVERLAPPEDWINDOW, x, y, width, height,
                           NULL, NULL, instance, NULL);
}

bool CreateSurveyWindows(HINSTANCE instance)
{
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.lpfnWndProc = SurveyWndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(NULL, IDC_ARROW);
    wc.lpszClassName = CLASS_NAME;
    if (!RegisterClassA(&wc))
        return false;
    g_surveyMain = CreateSurveyWindow(instance, 100, 100, 400, 300);
    g_surveyHolder = CreateSurveyWindow(instance, 0, 0, 0, 0);
    if (!g_surveyMain || !g_surveyHolder) {
        DestroySurveyWindows();
        return false;
    }
    ShowWindow(g_surveyMain, SW_SHOWNORMAL);
    return true;
}

void DestroySurveyWindows()
{
    if (g_surveyMain)
        DestroyWindow(g_surveyMain);
    if (g_surveyHolder)
        DestroyWindow(g_surveyHolder);
    g_surveyMain = g_surveyHolder = NULL;
    UnregisterClassA(CLASS_NAME, GetModuleHandleA(NULL));
}
