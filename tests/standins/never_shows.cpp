// Creates its windows and never shows them.
#include "tests/standins/standins.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    CreateHiddenMainWindow(instance);
    RunMessagesForever();
    return 0;
}
