#include "check/options.h"
#include "outside/text.h"

#include <errno.h>
#include <math.h>
#include <stdlib.h>
#include <windows.h>

static const double MAX_TIMEOUT_SECONDS = 86400;

const char *Usage()
{
    return "usage: check [OPTIONS] [PATH-OF-TEST.exe]\n"
           "Runs TEST.exe (by default the one beside check.exe), reads its log and judges\n"
           "whether the platform released the mouse capture for its two dialogs.\n"
           "\n"
           "  --json                  one JSON object on standard output\n"
           "  --tap                   TAP version 13 on standard output\n"
           "  --junit FILE            also write JUnit XML to FILE\n"
           "  --quiet                 text output: the verdicts without the log\n"
           "  --timeout SECONDS       limit for the whole run (default 60, at most 86400)\n"
           "  --screenshot FILE.png   save a PNG of the main window with the finished log\n"
           "  --probe open|font|both  which dialog decides the exit status (default both)\n"
           "  --unjudged-status N     exit status when the run cannot be judged (default 2)\n"
           "  --expect open=V,font=V  the verdict (released, held, not_judged) each probe is\n"
           "                          known to give: a match passes, a difference fails\n"
           "  --expect-file FILE      take them from FILE's first line whose pattern matches\n"
           "                          the platform's version (see expectations.txt)\n"
           "  --version               print the checker's version\n"
           "  --help, -h, /?          print this help\n"
           "\n"
           "Exit status: 0 the capture was released, 1 it was held, 2 (or N) the run\n"
           "could not be judged, 2 a wrong argument. With expectations: 0 every probe\n"
           "that counts gave its expected verdict, 1 one did not (a regression or a fix).\n";
}

const char *ProbeName(ProbeChoice probe)
{
    switch (probe) {
    case PROBE_OPEN:
        return "open";
    case PROBE_FONT:
        return "font";
    default:
        return "both";
    }
}

bool Counts(ProbeChoice choice, ProbeChoice probe)
{
    return choice == PROBE_BOTH || choice == probe;
}

static bool ParseTimeout(const std::string &text, unsigned long *ms)
{
    errno = 0;
    char *end = NULL;
    double seconds = strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || errno != 0 || !isfinite(seconds) || seconds <= 0 ||
        seconds > MAX_TIMEOUT_SECONDS)
        return false;
    *ms = (unsigned long)ceil(seconds * 1000);
    return true;
}

static bool ParseStatus(const std::string &text, int *status)
{
    errno = 0;
    char *end = NULL;
    long value = strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || value < 0 || value > 255)
        return false;
    *status = (int)value;
    return true;
}

static bool ParseProbe(const std::string &text, ProbeChoice *probe)
{
    if (text == "open")
        *probe = PROBE_OPEN;
    else if (text == "font")
        *probe = PROBE_FONT;
    else if (text == "both")
        *probe = PROBE_BOTH;
    else
        return false;
    return true;
}

static bool TakesValue(const std::string &name)
{
    return name == "--timeout" || name == "--screenshot" || name == "--junit" || name == "--probe" ||
           name == "--unjudged-status" || name == "--expect" || name == "--expect-file";
}

// Applies an option that takes a value; false if the value is wrong.
static bool ApplyValue(const std::string &name, const std::wstring &value, Options *options,
                       std::string *error)
{
    std::string text = Utf8(value);
    bool ok = true;
    if (name == "--timeout") {
        ok = ParseTimeout(text, &options->timeoutMs);
        if (!ok)
            *error = "--timeout takes a number of seconds above 0 and at most 86400, not \"" + text + "\"";
    } else if (name == "--probe") {
        ok = ParseProbe(text, &options->probe);
        if (!ok)
            *error = "--probe takes open, font or both, not \"" + text + "\"";
    } else if (name == "--unjudged-status") {
        ok = ParseStatus(text, &options->unjudgedStatus);
        if (!ok)
            *error = "--unjudged-status takes a whole number from 0 to 255, not \"" + text + "\"";
    } else if (name == "--expect") {
        ok = ParseExpectList(text, CHECK_VOCABULARY, &options->expectations, error);
        if (!ok)
            *error = "--expect: " + *error;
    } else if (value.empty()) {
        *error = name + " takes a file name";
        ok = false;
    } else if (name == "--screenshot") {
        options->screenshot = value;
    } else if (name == "--expect-file") {
        options->expectFile = value;
    } else {
        options->junit = value;
    }
    return ok;
}

static std::wstring ProgramBesideThisOne()
{
    std::wstring self(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(NULL, &self[0], (DWORD)self.size());
        if (length < self.size()) {
            self.resize(length);
            break;
        }
        self.resize(self.size() * 2);
    }
    return self.substr(0, self.find_last_of(L"\\/") + 1) + L"TEST.exe";
}

// The output format comes first, so that an error later on the line is
// already reported in it.
static void ReadFormat(int argc, wchar_t **argv, Options *options)
{
    for (int i = 1; i < argc; i++) {
        std::wstring arg = argv[i];
        if (arg == L"--json")
            options->format = OUTPUT_JSON;
        else if (arg == L"--tap")
            options->format = OUTPUT_TAP;
        else if (arg == L"--")
            break;
    }
}

ParseResult ParseOptions(int argc, wchar_t **argv, Options *options, std::string *error)
{
    ReadFormat(argc, argv, options);
    bool optionsEnded = false;
    for (int i = 1; i < argc; i++) {
        std::wstring arg = argv[i];
        std::string name = Utf8(arg);
        if (!optionsEnded && name.compare(0, 2, "--") == 0) {
            size_t equals = name.find('=');
            std::wstring value;
            bool hasValue = equals != std::string::npos;
            if (hasValue) {
                value = Wide(name.substr(equals + 1));
                name = name.substr(0, equals);
            }
            if (name == "--") {
                optionsEnded = true;
            } else if (TakesValue(name)) {
                if (!hasValue && i + 1 >= argc) {
                    *error = name + " needs a value";
                    return PARSE_ERROR;
                }
                if (!ApplyValue(name, hasValue ? value : std::wstring(argv[++i]), options, error))
                    return PARSE_ERROR;
            } else if (hasValue) {
                *error = name + " takes no value";
                return PARSE_ERROR;
            } else if (name == "--help") {
                return PARSE_HELP;
            } else if (name == "--version") {
                return PARSE_VERSION;
            } else if (name == "--quiet") {
                options->quiet = true;
            } else if (name != "--json" && name != "--tap") {
                *error = "unknown option " + name;
                return PARSE_ERROR;
            }
        } else if (!optionsEnded && (name == "-h" || name == "/?")) {
            return PARSE_HELP;
        } else if (!optionsEnded && name.size() > 1 && name[0] == '-') {
            *error = "unknown option " + name;
            return PARSE_ERROR;
        } else if (options->program.empty() && !arg.empty()) {
            options->program = arg;
        } else {
            *error = "unexpected argument \"" + name + "\": give at most one program";
            return PARSE_ERROR;
        }
    }
    if (options->program.empty())
        options->program = ProgramBesideThisOne();
    return PARSE_RUN;
}
