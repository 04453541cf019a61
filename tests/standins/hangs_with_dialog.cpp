// Opens a dialog and then blocks forever in its window procedure, as a
// hung program does: it answers no message, not even from the checker.
#include "tests/standins/standins.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    HWND main = CreateHiddenMainWindow(instance);
    SetWindowTextA(FindWindowExA(main, NULL, "EDIT", NULL), "Testing GetOpenFileName\r\n");
    CreateWindowExA(0, "#32770", "Hangs", WS_POPUP | WS_VISIBLE | WS_CAPTION, 150, 150, 200, 100, main,
                    NULL, instance, NULL);
    for (;;)
        Sleep(INFINITE);
}
