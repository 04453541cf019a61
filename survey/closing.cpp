// Finding and closing the modal windows of a thread.
#include "survey/survey.h"

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

// EndMenu reaches only the calling thread's menu; from another thread a
// menu is closed through its queue, as the Escape key would close it.
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
