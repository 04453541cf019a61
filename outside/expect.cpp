#include "outside/expect.h"
#include "outside/json.h"

#include <algorithm>
#include <string.h>

const ExpectVocabulary CHECK_VOCABULARY = {
    "check", "", {"open", "font"}, {"released", "held", "not_judged"}};

const ExpectVocabulary SURVEY_VOCABULARY = {
    "survey",
    "survey.",
    {"open_explorer", "open_old", "save_explorer", "open_wide", "font", "colour", "print_setup",
     "page_setup", "browse_folder", "message_box", "dialog", "popup_menu"},
    {"released", "released_late", "held", "taken", "not_shown", "not_judged"}};

static const ExpectVocabulary *const VOCABULARIES[] = {&CHECK_VOCABULARY, &SURVEY_VOCABULARY};

static bool Contains(const std::vector<std::string> &names, const std::string &name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

static std::string Joined(const std::vector<std::string> &names, const std::string &prefix = "")
{
    std::string text;
    for (const std::string &name : names)
        text += (text.empty() ? "" : ", ") + prefix + name;
    return text;
}

// A text from the command line or a file, quoted for a message that may
// reach a terminal: control characters do not pass.
static std::string Quoted(const std::string &text)
{
    std::string out = "\"";
    for (char c : text)
        out += (unsigned char)c < 0x20 || c == 0x7f ? '?' : c;
    return out + "\"";
}

// Checks one KEY=VERDICT against a vocabulary and adds it; the key as
// written, with the vocabulary's prefix where it has one.
static std::string AddItem(const std::string &item, const ExpectVocabulary &vocabulary,
                           std::map<std::string, std::string> *items)
{
    std::string verdict = item.substr(item.find('=') + 1);
    if (!Contains(vocabulary.verdicts, verdict))
        return Quoted(item) + ": the " + vocabulary.program + "'s verdicts are " +
               Joined(vocabulary.verdicts);
    std::string written = item.substr(0, item.find('='));
    if (items->count(written))
        return Quoted(written) + " is given twice";
    (*items)[written] = verdict;
    return "";
}

static std::string NotAnItem(const std::string &item)
{
    return Quoted(item) + " is not KEY=VERDICT, such as open=held";
}

bool ParseExpectList(const std::string &list, const ExpectVocabulary &vocabulary,
                     Expectations *expectations, std::string *error)
{
    size_t start = 0;
    for (;;) {
        size_t comma = list.find(',', start);
        std::string item = list.substr(start, comma == std::string::npos ? comma : comma - start);
        size_t equals = item.find('=');
        if (equals == std::string::npos || equals == 0) {
            *error = NotAnItem(item);
            return false;
        }
        std::string key = item.substr(0, equals);
        if (!Contains(vocabulary.keys, key)) {
            *error = "unknown key " + Quoted(key) + "; the " + vocabulary.program + "'s keys are " +
                     Joined(vocabulary.keys);
            return false;
        }
        *error = AddItem(item, vocabulary, expectations);
        if (!error->empty())
            return false;
        if (comma == std::string::npos)
            return true;
        start = comma + 1;
    }
}

// The vocabulary a key written in a file belongs to, or NULL.
static const ExpectVocabulary *VocabularyOf(const std::string &written)
{
    for (const ExpectVocabulary *vocabulary : VOCABULARIES) {
        std::string prefix = vocabulary->filePrefix;
        if (written.compare(0, prefix.size(), prefix) == 0 &&
            Contains(vocabulary->keys, written.substr(prefix.size())))
            return vocabulary;
    }
    return NULL;
}

static std::string UnknownFileKey(const std::string &written)
{
    return "unknown key " + Quoted(written) + "; the checker's are " +
           Joined(CHECK_VOCABULARY.keys, CHECK_VOCABULARY.filePrefix) + ", the survey's " +
           Joined(SURVEY_VOCABULARY.keys, SURVEY_VOCABULARY.filePrefix);
}

static std::string FileItem(const std::string &item, ExpectLine *line)
{
    size_t equals = item.find('=');
    if (equals == std::string::npos || equals == 0)
        return NotAnItem(item);
    std::string written = item.substr(0, equals);
    const ExpectVocabulary *vocabulary = VocabularyOf(written);
    if (!vocabulary)
        return UnknownFileKey(written);
    return AddItem(item, *vocabulary, &line->items);
}

struct Token {
    std::string text;
    int line;
};

// The words of one line, without its comment; continued says whether it
// ends in a backslash.
static std::vector<std::string> Words(std::string line, bool *continued)
{
    line = line.substr(0, line.find('#'));
    std::replace(line.begin(), line.end(), '\t', ' ');
    std::replace(line.begin(), line.end(), '\r', ' ');
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    *continued = !line.empty() && line.back() == '\\';
    if (*continued)
        line.pop_back();
    std::vector<std::string> words;
    size_t at = 0;
    while ((at = line.find_first_not_of(' ', at)) != std::string::npos) {
        size_t end = line.find(' ', at);
        words.push_back(line.substr(at, end == std::string::npos ? end : end - at));
        at = end;
    }
    return words;
}

static std::string Error(int line, const std::string &what)
{
    return "line " + std::to_string(line) + ": " + what;
}

// One line as it goes on over continuations: its pattern, then its items.
static bool ParseLine(const std::vector<Token> &tokens, ExpectLine *line, std::string *error)
{
    line->number = tokens[0].line;
    line->pattern = tokens[0].text;
    if (line->pattern.find('=') != std::string::npos) {
        *error = Error(line->number, Quoted(line->pattern) +
                                         " stands where a version pattern such as 8.0* belongs");
        return false;
    }
    if (tokens.size() == 1) {
        *error = Error(line->number, "nothing is expected after " + Quoted(line->pattern) +
                                         "; add KEY=VERDICT items");
        return false;
    }
    for (size_t i = 1; i < tokens.size(); i++) {
        std::string what = FileItem(tokens[i].text, line);
        if (!what.empty()) {
            *error = Error(tokens[i].line, what);
            return false;
        }
    }
    return true;
}

bool ParseExpectFile(const std::string &text, std::vector<ExpectLine> *lines, std::string *error)
{
    size_t start = text.compare(0, 3, "\xef\xbb\xbf") == 0 ? 3 : 0;
    std::vector<Token> tokens;
    for (int number = 1; start <= text.size(); number++) {
        size_t end = text.find('\n', start);
        bool continued;
        for (const std::string &word : Words(text.substr(start, end - start), &continued))
            tokens.push_back({word, number});
        if (!continued && !tokens.empty()) {
            lines->push_back(ExpectLine());
            if (!ParseLine(tokens, &lines->back(), error))
                return false;
            tokens.clear();
        }
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    if (tokens.empty())
        return true;
    lines->push_back(ExpectLine());
    return ParseLine(tokens, &lines->back(), error);
}

bool GlobMatches(const std::string &pattern, const std::string &text)
{
    // The last star's place, to go back to when what follows it fails.
    size_t p = 0, t = 0, star = std::string::npos, resume = 0;
    while (t < text.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == text[t])) {
            p++;
            t++;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = t;
        } else if (star != std::string::npos) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        p++;
    return p == pattern.size();
}

const ExpectLine *LineFor(const std::vector<ExpectLine> &lines, const std::string &version)
{
    for (const ExpectLine &line : lines)
        if (GlobMatches(line.pattern, version))
            return &line;
    return NULL;
}

Expectations ExpectationsOf(const ExpectLine &line, const ExpectVocabulary &vocabulary)
{
    Expectations expectations;
    for (const auto &item : line.items)
        if (VocabularyOf(item.first) == &vocabulary)
            expectations[item.first.substr(strlen(vocabulary.filePrefix))] = item.second;
    return expectations;
}

// How freely the capture went, from released to held; a verdict that says
// nothing of it comes last.
static int Freedom(const std::string &verdict)
{
    if (verdict == "released")
        return 0;
    if (verdict == "released_late" || verdict == "taken")
        return 1;
    if (verdict == "held")
        return 2;
    return 3;
}

static std::string Upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), ::toupper);
    return text;
}

Comparison Compare(const std::string &verdict, const std::string &expected, Outcome plain)
{
    if (expected.empty())
        return {plain, ""};
    std::string was = "expected " + expected;
    if (verdict == expected)
        return {OUTCOME_MATCHES, was};
    if (verdict == "not_judged")
        return {OUTCOME_UNJUDGED, was + ", but it could not be judged"};
    if (verdict != "held" && Freedom(verdict) < Freedom(expected))
        return {OUTCOME_FIX, was + ", got " + verdict +
                                 ": the platform now releases the capture here; update the expectation"};
    return {OUTCOME_REGRESSION, was + ", got " + Upper(verdict)};
}

std::string ExpectationNote(const std::string &expected, const Comparison &comparison)
{
    if (expected.empty())
        return "";
    if (comparison.outcome == OUTCOME_MATCHES)
        return "as expected: " + expected;
    const char *change = ChangeName(comparison.outcome);
    return (change ? change : "not judged") + (": " + comparison.reason);
}

std::string ExpectationJsonMembers(const std::string &expected, const Comparison &comparison)
{
    const char *change = ChangeName(comparison.outcome);
    std::string matches = expected.empty()                             ? "null"
                          : comparison.outcome == OUTCOME_MATCHES ? "true"
                                                                  : "false";
    return "\"expected\": " + JsonStringOrNull(expected) + ", \"matches\": " + matches +
           ", \"change\": " + JsonStringOrNull(change ? change : "") +
           ", \"note\": " + JsonStringOrNull(ExpectationNote(expected, comparison));
}

bool Passes(Outcome outcome)
{
    return outcome == OUTCOME_PASSED || outcome == OUTCOME_MATCHES;
}

const char *ChangeName(Outcome outcome)
{
    switch (outcome) {
    case OUTCOME_FIX:
        return "fix";
    case OUTCOME_REGRESSION:
        return "regression";
    default:
        return NULL;
    }
}

int StatusOf(const std::vector<Outcome> &counted, bool runError, int unjudgedStatus)
{
    bool failed = false;
    for (Outcome outcome : counted) {
        if (outcome == OUTCOME_UNJUDGED)
            return unjudgedStatus;
        failed = failed || !Passes(outcome);
    }
    if (runError)
        return unjudgedStatus;
    return failed ? EXPECT_STATUS_FAILED : EXPECT_STATUS_PASSED;
}
