// The checker: starts TEST.exe, waits for its finished log, reads it from
// outside, closes the program as a user would and judges the platform.
//   check [--json] [--timeout SECONDS] [--screenshot FILE.bmp] [PATH-OF-TEST.exe]
// Exit status: 0 both dialogs released the capture, 1 at least one held
// it, 2 the run could not be judged.
#include "tools/outside.h"
#include "tools/verdict.h"
#include "tools/json.h"

#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>
#include <string>

enum { STATUS_RELEASED = 0, STATUS_HELD = 1, STATUS_NOT_JUDGED = 2 };
enum { POLL_MS = 2, CLOSE_WAIT_MS = 10000 };

struct Options {
    bool json = false;
    DWORD timeoutMs = 60000;
    std::string path;
    std::string screenshot; // the screen with the finished log, before closing
};

struct Run {
    std::string error; // what went wrong and what to do; empty if nothing
    std::string log;
    bool ended = false;
    DWORD exitCode = 0;
    double seconds = 0;
    unsigned long peakMemoryKiB = 0; // of the program, up to the finished log
    std::string openFileClosedFromOutside, chooseFontClosedFromOutside; // dialog titles
};

static std::string ProgramBesideThisOne()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, sizeof(path));
    std::string self(path, length);
    return self.substr(0, self.find_last_of("\\/") + 1) + "TEST.exe";
}

static bool ParseOptions(int argc, char **argv, Options *options)
{
    for (int i = 1; i < argc; i++) {
        std::string arg = argv[i];
        if (arg == "--json") {
            options->json = true;
        } else if (arg == "--timeout" && i + 1 < argc) {
            double seconds = atof(argv[++i]);
            if (seconds <= 0)
                return false;
            options->timeoutMs = (DWORD)(seconds * 1000);
        } else if (arg == "--screenshot" && i + 1 < argc) {
            options->screenshot = argv[++i];
        } else if (arg.size() > 0 && arg[0] != '-' && options->path.empty()) {
            options->path = arg;
        } else {
            return false;
        }
    }
    if (options->path.empty())
        options->path = ProgramBesideThisOne();
    return true;
}

static std::string Seconds(DWORD ms)
{
    char text[32];
    snprintf(text, sizeof(text), "%.1f s", ms / 1000.0);
    return text;
}

// Which probe's dialog is open, from the headers the program has logged.
static bool FontProbeIsRunning(HWND main)
{
    std::string log = ReadLogPane(main);
    size_t font = log.rfind("Testing ChooseFont");
    size_t open = log.rfind("Testing GetOpenFileName");
    return font != std::string::npos && (open == std::string::npos || font > open);
}

// Past the time limit: a dialog still open is named and closed, once; a
// program with no dialog, or one whose dialog will not close, has failed.
static bool CloseStuckDialog(const Program &program, HWND main, const Options &options, Run *run)
{
    HWND dialog = FindProgramWindow(program, "#32770");
    if (!dialog) {
        run->error = "the program showed no window within " + Seconds(options.timeoutMs) +
                     "; check that the platform's display works, or raise --timeout";
        return false;
    }
    std::string *closed = FontProbeIsRunning(main) ? &run->chooseFontClosedFromOutside
                                                   : &run->openFileClosedFromOutside;
    std::string title = WindowTitle(dialog);
    if (!closed->empty()) {
        run->error = "the dialog \"" + title + "\" stayed open even after Cancel; the program was ended";
        return false;
    }
    *closed = title;
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    return true;
}

// Polls cheaply: the main window is looked for only until it is found,
// then only its visibility is asked. Waiting on the process ends the wait
// at once if the program ends.
static HWND WaitForFinishedLog(const Program &program, const Options &options, Run *run)
{
    DWORD deadline = GetTickCount() + options.timeoutMs;
    HWND main = NULL;
    for (;;) {
        if (!main)
            main = FindMainWindow(program);
        if (main && IsWindowVisible(main))
            return main;
        if (WaitForSingleObject(program.process.hProcess, POLL_MS) == WAIT_OBJECT_0) {
            HasEnded(program, &run->exitCode);
            run->ended = true;
            run->error = "the program ended with exit code " + std::to_string(run->exitCode) +
                         " before showing its main window; run it by hand to see why";
            return NULL;
        }
        if ((LONG)(GetTickCount() - deadline) >= 0) {
            if (!CloseStuckDialog(program, main, options, run))
                return NULL;
            deadline = GetTickCount() + options.timeoutMs;
        }
    }
}

// The window has just been shown: let it paint before the picture is taken.
static bool TakeScreenshot(HWND main, const std::string &path)
{
    DWORD_PTR ignored;
    SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
    RedrawWindow(main, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    return SaveScreenBitmap(path);
}

static void RunProgram(const Options &options, Run *run)
{
    if (GetFileAttributesA(options.path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        run->error = "there is no program at " + options.path +
                     "; build TEST.exe first or give its path";
        return;
    }
    DWORD started = GetTickCount();
    Program program = StartProgram(options.path);
    if (program.error) {
        run->error = options.path + " could not be started (error " +
                     std::to_string(program.error) + "); give the path of TEST.exe";
        return;
    }
    HWND main = WaitForFinishedLog(program, options, run);
    if (main) {
        run->log = ReadLogPane(main);
        run->peakMemoryKiB = PeakMemoryKiB(program);
        if (!options.screenshot.empty() && !TakeScreenshot(main, options.screenshot))
            fprintf(stderr, "check: the screenshot could not be written to %s\n",
                    options.screenshot.c_str());
        run->ended = CloseProgram(program, main, CLOSE_WAIT_MS, &run->exitCode);
        if (!run->ended)
            run->error = "the program did not end after WM_CLOSE and was ended; "
                         "run it by hand and close it to see why";
        else if (run->exitCode != 0)
            run->error = "the program ended with exit code " + std::to_string(run->exitCode) +
                         " instead of 0; run it by hand to see why";
    }
    EndProgram(&program);
    run->seconds = (GetTickCount() - started) / 1000.0;
}

static void MarkClosedFromOutside(ProbeVerdict *probe, const std::string &title)
{
    if (title.empty())
        return;
    probe->verdict = VERDICT_NOT_JUDGED;
    probe->holder.clear();
    probe->reason = "its dialog \"" + title + "\" did not close by itself and was closed from outside";
}

static int Status(const Run &run, const Judgement &judgement)
{
    Verdict open = judgement.openFile.verdict, font = judgement.chooseFont.verdict;
    if (!run.error.empty() || open == VERDICT_NOT_JUDGED || font == VERDICT_NOT_JUDGED)
        return STATUS_NOT_JUDGED;
    if (open == VERDICT_HELD || font == VERDICT_HELD)
        return STATUS_HELD;
    return STATUS_RELEASED;
}

static std::string Explain(const ProbeVerdict &probe)
{
    switch (probe.verdict) {
    case VERDICT_RELEASED:
        return "released: no window held the mouse capture while the dialog was running";
    case VERDICT_HELD:
        return "HELD: the mouse capture was still held" +
               (probe.holder.empty() ? std::string() : " by window " + probe.holder) +
               " while the dialog was running; the platform did not release it";
    default:
        return "not judged: " + probe.reason;
    }
}

static void PrintText(const Options &options, const Run &run, const Judgement &judgement,
                      int status)
{
    for (const std::string &line : judgement.lines)
        printf("%s\n", line.c_str());
    printf("\n");
    printf("Open dialog (GetOpenFileName): %s\n", Explain(judgement.openFile).c_str());
    printf("Font dialog (ChooseFont):      %s\n", Explain(judgement.chooseFont).c_str());
    if (run.ended)
        printf("%s ended with exit code %lu after %.2f s; check status %d\n",
               options.path.c_str(), run.exitCode, run.seconds, status);
    if (!run.error.empty())
        fprintf(stderr, "check: %s\n", run.error.c_str());
}

static std::string JsonProbe(const ProbeVerdict &probe)
{
    return std::string("{\"verdict\": ") + JsonString(VerdictName(probe.verdict)) +
           ", \"holder\": " + (probe.holder.empty() ? "null" : JsonString(probe.holder)) +
           ", \"reason\": " + (probe.reason.empty() ? "null" : JsonString(probe.reason)) + "}";
}

static void PrintJson(const Options &options, const Run &run, const Judgement &judgement,
                      int status)
{
    std::string lines;
    for (const std::string &line : judgement.lines)
        lines += (lines.empty() ? "" : ", ") + JsonString(line);
    printf("{\"program\": %s, \"status\": %d, \"error\": %s, \"exitCode\": %s, "
           "\"seconds\": %.3f, \"peakMemoryKiB\": %lu, \"openFile\": %s, \"chooseFont\": %s, \"log\": [%s]}\n",
           JsonString(options.path).c_str(), status,
           run.error.empty() ? "null" : JsonString(run.error).c_str(),
           run.ended ? std::to_string(run.exitCode).c_str() : "null", run.seconds, run.peakMemoryKiB,
           JsonProbe(judgement.openFile).c_str(), JsonProbe(judgement.chooseFont).c_str(),
           lines.c_str());
}

int main(int argc, char **argv)
{
    // Plain line ends: the output goes to terminals and other programs.
    _setmode(_fileno(stdout), _O_BINARY);
    Options options;
    if (!ParseOptions(argc, argv, &options)) {
        fprintf(stderr, "check: usage: check [--json] [--timeout SECONDS] [--screenshot FILE.bmp] "
                        "[PATH-OF-TEST.exe]\n");
        return STATUS_NOT_JUDGED;
    }
    Run run;
    RunProgram(options, &run);
    Judgement judgement = JudgeLog(run.log);
    MarkClosedFromOutside(&judgement.openFile, run.openFileClosedFromOutside);
    MarkClosedFromOutside(&judgement.chooseFont, run.chooseFontClosedFromOutside);
    int status = Status(run, judgement);
    if (options.json)
        PrintJson(options, run, judgement, status);
    else
        PrintText(options, run, judgement, status);
    return status;
}
