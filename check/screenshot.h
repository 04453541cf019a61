// A picture of one window as the screen shows it, saved as PNG through
// the platform's own GDI+.
#ifndef CHECK_SCREENSHOT_H
#define CHECK_SCREENSHOT_H

#include <windows.h>
#include <string>

// Needs LoadWindowFunctions first. False with the reason on failure.
bool SaveWindowPng(HWND hwnd, const std::wstring &path, std::string *error);

#endif
