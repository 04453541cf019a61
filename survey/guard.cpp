#include "survey/guard.h"

void (*g_onStuckModal)(const Row &row);

// How long a modal may take to close once the guard has cancelled it.
enum { CLOSING_GRACE_MS = 5000 };

struct Watch {
    HANDLE done;
    HANDLE thread;
    DWORD target;
    UINT limitMs;
    const Row *row;
    volatile LONG closed;
};
static Watch g_watch;

static bool IsClass(HWND hwnd, const char *className)
{
    char name[16] = "";
    GetClassNameA(hwnd, name, sizeof(name));
    return lstrcmpA(name, className) == 0;
}

static BOOL CALLBACK FindVisibleDialog(HWND hwnd, LPARAM found)
{
    if (!IsWindowVisible(hwnd) || !IsClass(hwnd, "#32770"))
        return TRUE;
    *(HWND *)found = hwnd;
    return FALSE;
}

HWND VisibleDialogOf(DWORD threadId)
{
    HWND found = NULL;
    EnumThreadWindows(threadId, FindVisibleDialog, (LPARAM)&found);
    return found;
}

static BOOL CALLBACK CancelWindow(HWND hwnd, LPARAM)
{
    if (IsClass(hwnd, "#32770"))
        PostMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
    else if (IsClass(hwnd, "#32768"))
        PostMessageA(hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
    return TRUE;
}

void CloseModalsOf(DWORD threadId)
{
    if (threadId == GetCurrentThreadId())
        EndMenu();
    EnumThreadWindows(threadId, CancelWindow, 0);
}

static DWORD WINAPI WatchThread(void *)
{
    if (WaitForSingleObject(g_watch.done, g_watch.limitMs) != WAIT_TIMEOUT)
        return 0;
    InterlockedExchange(&g_watch.closed, 1);
    CloseModalsOf(g_watch.target);
    // A modal that ignores Cancel may never return: let the program report.
    while (WaitForSingleObject(g_watch.done, CLOSING_GRACE_MS) == WAIT_TIMEOUT) {
        if (g_onStuckModal)
            g_onStuckModal(*g_watch.row);
        CloseModalsOf(g_watch.target);
    }
    return 0;
}

void StartGuard(const Row &row, UINT limitMs)
{
    g_watch.done = CreateEventA(NULL, TRUE, FALSE, NULL);
    g_watch.target = GetCurrentThreadId();
    g_watch.limitMs = limitMs;
    g_watch.row = &row;
    g_watch.closed = 0;
    g_watch.thread = CreateThread(NULL, 0, WatchThread, NULL, 0, NULL);
}

bool StopGuard()
{
    SetEvent(g_watch.done);
    WaitForSingleObject(g_watch.thread, INFINITE);
    CloseHandle(g_watch.thread);
    CloseHandle(g_watch.done);
    return g_watch.closed != 0;
}
