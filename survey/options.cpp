#include "survey/options.h"

static const double MAX_TIMEOUT_SECONDS = 3600;

const char USAGE[] =
    "usage: survey [--json] [--strict] [--only KIND,...] [--timeout SECONDS]\n"
    "              [--expect KIND=VERDICT,...] [--expect-file FILE]\n"
    "              [--timeline] [--timeline-svg FILE]\n"
    "\n"
    "Gives the mouse capture to a hidden window, runs each kind of modal loop\n"
    "owned by the main window, and reports who held the capture at the modal's\n"
    "initialisation (init), once its loop was running (running) and after it\n"
    "returned (after).\n"
    "\n"
    "  --json            one JSON object instead of the table\n"
    "  --strict          count released_late as held in the exit status\n"
    "  --only KIND,...   run only these kinds, in this order\n"
    "  --timeout SECONDS how long a modal may stay open before the guard closes it\n"
    "                    (default 20, above 0 and at most 3600)\n"
    "  --expect KIND=VERDICT,...  the verdict each kind is known to give: a match\n"
    "                    passes, a difference fails\n"
    "  --expect-file FILE take them from FILE's first line whose pattern matches the\n"
    "                    platform's version, its survey.KIND items (see expectations.txt)\n"
    "  --timeline        record every message of each modal's thread and say when\n"
    "                    and how the holder lost the capture (the JSON's timeline)\n"
    "  --timeline-svg FILE draw the timelines in FILE, as SVG (implies --timeline)\n"
    "  --version         print the survey's version\n"
    "  --help, -h, /?    print this help\n"
    "\n"
    "Exit status: 0 nothing held the capture while a modal ran, 1 something did,\n"
    "2 a usage error or a kind that could not be judged. With expectations: 0 every\n"
    "kind gave its expected verdict, 1 one did not (a regression or a fix).\n";

static std::string KindNames()
{
    std::string names;
    for (const Kind &kind : AllKinds())
        names += (names.empty() ? "" : ",") + std::string(kind.name);
    return names;
}

static std::string ParseKinds(const std::string &list, std::vector<const Kind *> &kinds)
{
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(',', start);
        std::string name = list.substr(start, end == std::string::npos ? end : end - start);
        const Kind *kind = FindKind(name);
        if (!kind)
            return "unknown kind \"" + name + "\" for --only; use some of: " + KindNames();
        kinds.push_back(kind);
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return "";
}

static std::string ParseSeconds(const std::string &text, UINT &limitMs)
{
    unsigned long ms = 0;
    if (!ReadSeconds(text, MAX_TIMEOUT_SECONDS, &ms))
        return "--timeout takes a number of seconds above 0 and at most 3600, not \"" + text + "\"";
    limitMs = (UINT)ms;
    return "";
}

static std::string ParseExpectations(const std::string &list, Expectations &expectations)
{
    std::string error;
    ParseExpectList(list, SURVEY_VOCABULARY, &expectations, &error);
    return error.empty() ? "" : "--expect: " + error;
}

Options ParseOptions(const std::vector<std::string> &args)
{
    Options options;
    Options *o = &options;
    std::vector<OptionRule> rules = {
        {"--json", VALUE_NONE, [o](const std::string &) { o->json = true; return std::string(); }},
        {"--strict", VALUE_NONE, [o](const std::string &) { o->strict = true; return std::string(); }},
        {"--only", VALUE_REQUIRED, [o](const std::string &value) { return ParseKinds(value, o->kinds); }},
        {"--timeout", VALUE_REQUIRED, [o](const std::string &value) { return ParseSeconds(value, o->limitMs); }},
        {"--expect", VALUE_REQUIRED,
         [o](const std::string &value) { return ParseExpectations(value, o->expectations); }},
        {"--expect-file", VALUE_REQUIRED, [o](const std::string &value) {
             o->expectFile = value;
             return value.empty() ? std::string("--expect-file takes a file name") : std::string();
         }},
        {"--timeline", VALUE_NONE, [o](const std::string &) { o->timeline = true; return std::string(); }},
        {"--timeline-svg", VALUE_REQUIRED, [o](const std::string &value) {
             o->timelineSvg = value;
             o->timeline = true;
             return value.empty() ? std::string("--timeline-svg takes a file name") : std::string();
         }},
    };
    auto positional = [](const std::string &arg) {
        return "unexpected argument \"" + arg + "\": the survey takes options only";
    };
    options.result = ParseCommandLine(args, rules, positional, &options.error);
    options.help = options.result == PARSE_HELP;
    if (options.kinds.empty())
        for (const Kind &kind : AllKinds())
            options.kinds.push_back(&kind);
    return options;
}
