// The command-line dialect the tools share: --opt value and --opt=value,
// -- before names that start with a dash, --help, -h and /?, --version.
#ifndef OUTSIDE_COMMANDLINE_H
#define OUTSIDE_COMMANDLINE_H

#include <functional>
#include <string>
#include <vector>

enum ValueKind { VALUE_NONE, VALUE_REQUIRED, VALUE_OPTIONAL };

struct OptionRule {
    std::string name; // "--timeout"
    ValueKind value;
    // Takes the option, with its value if it has one; returns what was
    // wrong for people, or "".
    std::function<std::string(const std::string &value)> apply;
    // VALUE_OPTIONAL: whether the next argument is the option's value.
    std::function<bool(const std::string &next)> isValue = nullptr;
};

enum ParseResult { PARSE_RUN, PARSE_HELP, PARSE_VERSION, PARSE_ERROR };

// Reads every argument, so that an option after a mistake (an output
// format) still applies; the first mistake is the error. positional takes
// each argument that is not an option and returns what was wrong, or "".
ParseResult ParseCommandLine(const std::vector<std::string> &args, const std::vector<OptionRule> &rules,
                             const std::function<std::string(const std::string &)> &positional,
                             std::string *error);

// A number of seconds above 0 and at most `most`, in whole milliseconds.
bool ReadSeconds(const std::string &text, double most, unsigned long *ms);

// A whole number from least to most, with nothing after it.
bool ReadWholeNumber(const std::string &text, long least, long most, long *value);

#endif
