// The checker's command line.
#ifndef CHECK_OPTIONS_H
#define CHECK_OPTIONS_H

#include "outside/commandline.h"
#include "outside/expect.h"

#include <string>

enum OutputFormat { OUTPUT_TEXT, OUTPUT_JSON, OUTPUT_TAP };
enum ProbeChoice { PROBE_BOTH, PROBE_OPEN, PROBE_FONT };

enum { STATUS_RELEASED = 0, STATUS_HELD = 1, STATUS_NOT_JUDGED = 2, STATUS_USAGE = 2 };

struct Options {
    OutputFormat format = OUTPUT_TEXT; // on standard output
    bool quiet = false;                // text output: the verdicts without the log
    unsigned long timeoutMs = 60000;   // the whole run's limit
    std::wstring program;              // TEST.exe to run
    std::wstring screenshot;           // PNG of the finished log; empty for none
    std::wstring json, tap, junit;     // report files; empty for none
    ProbeChoice probe = PROBE_BOTH;    // which probes decide the status
    int unjudgedStatus = STATUS_NOT_JUDGED;
    Expectations expectations; // from --expect, then with the file's line under them
    std::wstring expectFile;   // empty for none
};

// On PARSE_ERROR, error names the argument that was wrong. The output
// format is set from the whole line, so that errors keep to it.
ParseResult ParseOptions(int argc, wchar_t **argv, Options *options, std::string *error);

const char *Usage();

const char *ProbeName(ProbeChoice probe);

// Whether the verdict of this probe (PROBE_OPEN or PROBE_FONT) decides the
// status under the choice made.
bool Counts(ProbeChoice choice, ProbeChoice probe);

#endif
