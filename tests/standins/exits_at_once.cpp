// Ends before it has shown anything, with a code other than 0.
#include "platform/platform.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return 3;
}
