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
