// Running the checker as a process on the platform, and reading what it
// leaves, for the checker's suite.
#ifndef TESTS_CHECKER_PROCESS_H
#define TESTS_CHECKER_PROCESS_H

#include <windows.h>
#include <functional>
#include <string>

std::string BesideThisProgram(const std::string &name);

struct Outcome {
    DWORD status;
    std::string out, err; // standard output and error
    DWORD ms;             // until the checker ended and both reached their end
};

// Runs a program of the build with its standard output and error in
// pipes, and calls `during` while it runs. The program must end and its
// output reach its end within the limit; otherwise the test fails and the
// program is ended. Given an output handle, standard output goes there.
Outcome RunTool(const std::string &tool, const std::string &arguments, DWORD limitMs = 60000,
                const std::function<void()> &during = nullptr, HANDLE output = nullptr);

inline Outcome RunChecker(const std::string &arguments, DWORD limitMs = 60000,
                          const std::function<void()> &during = nullptr)
{
    return RunTool("check.exe", arguments, limitMs, during);
}

// The processes of this name still running; any found are ended, so that
// one test's leftovers do not spoil the next.
int EndLeftovers(const char *exeName);

// Waits, at most the limit, until a visible top-level window of this class
// (or any, for NULL) and title (or any) exists; its process id, or 0.
DWORD WaitForWindow(const char *className, const char *title, DWORD limitMs);

// Suspends every thread of the process, as a stopped program is; how many.
int Freeze(DWORD processId);

// Whether the text is exactly one JSON object and a line end, read with
// JSON's grammar and nothing more.
bool IsOneJsonObject(const std::string &text);

void WriteWholeFile(const std::string &path, const std::string &text);
std::string ReadWholeFile(const std::string &path);

#endif
