// The window, drawing and process-status libraries, loaded by hand.
// The checker starts TEST.exe with nothing but kernel32 loaded and loads
// these while the program starts, so their start-up cost overlaps its.
#ifndef OUTSIDE_LIBRARIES_H
#define OUTSIDE_LIBRARIES_H

#include <windows.h>
#include <psapi.h>
#include <string>

#define WINDOW_FUNCTIONS(X)                                                                   \
    X("user32.dll", EnumWindows) X("user32.dll", GetWindowThreadProcessId)                  \
    X("user32.dll", GetClassNameW) X("user32.dll", FindWindowExW)                           \
    X("user32.dll", IsWindowVisible) X("user32.dll", SendMessageTimeoutW)                   \
    X("user32.dll", GetWindowTextW) X("user32.dll", PostMessageW) X("user32.dll", GetDC)    \
    X("user32.dll", ReleaseDC) X("user32.dll", GetWindowRect) X("user32.dll", RedrawWindow) \
    X("gdi32.dll", CreateCompatibleDC) X("gdi32.dll", CreateCompatibleBitmap)               \
    X("gdi32.dll", SelectObject) X("gdi32.dll", BitBlt) X("gdi32.dll", DeleteObject)        \
    X("gdi32.dll", DeleteDC) X("psapi.dll", GetProcessMemoryInfo)

struct WindowFunctions {
#define DECLARE_FUNCTION(library, name) decltype(&::name) name;
    WINDOW_FUNCTIONS(DECLARE_FUNCTION)
#undef DECLARE_FUNCTION
};

// Filled by LoadWindowFunctions; every member is set once it succeeds.
extern WindowFunctions g_window;

// Loads the libraries once; on failure says which function is missing.
bool LoadWindowFunctions(std::string *error);

#endif
