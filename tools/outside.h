// Watching TEST.exe from another process, as any program can: find its
// windows, read its log pane, close it as a user would.
#ifndef TOOLS_OUTSIDE_H
#define TOOLS_OUTSIDE_H

#include "platform/platform.h"

#include <string>

struct Program {
    PROCESS_INFORMATION process;
    DWORD error; // why it could not be started, 0 once it runs
};

Program StartProgram(const std::string &path);

// The first visible top-level window of the process with this class name.
HWND FindProgramWindow(const Program &program, const char *className);

// The program's main window, the "TEST" window with the log pane, shown or
// not; NULL until the program has made it. It becomes visible only when the
// capture tests have finished.
HWND FindMainWindow(const Program &program);

std::string ReadLogPane(HWND mainWindow);
std::string WindowTitle(HWND hwnd);

// The most memory the process has had in use so far, in KiB; 0 if unknown.
unsigned long PeakMemoryKiB(const Program &program);

bool HasEnded(const Program &program, DWORD *exitCode);

// Sends WM_CLOSE and waits for the process to end; it is killed if it
// outlasts the wait. Returns whether it ended by itself.
bool CloseProgram(const Program &program, HWND mainWindow, DWORD waitMs, DWORD *exitCode);

void EndProgram(Program *program);

// Saves what the screen shows now as a 24-bit BMP file.
bool SaveScreenBitmap(const std::string &path);

#endif
