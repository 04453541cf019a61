#include "check/options.h"
#include "outside/text.h"

#include <windows.h>

static const double MAX_TIMEOUT_SECONDS = 86400;

const char *Usage()
{
    return "usage: check [OPTIONS] [PATH-OF-TEST.exe]\n"
           "Runs TEST.exe (by default the one beside check.exe), reads its log and judges\n"
           "whether the platform released the mouse capture for its two dialogs.\n"
           "\n"
           "  --json [FILE.json]      one JSON object on standard output, or in FILE\n"
           "  --tap [FILE.tap]        TAP version 13 on standard output, or in FILE\n"
           "  --junit FILE            JUnit XML in FILE\n"
           "                          (--json=FILE and --tap=FILE take any file name; the\n"
           "                          files and standard output report the same run)\n"
           "  --quiet                 text output: the verdicts without the log\n"
           "  --timeout SECONDS       limit for the whole run (default 60, above 0 and at\n"
           "                          most 86400)\n"
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
           "could not be judged or a report file could not be written, 2 a wrong argument.\n"
           "With expectations: 0 every probe that counts gave its expected verdict, 1 one\n"
           "did not (a regression or a fix).\n";
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

static std::string ReadProbe(const std::string &text, ProbeChoice *probe)
{
    for (ProbeChoice choice : {PROBE_OPEN, PROBE_FONT, PROBE_BOTH})
        if (text == ProbeName(choice)) {
            *probe = choice;
            return "";
        }
    return "--probe takes open, font or both, not \"" + text + "\"";
}

static bool EndsWith(const std::string &text, const std::string &end)
{
    return text.size() > end.size() &&
           lstrcmpiA(text.c_str() + text.size() - end.size(), end.c_str()) == 0;
}

// --json and --tap alone choose standard output; with a file, the file.
static OptionRule ReportOption(const char *name, const char *extension, OutputFormat format,
                               Options *options, std::wstring *file)
{
    return {name, VALUE_OPTIONAL,
            [=](const std::string &value) {
                if (value.empty() && options->format != OUTPUT_TEXT && options->format != format)
                    return std::string("--json and --tap cannot both go to standard output; "
                                       "give one of them a file");
                if (value.empty())
                    options->format = format;
                *file = Wide(value);
                return std::string();
            },
            [=](const std::string &next) { return EndsWith(next, extension); }};
}

static OptionRule FileOption(const char *name, std::wstring *file)
{
    return {name, VALUE_REQUIRED, [=](const std::string &value) {
                *file = Wide(value);
                return value.empty() ? std::string(name) + " takes a file name" : std::string();
            }};
}

static std::vector<OptionRule> Rules(Options *options)
{
    return {
        ReportOption("--json", ".json", OUTPUT_JSON, options, &options->json),
        ReportOption("--tap", ".tap", OUTPUT_TAP, options, &options->tap),
        FileOption("--junit", &options->junit),
        FileOption("--screenshot", &options->screenshot),
        {"--quiet", VALUE_NONE, [=](const std::string &) { options->quiet = true; return std::string(); }},
        {"--timeout", VALUE_REQUIRED, [=](const std::string &value) {
             return ReadSeconds(value, MAX_TIMEOUT_SECONDS, &options->timeoutMs)
                        ? std::string()
                        : "--timeout takes a number of seconds above 0 and at most 86400, not \"" +
                              value + "\"";
         }},
        {"--probe", VALUE_REQUIRED, [=](const std::string &value) { return ReadProbe(value, &options->probe); }},
        {"--unjudged-status", VALUE_REQUIRED, [=](const std::string &value) {
             long status = 0;
             if (!ReadWholeNumber(value, 0, 255, &status))
                 return "--unjudged-status takes a whole number from 0 to 255, not \"" + value + "\"";
             options->unjudgedStatus = (int)status;
             return std::string();
         }},
        {"--expect", VALUE_REQUIRED, [=](const std::string &value) {
             std::string error;
             if (!ParseExpectList(value, CHECK_VOCABULARY, &options->expectations, &error))
                 return "--expect: " + error;
             return std::string();
         }},
        FileOption("--expect-file", &options->expectFile),
    };
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

ParseResult ParseOptions(int argc, wchar_t **argv, Options *options, std::string *error)
{
    std::vector<std::string> args;
    for (int i = 1; i < argc; i++)
        args.push_back(Utf8(argv[i]));
    auto program = [options](const std::string &arg) {
        if (arg.empty())
            return std::string("the program's path is empty");
        if (!options->program.empty())
            return "unexpected argument \"" + arg + "\": give at most one program";
        options->program = Wide(arg);
        return std::string();
    };
    ParseResult result = ParseCommandLine(args, Rules(options), program, error);
    if (options->program.empty())
        options->program = ProgramBesideThisOne();
    return result;
}
