// Helpers for tests that drive the program's real windows on the platform.
#ifndef TESTS_SUPPORT_H
#define TESTS_SUPPORT_H

#include "app/app.h"
#include "probes/probes.h"

#include <gtest/gtest.h>
#include <functional>
#include <string>

std::string WindowText(HWND hwnd);
std::string ClassOf(HWND hwnd);

// The handle as the log prints it.
std::string Hex(DWORD_PTR value);

// Removes every message of the thread's queue; returns how many WM_QUIT
// were among them, with the last one's code.
int DrainQueue(WPARAM *quitCode = nullptr);

// Makes the named window creation fail as if the platform refused it: the
// nth window (from 1) of the given class created on this thread.
void RefuseWindowCreation(const char *className, int nth);
void AllowWindowCreation();

// Leaves the program's windows and globals as they were at process start.
class ProgramWindowsTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::string Log() const { return WindowText(g_hwndLog); }
    HINSTANCE instance = GetModuleHandleA(nullptr);
};

// Closes any dialog still open after a time limit, so that a dialog that
// does not close by itself fails its test instead of hanging the suite.
void StartDialogGuard(UINT limitMs);
bool StopDialogGuard(); // true if the guard had to close a dialog

// Calls the function with each message sent to a window of this thread,
// before the window gets it, until the next call or the test's end.
void WatchMessages(std::function<void(const CWPSTRUCT &)> watcher);
void StopWatchingMessages();

#endif
