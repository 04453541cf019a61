// Starts a copy of itself that outlives it, handing down every handle it
// may, then shows a finished log; the copy waits forever.
#include "tests/standins/standins.h"

#include <string.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    if (strstr(commandLine, "child"))
        Sleep(INFINITE);
    char path[MAX_PATH], line[MAX_PATH + 16];
    GetModuleFileNameA(NULL, path, MAX_PATH);
    wsprintfA(line, "\"%s\" child", path);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION child;
    if (CreateProcessA(path, line, NULL, NULL, TRUE, 0, NULL, NULL, &startup, &child)) {
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
    }
    HWND main = CreateHiddenMainWindow(instance);
    SetWindowTextA(FindWindowExA(main, NULL, "EDIT", NULL), FINISHED_LOG);
    ShowWindow(main, SW_SHOWNORMAL);
    RunMessagesForever();
    return 0;
}
