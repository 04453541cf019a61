// Helpers for tests that drive real windows on the platform.
#ifndef TESTS_SUPPORT_H
#define TESTS_SUPPORT_H

#include "app/app.h"
#include "probes/probes.h"

#include <gtest/gtest.h>
#include <functional>
#include <string>

std::string WindowText(HWND hwnd);
std::string ClassOf(HWND hwnd);
std::string Hex(DWORD_PTR value); // a handle as the log prints it

// Removes every message of the thread's queue; returns how many were WM_QUIT.
int DrainQueue();

// Leaves the program's windows and globals as they were at process start.
class ProgramWindowsTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::string Log() const { return WindowText(g_hwndLog); }
    HINSTANCE instance = GetModuleHandleA(nullptr);
};

// Calls the watcher with each message sent to a window of this thread,
// before the window gets it, until the next call or StopWatchingMessages.
void WatchMessages(std::function<void(const CWPSTRUCT &)> watcher);
void StopWatchingMessages();

#endif
