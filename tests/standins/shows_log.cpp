// Shows the log given in the .case file beside it (shows_log.case, or
// NAME.case for a copy named NAME.exe), in the windows that TEST.exe
// makes, and ends with the exit code given there once closed. The file's
// first line is the exit code, the rest the pane's text, in UTF-8.
#include "tests/standins/standins.h"

#include <stdlib.h>
#include <string.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    static char given[65536], path[MAX_PATH];
    static wchar_t text[65536];
    lstrcpyA(path + GetModuleFileNameA(NULL, path, MAX_PATH - 1) - 3, "case");
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    DWORD got = 0;
    ReadFile(file, given, sizeof(given) - 1, &got, NULL);
    CloseHandle(file);
    const char *log = strchr(given, '\n');
    MultiByteToWideChar(CP_UTF8, 0, log ? log + 1 : "", -1, text, sizeof(text) / sizeof(text[0]) - 1);

    HWND main = CreateHiddenMainWindow(instance);
    // The hidden capture holder is a "TEST" window too, without a pane.
    CreateWindowExA(0, "TEST", "TEST", WS_OVERLAPPEDWINDOW, 0, 0, 0, 0, NULL, NULL, instance, NULL);
    SetWindowTextW(FindWindowExA(main, NULL, "EDIT", NULL), text);
    ShowWindow(main, SW_SHOWNORMAL);
    RunMessagesForever();
    return atoi(given);
}
