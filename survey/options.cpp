#include "survey/options.h"

#include <stdlib.h>

const char USAGE[] =
    "usage: survey [--json] [--strict] [--only KIND,...] [--timeout SECONDS]\n"
    "              [--expect KIND=VERDICT,...] [--expect-file FILE]\n"
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
    "                    (default 20)\n"
    "  --expect KIND=VERDICT,...  the verdict each kind is known to give: a match\n"
    "                    passes, a difference fails\n"
    "  --expect-file FILE take them from FILE's first line whose pattern matches the\n"
    "                    platform's version, its survey.KIND items (see expectations.txt)\n"
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
    char *end = NULL;
    double seconds = strtod(text.c_str(), &end);
    if (text.empty() || *end || !(seconds > 0 && seconds <= 3600))
        return "--timeout needs a number of seconds between 0 and 3600, such as --timeout 20";
    limitMs = (UINT)(seconds * 1000 + 0.5);
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
    for (size_t i = 0; i < args.size() && options.error.empty(); i++) {
        const std::string &arg = args[i];
        bool hasValue = i + 1 < args.size();
        if (arg == "--help" || arg == "-h")
            options.help = true;
        else if (arg == "--json")
            options.json = true;
        else if (arg == "--strict")
            options.strict = true;
        else if ((arg == "--only" || arg == "--timeout" || arg == "--expect" ||
                  arg == "--expect-file") && !hasValue)
            options.error = arg + " needs a value; see --help";
        else if (arg == "--only")
            options.error = ParseKinds(args[++i], options.kinds);
        else if (arg == "--timeout")
            options.error = ParseSeconds(args[++i], options.limitMs);
        else if (arg == "--expect")
            options.error = ParseExpectations(args[++i], options.expectations);
        else if (arg == "--expect-file" && args[++i].empty())
            options.error = "--expect-file takes a file name";
        else if (arg == "--expect-file")
            options.expectFile = args[i];
        else
            options.error = "unknown argument \"" + arg + "\"; see --help";
    }
    if (options.kinds.empty())
        for (const Kind &kind : AllKinds())
            options.kinds.push_back(&kind);
    return options;
}
