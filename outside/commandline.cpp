#include "outside/commandline.h"

#include <errno.h>
#include <math.h>
#include <stdlib.h>

static const OptionRule *FindRule(const std::vector<OptionRule> &rules, const std::string &name)
{
    for (const OptionRule &rule : rules)
        if (rule.name == name)
            return &rule;
    return nullptr;
}

// One option at args[*i]; moves *i past a value taken from the next argument.
static std::string ApplyOption(const std::vector<std::string> &args, size_t *i,
                               const std::vector<OptionRule> &rules)
{
    std::string name = args[*i], value;
    size_t equals = name.find('=');
    bool hasValue = equals != std::string::npos;
    if (hasValue) {
        value = name.substr(equals + 1);
        name = name.substr(0, equals);
    }
    const OptionRule *rule = FindRule(rules, name);
    if (!rule)
        return "unknown option " + name;
    if (rule->value == VALUE_NONE && hasValue)
        return name + " takes no value";
    bool next = *i + 1 < args.size();
    if (rule->value == VALUE_REQUIRED && !hasValue) {
        if (!next)
            return name + " needs a value";
        value = args[++*i];
        hasValue = true;
    }
    if (rule->value == VALUE_OPTIONAL && !hasValue && next && rule->isValue(args[*i + 1])) {
        value = args[++*i];
        hasValue = true;
    }
    return rule->apply(hasValue ? value : std::string());
}

ParseResult ParseCommandLine(const std::vector<std::string> &args, const std::vector<OptionRule> &rules,
                             const std::function<std::string(const std::string &)> &positional,
                             std::string *error)
{
    ParseResult result = PARSE_RUN;
    error->clear();
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); i++) {
        const std::string &arg = args[i];
        std::string wrong;
        if (optionsEnded || arg.empty() || arg == "-" || (arg[0] != '-' && arg != "/?"))
            wrong = positional(arg);
        else if (arg == "--")
            optionsEnded = true;
        else if (arg == "--help" || arg == "-h" || arg == "/?")
            result = result == PARSE_RUN ? PARSE_HELP : result;
        else if (arg == "--version")
            result = result == PARSE_RUN ? PARSE_VERSION : result;
        else if (arg.compare(0, 2, "--") == 0)
            wrong = ApplyOption(args, &i, rules);
        else
            wrong = "unknown option " + arg;
        if (!wrong.empty() && error->empty())
            *error = wrong;
    }
    return error->empty() ? result : PARSE_ERROR;
}

bool ReadSeconds(const std::string &text, double most, unsigned long *ms)
{
    errno = 0;
    char *end = nullptr;
    double seconds = strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || errno != 0 || !isfinite(seconds) || seconds <= 0 ||
        seconds > most)
        return false;
    *ms = (unsigned long)ceil(seconds * 1000);
    return true;
}

bool ReadWholeNumber(const std::string &text, long least, long most, long *value)
{
    errno = 0;
    char *end = nullptr;
    long number = strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || number < least || number > most)
        return false;
    *value = number;
    return true;
}
