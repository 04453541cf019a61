#include "check/checkrun.h"
#include "outside/files.h"
#include "outside/libraries.h"
#include "outside/outside.h"
#include "check/screenshot.h"
#include "outside/text.h"
#include "check/verdict.h"

#include <stdio.h>

enum {
    POLL_MS = 2,
    GRACE_MS = 5000,        // past the limit, for closing what is stuck
    DIALOG_GRACE_MS = 3000, // for the program to go on once its dialog is closed
    ANSWER_MS = 3000,       // for the program to answer one message
    MIN_ANSWER_MS = 500,
    CLOSE_WAIT_MS = 10000
};

static DWORD Remaining(DWORD until)
{
    LONG left = (LONG)(until - GetTickCount());
    return left > 0 ? (DWORD)left : 0;
}

static DWORD Bounded(DWORD limit, DWORD until, DWORD floor)
{
    DWORD left = Remaining(until);
    DWORD ms = left < limit ? left : limit;
    return ms > floor ? ms : floor;
}

static std::string Seconds(DWORD ms)
{
    char text[32];
    snprintf(text, sizeof(text), "%.1f s", ms / 1000.0);
    return text;
}

static bool Crashed(DWORD exitCode)
{
    return (exitCode & 0xc0000000) == 0xc0000000;
}

std::string ExitText(DWORD exitCode)
{
    return Crashed(exitCode) ? ErrorText(exitCode) : "exit code " + std::to_string(exitCode);
}

// Long paths need the form that lifts the length limit.
static std::wstring FullPath(const std::wstring &path)
{
    DWORD size = GetFullPathNameW(path.c_str(), 0, NULL, NULL);
    if (size == 0)
        return path;
    std::wstring full(size, L'\0');
    full.resize(GetFullPathNameW(path.c_str(), size, &full[0], NULL));
    if (full.size() >= MAX_PATH && full.compare(0, 4, L"\\\\?\\") != 0)
        full = full.compare(0, 2, L"\\\\") == 0 ? L"\\\\?\\UNC\\" + full.substr(2) : L"\\\\?\\" + full;
    return full;
}

// The path as the platform expands it when it starts the program: a short
// form given is as long as its long form there. Without the prefix that
// lifts the length limit, which the platform does not count.
static size_t LongPathLength(const std::wstring &path)
{
    DWORD size = GetLongPathNameW(path.c_str(), NULL, 0);
    std::wstring longPath(size ? size : 1, L'\0');
    DWORD length = size ? GetLongPathNameW(path.c_str(), &longPath[0], size) : 0;
    if (length == 0 || length >= size)
        longPath = path;
    else
        longPath.resize(length);
    if (longPath.compare(0, 8, L"\\\\?\\UNC\\") == 0)
        return longPath.size() - 6;
    return longPath.compare(0, 4, L"\\\\?\\") == 0 ? longPath.size() - 4 : longPath.size();
}

bool StartableLength(size_t fullPathLength)
{
    return fullPathLength <= MAX_START_PATH;
}

// Starting a program from a long path needs its short form, where the
// file system has one.
static std::wstring StartablePath(const std::wstring &path)
{
    if (path.size() < MAX_PATH)
        return path;
    std::wstring shortPath(path.size() + 1, L'\0');
    DWORD length = GetShortPathNameW(path.c_str(), &shortPath[0], (DWORD)shortPath.size());
    if (length == 0 || length >= shortPath.size())
        return path;
    shortPath.resize(length);
    if (shortPath.compare(0, 4, L"\\\\?\\") == 0 && length - 4 < MAX_PATH)
        shortPath = shortPath.substr(4);
    return shortPath;
}

// 32 or 64 from the program file's header; 0 if it is not a program.
static int ProgramBitness(const std::wstring &path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    IMAGE_DOS_HEADER dos;
    DWORD signature = 0, got = 0;
    WORD machine = 0;
    bool read = ReadFile(file, &dos, sizeof(dos), &got, NULL) && got == sizeof(dos) &&
                dos.e_magic == IMAGE_DOS_SIGNATURE &&
                SetFilePointer(file, dos.e_lfanew, NULL, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
                ReadFile(file, &signature, sizeof(signature), &got, NULL) &&
                signature == IMAGE_NT_SIGNATURE && ReadFile(file, &machine, sizeof(machine), &got, NULL);
    CloseHandle(file);
    if (!read)
        return 0;
    return machine == IMAGE_FILE_MACHINE_I386 ? 32 : machine == IMAGE_FILE_MACHINE_AMD64 ? 64 : 0;
}

struct Watch {
    const Options &options;
    Program program;
    Run *run;
    DWORD deadline; // the limit for the finished log
    DWORD hardEnd;  // the limit for everything, closing included
};

// Which probe's dialog is open, from the headers the program has logged.
// False if the program does not answer.
static bool FontProbeIsRunning(Watch *watch, HWND main, bool *fontRunning)
{
    std::string log;
    if (!ReadLogPane(main, Bounded(ANSWER_MS, watch->hardEnd, MIN_ANSWER_MS), &log))
        return false;
    *fontRunning = FontProbeStarted(log);
    return true;
}

static void NoWindowError(Watch *watch, HWND main)
{
    watch->run->error = "the program showed no window within " + Seconds(watch->options.timeoutMs);
    if (main)
        watch->run->error += " (its main window exists but stayed hidden, with no dialog open); "
                             "it may be hung: run it by hand to see why, or raise --timeout";
    else
        watch->run->error += "; check that the platform's display works, or raise --timeout";
}

// Past the time limit: a dialog still open is named and closed, once; a
// program with no dialog, or one whose dialog will not close, has failed.
static bool CloseStuckDialog(Watch *watch, HWND main)
{
    Run *run = watch->run;
    HWND dialog = FindProgramWindow(watch->program, L"#32770");
    if (!dialog) {
        NoWindowError(watch, main);
        return false;
    }
    std::string title = WindowTitle(dialog);
    bool fontRunning = false;
    if (main && !FontProbeIsRunning(watch, main, &fontRunning)) {
        run->error = "the program stopped answering with its dialog \"" + title +
                     "\" open; it was ended";
        return false;
    }
    bool *closed = fontRunning ? &run->chooseFontClosedFromOutside : &run->openFileClosedFromOutside;
    if (*closed) {
        run->error = "the dialog \"" + title + "\" stayed open even after Cancel; the program was ended";
        return false;
    }
    *closed = true;
    (fontRunning ? run->chooseFontDialogTitle : run->openFileDialogTitle) = title;
    g_window.PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    return true;
}

static void EndedEarlyError(Run *run)
{
    if (!run->ended)
        run->error = "the program ended by itself before showing its main window, and its exit code "
                     "could not be read";
    else if (Crashed(run->exitCode))
        run->error = "the program crashed before showing its main window: " + ExitText(run->exitCode);
    else
        run->error = "the program ended by itself with exit code " + std::to_string(run->exitCode) +
                     " before showing its main window";
    run->error += "; run it by hand to see why";
}

// Polls cheaply: the main window is looked for only until it is found,
// then only its visibility is asked. Waiting on the process ends the wait
// at once if the program ends.
static HWND WaitForFinishedLog(Watch *watch)
{
    HWND main = NULL;
    for (;;) {
        if (!main)
            main = FindMainWindow(watch->program);
        if (main && g_window.IsWindowVisible(main))
            return main;
        if (WaitForSingleObject(watch->program.process.hProcess, POLL_MS) == WAIT_OBJECT_0) {
            watch->run->ended = HasEnded(watch->program, &watch->run->exitCode);
            EndedEarlyError(watch->run);
            return NULL;
        }
        if (Remaining(watch->deadline) == 0) {
            if (!CloseStuckDialog(watch, main))
                return NULL;
            DWORD grace = GetTickCount() + DIALOG_GRACE_MS;
            watch->deadline = Remaining(grace) < Remaining(watch->hardEnd) ? grace : watch->hardEnd;
        }
    }
}

static void TakeScreenshot(Watch *watch, HWND main)
{
    Run *run = watch->run;
    const std::wstring &path = watch->options.screenshot;
    if (!WaitUntilPainted(main, Bounded(ANSWER_MS, watch->hardEnd, MIN_ANSWER_MS)))
        run->screenshotError = "the program did not finish painting its window";
    else if (!MakeFolderOf(path, &run->screenshotError))
        return;
    else if (SaveWindowPng(main, path, &run->screenshotError))
        run->screenshot = Utf8(path);
}

static void CloseFinishedProgram(Watch *watch, HWND main)
{
    Run *run = watch->run;
    DWORD wait = Bounded(CLOSE_WAIT_MS, watch->hardEnd, MIN_ANSWER_MS);
    bool codeRead = false;
    bool closed = CloseProgram(watch->program, main, wait, &run->exitCode, &codeRead);
    // A program that had to be ended has no exit code of its own to report.
    run->ended = codeRead;
    if (!closed)
        run->error = "the program did not end within " + Seconds(wait) +
                     " after WM_CLOSE and was ended; run it by hand and close it to see why";
    else if (!codeRead)
        run->error = "the program ended after WM_CLOSE, but its exit code could not be read";
    else if (Crashed(run->exitCode))
        run->error = "the program crashed when it was closed: " + ExitText(run->exitCode) +
                     "; run it by hand and close it to see why";
    else if (run->exitCode != 0)
        run->error = "the program ended with exit code " + std::to_string(run->exitCode) +
                     " instead of 0 after WM_CLOSE; run it by hand and close it to see why";
}

static void WatchProgram(Watch *watch)
{
    Run *run = watch->run;
    HWND main = WaitForFinishedLog(watch);
    if (!main)
        return;
    if (!ReadLogPane(main, Bounded(ANSWER_MS, watch->hardEnd, MIN_ANSWER_MS), &run->log)) {
        run->error = "the program did not answer when its log was read; it is hung or stopped, "
                     "and was ended";
        return;
    }
    run->logRead = true;
    run->peakMemoryKiB = PeakMemoryKiB(watch->program);
    if (!watch->options.screenshot.empty())
        TakeScreenshot(watch, main);
    CloseFinishedProgram(watch, main);
}

void RunProgram(const Options &options, Run *run)
{
    std::wstring path = FullPath(options.program);
    run->program = Utf8(options.program);
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        run->error = "there is no program at " + run->program + "; build TEST.exe first or give its path";
        return;
    }
    run->bitness = ProgramBitness(path);
    size_t length = LongPathLength(path);
    if (!StartableLength(length)) {
        run->error = "the program's path is " + std::to_string(length) + " characters long in full, more than the " +
                     std::to_string((int)MAX_START_PATH) +
                     " the platform is given to start a program from (past that it may crash); "
                     "move it to a shorter path";
        return;
    }
    DWORD started = GetTickCount();
    // Nothing but kernel32 is loaded yet: the program starts at once, and
    // the window libraries load while it does.
    Watch watch = {options, StartProgram(StartablePath(path)), run, started + options.timeoutMs,
                   started + options.timeoutMs + GRACE_MS};
    if (!watch.program.started) {
        run->error = run->program + " could not be started: " + ErrorText(watch.program.error) +
                     (path.size() >= MAX_PATH ? "; the platform may not start programs from a path "
                                                "this long: move it to a shorter one"
                                              : "; give the path of TEST.exe");
        return;
    }
    std::string missing;
    if (LoadWindowFunctions(&missing))
        WatchProgram(&watch);
    else
        run->error = "the checker cannot watch the program: " + missing;
    EndProgram(&watch.program);
    run->seconds = (GetTickCount() - started) / 1000.0;
}
