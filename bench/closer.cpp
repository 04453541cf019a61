// Closes TEST.exe from a second process that is already running, so that
// the bench can time TEST.exe alone, without the checker's own start.
//   closer [SECONDS]
// For each line read on standard input it waits for the main window of a
// TEST.exe that it has not closed already to be shown, posts WM_CLOSE to it and
// answers "closed" (or "timeout" after SECONDS, 30 by default) on standard
// output. It ends at the end of its input. While it waits for a line it
// asks the platform nothing, so it does not slow the other runs.
#include "platform/platform.h"

#include <stdio.h>
#include <stdlib.h>

enum { POLL_MS = 2 };

// The window with the log pane, as the checker finds it, but not the one
// closed last, which may not be gone yet.
static HWND FindNewMainWindow(HWND closed)
{
    HWND hwnd = NULL;
    while ((hwnd = FindWindowExA(NULL, hwnd, "TEST", NULL)) != NULL) {
        if (hwnd != closed && FindWindowExA(hwnd, NULL, "EDIT", NULL))
            return hwnd;
    }
    return NULL;
}

// Like the checker: the window is looked for until it exists, then only
// its visibility is asked.
static HWND WaitForShownMainWindow(HWND closed, DWORD timeoutMs)
{
    DWORD deadline = GetTickCount() + timeoutMs;
    HWND main = NULL;
    while ((LONG)(GetTickCount() - deadline) < 0) {
        if (!main)
            main = FindNewMainWindow(closed);
        if (main && IsWindowVisible(main))
            return main;
        Sleep(POLL_MS);
    }
    return NULL;
}

int main(int argc, char **argv)
{
    double seconds = argc > 1 ? atof(argv[1]) : 30;
    if (argc > 2 || seconds <= 0 || seconds > 86400) {
        fprintf(stderr, "closer: usage: closer [SECONDS]; give a wait between 0 and 86400 s\n");
        return 2;
    }
    HWND closed = NULL;
    char line[64];
    while (fgets(line, sizeof(line), stdin)) {
        HWND main = WaitForShownMainWindow(closed, (DWORD)(seconds * 1000));
        if (main) {
            PostMessageA(main, WM_CLOSE, 0, 0);
            closed = main;
        }
        printf("%s\n", main ? "closed" : "timeout");
        fflush(stdout);
    }
    return 0;
}
