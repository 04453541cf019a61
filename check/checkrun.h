// One run of TEST.exe under the checker: start it, wait for its finished
// log, read the log, take the picture, close it, all within the time limit.
#ifndef CHECK_CHECKRUN_H
#define CHECK_CHECKRUN_H

#include "check/options.h"

#include <windows.h>
#include <string>

struct Run {
    std::string program;     // the path run, UTF-8
    std::string error;       // what went wrong and what to do; empty if nothing
    std::string log;         // UTF-8
    bool logRead = false;    // the log is the program's finished log
    bool ended = false;      // the exit code is known
    DWORD exitCode = 0;
    double seconds = 0;
    unsigned long peakMemoryKiB = 0; // of the program, up to the finished log; 0 if unknown
    int bitness = 0;                 // of the program, from its file; 0 if unknown
    bool openFileClosedFromOutside = false, chooseFontClosedFromOutside = false;
    std::string openFileDialogTitle, chooseFontDialogTitle;
    std::string screenshot;      // the PNG written, UTF-8; empty if none
    std::string screenshotError; // why the PNG asked for was not written
};

void RunProgram(const Options &options, Run *run);

// The longest full path, in characters, that the platform is given to
// start a program from: past it, this platform's CreateProcessW fails or
// crashes inside itself even when handed the short form.
enum { MAX_START_PATH = 1023 };

// Whether a program whose full (long) path has this many characters may
// be started.
bool StartableLength(size_t fullPathLength);

// "exit code 3", or "code 0xc0000005 (...)" for a crash.
std::string ExitText(DWORD exitCode);

#endif
