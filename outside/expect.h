// Known results: what a platform version is expected to give, so that a CI
// job passes where it knows the capture is held and fails on any change,
// a fix as much as a regression. The rules are pure, for the checker and
// the survey alike; reading the file is the caller's.
#ifndef OUTSIDE_EXPECT_H
#define OUTSIDE_EXPECT_H

#include <map>
#include <string>
#include <vector>

// What one program may be told to expect: its keys and its verdict names.
// In an expectations file, a key is written with the program's prefix.
struct ExpectVocabulary {
    const char *program;
    const char *filePrefix;
    std::vector<std::string> keys;
    std::vector<std::string> verdicts;
};

// One file serves both programs, so both know both vocabularies and read
// every file alike.
extern const ExpectVocabulary CHECK_VOCABULARY;  // open, font
extern const ExpectVocabulary SURVEY_VOCABULARY; // survey.KIND

typedef std::map<std::string, std::string> Expectations; // key -> verdict name

// "open=held,font=released", with the vocabulary's keys without prefix.
// On false, error says what is wrong and what to write instead.
bool ParseExpectList(const std::string &list, const ExpectVocabulary &vocabulary,
                     Expectations *expectations, std::string *error);

// A line of an expectations file: "PATTERN key=verdict ...". A line that
// ends in a backslash goes on on the next one.
struct ExpectLine {
    int number; // of the line the pattern is on, from 1
    std::string pattern;
    std::map<std::string, std::string> items; // as written, prefixes kept
};

// The whole file is read, so that a wrong line is found on every platform
// version. On false, error names the line and what is wrong with it.
bool ParseExpectFile(const std::string &text, std::vector<ExpectLine> *lines, std::string *error);

// "*" any run of characters, "?" any one; nothing else is special.
bool GlobMatches(const std::string &pattern, const std::string &text);

// The first line whose pattern matches the version, or NULL.
const ExpectLine *LineFor(const std::vector<ExpectLine> &lines, const std::string &version);

// The line's expectations for one program, with its prefix taken off.
Expectations ExpectationsOf(const ExpectLine &line, const ExpectVocabulary &vocabulary);

// What one result amounts to. Without an expectation a verdict passes,
// fails or cannot be judged as the program's own rule says; with one, it
// matches, or differs as a fix or a regression, or cannot be judged.
enum Outcome {
    OUTCOME_PASSED,
    OUTCOME_FAILED,
    OUTCOME_UNJUDGED,
    OUTCOME_MATCHES,
    OUTCOME_FIX,
    OUTCOME_REGRESSION
};

struct Comparison {
    Outcome outcome;
    std::string reason; // empty without an expectation
};

// plain is the outcome under the program's own rule; it stands where
// nothing is expected (an empty expected).
Comparison Compare(const std::string &verdict, const std::string &expected, Outcome plain);

// For people: "as expected: held", "regression: expected released, got
// HELD"; empty where nothing was expected.
std::string ExpectationNote(const std::string &expected, const Comparison &comparison);

// The JSON members "expected", "matches", "change" and "note", without
// braces; null where nothing was expected.
std::string ExpectationJsonMembers(const std::string &expected, const Comparison &comparison);

// Whether the result counts as passing in CI formats: TAP's ok, JUnit
// without a failure.
bool Passes(Outcome outcome);

// "regression" or "fix", or NULL for an outcome that is neither.
const char *ChangeName(Outcome outcome);

enum { EXPECT_STATUS_PASSED = 0, EXPECT_STATUS_FAILED = 1 };

// The exit status over the results that count: the unjudged status where
// one cannot be judged (or the run had an error), else 1 where one fails
// or differs from its expectation, else 0.
int StatusOf(const std::vector<Outcome> &counted, bool runError, int unjudgedStatus);

#endif
