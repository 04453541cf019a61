// Opens a dialog that Cancel does not close, titled with text that would
// forge report lines and terminal escapes if it were passed on raw.
#include "tests/standins/standins.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    HWND main = CreateHiddenMainWindow(instance);
    SetWindowTextA(FindWindowExA(main, NULL, "EDIT", NULL), "Testing GetOpenFileName\r\n");
    // A bare dialog window has no procedure of its own that Cancel would end.
    CreateWindowExA(0, "#32770", HOSTILE_TITLE, WS_POPUP | WS_VISIBLE | WS_CAPTION, 150, 150, 200,
                    100, main, NULL, instance, NULL);
    RunMessagesForever();
    return 0;
}
