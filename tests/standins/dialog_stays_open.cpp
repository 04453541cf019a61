// Opens the first probe's dialog with no hook, so that nothing inside
// closes it, then carries on like the program once it is closed. Its
// title would forge report lines if it were passed on raw.
#include "tests/standins/standins.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    HWND main = CreateHiddenMainWindow(instance);
    SetWindowTextA(FindWindowExA(main, NULL, "EDIT", NULL), "Testing GetOpenFileName\r\n");
    MessageBoxA(main, "This dialog waits for a user.", HOSTILE_TITLE, MB_OK);
    ShowWindow(main, SW_SHOWNORMAL);
    RunMessagesForever();
    return 0;
}
