// Crashes before it shows anything. The crash ends the process at once,
// as it does where no debugger is set to start on a crash.
#include "platform/platform.h"

static LONG WINAPI EndAtOnce(EXCEPTION_POINTERS *)
{
    return EXCEPTION_EXECUTE_HANDLER;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    SetUnhandledExceptionFilter(EndAtOnce);
    *(volatile int *)0 = 0;
    return 0;
}
