// Shows the log given in shows_log.case beside it, in the windows that
// TEST.exe makes, and ends with the exit code given there once closed.
// The file's first line is the exit code, the rest the pane's text.
#include "tests/standins/standins.h"

#include <stdlib.h>
#include <string.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    static char given[8192], path[MAX_PATH];
    lstrcpyA(path + GetModuleFileNameA(NULL, path, MAX_PATH - 1) - 3, "case");
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    DWORD got = 0;
    ReadFile(file, given, sizeof(given) - 1, &got, NULL);
    CloseHandle(file);
    const char *log = strchr(given, '\n');

    HWND main = CreateHiddenMainWindow(instance);
    // The hidden capture holder is a "TEST" window too, without a pane.
    CreateWindowExA(0, "TEST", "TEST", WS_OVERLAPPEDWINDOW, 0, 0, 0, 0, NULL, NULL, instance, NULL);
    SetWindowTextA(FindWindowExA(main, NULL, "EDIT", NULL), log ? log + 1 : "");
    ShowWindow(main, SW_SHOWNORMAL);
    RunMessagesForever();
    return atoi(given);
}
