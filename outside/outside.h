// Watching TEST.exe from another process, as any program can: find its
// windows, read its log pane, close it as a user would. Every call that
// waits on the program is bounded, so a stopped or hung program cannot
// hold the caller. Needs LoadWindowFunctions first, except to start and
// end the program.
#ifndef OUTSIDE_OUTSIDE_H
#define OUTSIDE_OUTSIDE_H

#include <windows.h>
#include <string>

struct Program {
    PROCESS_INFORMATION process;
    HANDLE job;  // holds the program and every process it starts
    bool started;
    DWORD error; // why it could not be started, as the platform said; may be 0 even then
};

// The program runs in a job that ends it, and every process it starts,
// once the caller lets go of the job or itself ends, however it ends. It
// inherits no handle but the null device as its standard handles, so
// nothing it or its children print mixes with the caller's output, and
// none of them can keep the caller's output open.
Program StartProgram(const std::wstring &path);

// The first visible top-level window of the process with this class name.
HWND FindProgramWindow(const Program &program, const wchar_t *className);

// The program's main window, the "TEST" window with the log pane, shown or
// not; NULL until the program has made it. It becomes visible only when the
// capture tests have finished.
HWND FindMainWindow(const Program &program);

// False if the program did not answer within the limit. A window without
// a log pane reads as an empty log.
bool ReadLogPane(HWND mainWindow, DWORD limitMs, std::string *log);

std::string WindowTitle(HWND hwnd);

// Lets the window finish painting; false if it did not within the limit.
bool WaitUntilPainted(HWND hwnd, DWORD limitMs);

// The most memory the process has had in use so far, in KiB; 0 if unknown.
unsigned long PeakMemoryKiB(const Program &program);

// Whether the process has ended and its exit code was read.
bool HasEnded(const Program &program, DWORD *exitCode);

// Sends WM_CLOSE and waits for the process to end; it is ended if it
// outlasts the wait. Returns whether it ended by itself; only then is the
// exit code its own, and only with codeRead true was it read.
bool CloseProgram(const Program &program, HWND mainWindow, DWORD waitMs, DWORD *exitCode,
                  bool *codeRead);

// Ends the process, and every process it started, and lets go of them.
void EndProgram(Program *program);

#endif
