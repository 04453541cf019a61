// Where the time to a verdict goes: starts TEST.exe as the checker does and
// notes, polling every 2 ms from outside as the checker does, when each phase of its run
// ends. Prints the median of each phase over the runs.
//   phases [RUNS] [PATH-OF-TEST.exe]
#include "outside/libraries.h"
#include "outside/outside.h"
#include "outside/text.h"

#include <algorithm>
#include <stdio.h>
#include <stdlib.h>
#include <vector>

enum Phase {
    MAIN_MADE, OPEN_SHOWN, OPEN_GONE, FONT_SHOWN, FONT_GONE, MAIN_SHOWN, LOG_READ, ENDED, PHASES
};

static const char *const PHASE_NAMES[PHASES] = {
    "TEST.exe start, to its main window made",
    "its windows and the capture, to the Open dialog shown",
    "Open dialog, shown to gone",
    "between the dialogs, to the Font dialog shown",
    "Font dialog, shown to gone",
    "to its main window shown",
    "log read from outside",
    "WM_CLOSE to its exit",
};

static double Now()
{
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return count.QuadPart * 1000.0 / frequency.QuadPart;
}

// The end of each phase in one run, in ms from CreateProcess; false if a
// phase was never seen within 30 s.
static bool TimeOneRun(const std::wstring &path, double ends[PHASES])
{
    double start = Now();
    Program program = StartProgram(path);
    if (!program.started)
        return false;
    HWND main = NULL;
    int phase = MAIN_MADE;
    while (phase < LOG_READ && Now() - start < 30000) {
        HWND dialog = FindProgramWindow(program, L"#32770");
        if (!main)
            main = FindMainWindow(program);
        bool seen = (phase == MAIN_MADE && main) || ((phase == OPEN_SHOWN || phase == FONT_SHOWN) && dialog) ||
                    ((phase == OPEN_GONE || phase == FONT_GONE) && !dialog) ||
                    (phase == MAIN_SHOWN && g_window.IsWindowVisible(main));
        if (seen)
            ends[phase++] = Now() - start;
        else
            WaitForSingleObject(program.process.hProcess, 2);
    }
    std::string log;
    bool finished = phase == LOG_READ && ReadLogPane(main, 5000, &log);
    ends[LOG_READ] = Now() - start;
    DWORD exitCode = 0;
    bool codeRead = false;
    finished = finished && CloseProgram(program, main, 10000, &exitCode, &codeRead);
    ends[ENDED] = Now() - start;
    EndProgram(&program);
    return finished;
}

static double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

int main(int argc, char **argv)
{
    int runs = argc > 1 ? atoi(argv[1]) : 15;
    std::wstring path = argc > 2 ? Wide(argv[2]) : L"TEST.exe";
    std::string error;
    if (runs < 1 || !LoadWindowFunctions(&error)) {
        fprintf(stderr, "phases: usage: phases [RUNS] [PATH-OF-TEST.exe] %s\n", error.c_str());
        return 2;
    }
    std::vector<double> durations[PHASES];
    for (int run = 0; run < runs; run++) {
        double ends[PHASES] = {0};
        if (!TimeOneRun(path, ends)) {
            fprintf(stderr, "phases: run %d did not finish; is %s TEST.exe?\n", run + 1,
                    Utf8(path).c_str());
            return 2;
        }
        for (int phase = 0; phase < PHASES; phase++)
            durations[phase].push_back(ends[phase] - (phase ? ends[phase - 1] : 0));
    }
    printf("%d runs, median ms per phase:\n", runs);
    for (int phase = 0; phase < PHASES; phase++)
        printf("  %-56s %7.1f\n", PHASE_NAMES[phase], Median(durations[phase]));
    return 0;
}
