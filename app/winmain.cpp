// Entry point of TEST.exe.
#include "app/app.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow)
{
    (void)hPrevInstance;
    (void)lpCmdLine;
    // A start-up that created nothing must not look like a successful run.
    if (!CreateTestWindows(hInstance, nCmdShow))
        return 1;
    int code = RunMessageLoop();
    DestroyTestWindows();
    return code;
}
