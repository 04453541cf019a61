// Known results: an expectation against each verdict, the exit status they
// give, the --expect lists and the expectations file, and the shipped file.
#include "outside/expect.h"
#include "outside/expectfile.h"
#include "survey/survey.h"

#include <gtest/gtest.h>
#include <fstream>
#include <iterator>

namespace {

const int UNJUDGED = 125; // apart from every other status, to tell it
const Outcome PASSED = OUTCOME_PASSED, FAILED = OUTCOME_FAILED, UNJ = OUTCOME_UNJUDGED,
              MATCHES = OUTCOME_MATCHES, FIX = OUTCOME_FIX, REGRESSION = OUTCOME_REGRESSION;
const std::string NOW_RELEASED = ": the platform now releases the capture here; update the expectation";

// The outcome of a verdict against an expectation ("" for none; plain is
// the program's own outcome then), and the note every format shows.
TEST(CompareTest, GivesTheOutcomeAndTheNote)
{
    const struct {
        const char *verdict, *expected;
        Outcome plain, outcome;
        const char *note; // a fix's note goes on with NOW_RELEASED
    } cases[] = {
        {"held", "", FAILED, FAILED, ""},
        // As expected, whatever the program's own rule says of the verdict.
        {"held", "held", FAILED, MATCHES, "as expected: held"},
        {"not_judged", "not_judged", UNJ, MATCHES, "as expected: not_judged"},
        // A fix: the capture is freer than expected.
        {"released", "held", PASSED, FIX, "fix: expected held, got released"},
        {"released", "not_judged", PASSED, FIX, "fix: expected not_judged, got released"},
        {"released_late", "held", PASSED, FIX, "fix: expected held, got released_late"},
        {"taken", "held", PASSED, FIX, "fix: expected held, got taken"},
        {"released", "released_late", PASSED, FIX, "fix: expected released_late, got released"},
        // A regression: anything else that differs, a pass included.
        {"held", "not_judged", FAILED, REGRESSION, "regression: expected not_judged, got HELD"},
        {"released_late", "released", PASSED, REGRESSION, "regression: expected released, got RELEASED_LATE"},
        {"taken", "released_late", PASSED, REGRESSION, "regression: expected released_late, got TAKEN"},
        {"not_shown", "held", PASSED, REGRESSION, "regression: expected held, got NOT_SHOWN"},
        {"not_judged", "held", UNJ, UNJ, "not judged: expected held, but it could not be judged"},
    };
    for (const auto &c : cases) {
        Comparison comparison = Compare(c.verdict, c.expected, c.plain);
        EXPECT_EQ(comparison.outcome, c.outcome) << c.verdict << " against " << c.expected;
        EXPECT_EQ(ExpectationNote(c.expected, comparison), c.note + (c.outcome == FIX ? NOW_RELEASED : ""));
    }
}

TEST(CompareTest, TheJsonTellsExpectedMatchesAndChange)
{
    EXPECT_EQ(ExpectationJsonMembers("", Compare("held", "", FAILED)),
              "\"expected\": null, \"matches\": null, \"change\": null, \"note\": null");
    EXPECT_EQ(ExpectationJsonMembers("held", Compare("held", "held", FAILED)),
              "\"expected\": \"held\", \"matches\": true, \"change\": null, \"note\": \"as expected: held\"");
    EXPECT_EQ(ExpectationJsonMembers("released", Compare("held", "released", FAILED)),
              "\"expected\": \"released\", \"matches\": false, \"change\": \"regression\", "
              "\"note\": \"regression: expected released, got HELD\"");
    EXPECT_EQ(ExpectationJsonMembers("held", Compare("not_judged", "held", UNJ)),
              "\"expected\": \"held\", \"matches\": false, \"change\": null, "
              "\"note\": \"not judged: expected held, but it could not be judged\"");
}

// Every result that counts decides: unjudged before failed before passed.
TEST(StatusTest, TheWorstCountedResultDecides)
{
    const struct {
        std::vector<Outcome> counted;
        bool runError;
        int status;
    } cases[] = {
        {{}, false, 0}, {{MATCHES, PASSED}, false, 0}, {{MATCHES, REGRESSION}, false, 1},
        {{FIX, MATCHES}, false, 1}, {{FAILED, MATCHES}, false, 1}, {{REGRESSION, UNJ}, false, UNJUDGED},
        {{UNJ, FIX}, false, UNJUDGED}, {{MATCHES, MATCHES}, true, UNJUDGED}, {{REGRESSION}, true, UNJUDGED},
    };
    for (const auto &c : cases)
        EXPECT_EQ(StatusOf(c.counted, c.runError, UNJUDGED), c.status)
            << c.counted.size() << " results, error " << c.runError;
}

// A wrong --expect list (with the program's vocabulary) or expectations
// file (NULL) says what is wrong; a file's message names the line.
TEST(ExpectErrorTest, AWrongListOrFileSaysWhatIsWrong)
{
    const std::string SURVEY_KEYS = "open_explorer, open_old, save_explorer, open_wide, font, colour, "
                                    "print_setup, page_setup, browse_folder, message_box, dialog, popup_menu";
    const std::string FILE_KEYS = "the checker's are open, font, the survey's survey.open_explorer, "
                                  "survey.open_old, survey.save_explorer, survey.open_wide, survey.font, "
                                  "survey.colour, survey.print_setup, survey.page_setup, survey.browse_folder, "
                                  "survey.message_box, survey.dialog, survey.popup_menu";
    const struct {
        const char *text;
        const ExpectVocabulary *vocabulary;
        std::string error; // "" for a file that is right
    } cases[] = {
        {"open=held,", &CHECK_VOCABULARY, "\"\" is not KEY=VERDICT, such as open=held"},
        {"open", &CHECK_VOCABULARY, "\"open\" is not KEY=VERDICT, such as open=held"},
        {"=held", &CHECK_VOCABULARY, "\"=held\" is not KEY=VERDICT, such as open=held"},
        {"font=released_late", &CHECK_VOCABULARY, "\"font=released_late\": the check's verdicts are released, held, not_judged"},
        {"open=held,menu=held", &CHECK_VOCABULARY, "unknown key \"menu\"; the check's keys are open, font"},
        {"open=held,open=released", &CHECK_VOCABULARY, "\"open\" is given twice"},
        {"open=held", &SURVEY_VOCABULARY, "unknown key \"open\"; the survey's keys are " + SURVEY_KEYS},
        {"survey.font=held", &SURVEY_VOCABULARY, "unknown key \"survey.font\"; the survey's keys are " + SURVEY_KEYS},
        {"font=held\x1f\x7f \x1b]52;c;x\x07", &SURVEY_VOCABULARY, "\"font=held?? ?]52;c;x?\": the survey's verdicts are released, released_late, held, taken, not_shown, not_judged"},
        {"open=held font=held\n", nullptr, "line 1: \"open=held\" stands where a version pattern such as 8.0* belongs"},
        {"# c\n\n8.0*   # no items\n", nullptr, "line 3: nothing is expected after \"8.0*\"; add KEY=VERDICT items"},
        {"* open=held\n5.0* open=held font=maybe\n", nullptr, "line 2: \"font=maybe\": the check's verdicts are released, held, not_judged"},
        {"* open=held \\\n  font=held \\\n  survey.popup_menu=grabbed\n", nullptr, "line 3: \"survey.popup_menu=grabbed\": the survey's verdicts are released, released_late, held, taken, not_shown, not_judged"},
        {"\n\n* open_explorer=held\n", nullptr, "line 3: unknown key \"open_explorer\"; " + FILE_KEYS},
        {"* openheld\n", nullptr, "line 1: \"openheld\" is not KEY=VERDICT, such as open=held"},
        {"* open=held \\", nullptr, ""},
    };
    for (const auto &c : cases) {
        Expectations expectations;
        std::vector<ExpectLine> lines;
        std::string error;
        bool taken = c.vocabulary ? ParseExpectList(c.text, *c.vocabulary, &expectations, &error)
                                  : ParseExpectFile(c.text, &lines, &error);
        EXPECT_EQ(taken, c.error.empty()) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
    }
}

// A list, and the file with a byte order mark, comments, blank lines,
// tabs, CRLF and continued lines, whose first line that matches applies.
TEST(ExpectTest, EachProgramTakesItsOwnKeysFromAListOrTheFirstMatchingLine)
{
    Expectations check;
    std::string error;
    ASSERT_TRUE(ParseExpectList("open=held,font=released", CHECK_VOCABULARY, &check, &error));
    EXPECT_EQ(check, (Expectations{{"open", "held"}, {"font", "released"}}));
    std::vector<ExpectLine> lines;
    ASSERT_TRUE(ParseExpectFile("\xef\xbb\xbf# known results\r\n\r\n"
                                "5.0*  open=held font=held   # Debian 11\r\n"
                                "8.0*\topen=held \\\r\n"
                                "      font=released survey.font=released_late \\\n"
                                "      survey.popup_menu=taken\n"
                                "*     survey.dialog=held#no space before the comment\n",
                                &lines, &error))
        << error;
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(LineFor(lines, "5.0.3"), &lines[0]);
    EXPECT_EQ(LineFor(lines, "8.0"), &lines[1]);
    EXPECT_EQ(LineFor(lines, "15.0"), &lines[2]);
    EXPECT_EQ(ExpectationsOf(lines[1], CHECK_VOCABULARY), (Expectations{{"open", "held"}, {"font", "released"}}));
    EXPECT_EQ(ExpectationsOf(lines[1], SURVEY_VOCABULARY),
              (Expectations{{"font", "released_late"}, {"popup_menu", "taken"}}));
    lines.pop_back();
    EXPECT_EQ(LineFor(lines, "10.0"), nullptr);
}

// A file of 1 MiB is read; one byte more is refused as too large, which
// is not a path that could not be read.
TEST(ExpectFileTest, AFileOverOneMebibyteIsTooLargeNotUnreadable)
{
    const std::string LINE = "* open=held\n", TOO_LARGE = "is larger than 1048576 bytes (1 MiB)";
    for (size_t size : {size_t(1) << 20, (size_t(1) << 20) + 1}) {
        std::string text = "#" + std::string(size - 1 - LINE.size() - 1, ' ') + "\n" + LINE;
        const char *path = "expectations-of-a-size.txt";
        std::ofstream(path, std::ios::binary) << text;
        Expectations expectations;
        std::string error;
        bool loaded = LoadExpectations(L"expectations-of-a-size.txt", "8.0", CHECK_VOCABULARY, {},
                                       &expectations, &error);
        EXPECT_EQ(loaded, size == size_t(1) << 20) << size << ": " << error;
        EXPECT_EQ(error.find(TOO_LARGE) != std::string::npos, !loaded) << error;
        EXPECT_EQ(error.find("could not be read"), std::string::npos) << error;
        EXPECT_EQ(expectations, loaded ? (Expectations{{"open", "held"}}) : Expectations()) << size;
        remove(path);
    }
}

// The command line speaks last, key by key; a file with no line for the
// platform's version is an error, not "nothing expected".
TEST(ExpectFileTest, TheListOverridesTheFileAndAVersionWithoutALineIsRefused)
{
    const char *path = "expectations-of-lines.txt";
    std::ofstream(path, std::ios::binary) << "5.0* open=released\n8.0* open=held font=held\n";
    const struct {
        const char *version;
        Expectations list, want;
        std::string error;
    } cases[] = {
        {"8.0", {}, {{"open", "held"}, {"font", "held"}}, ""},
        {"8.0", {{"open", "released"}}, {{"open", "released"}, {"font", "held"}}, ""},
        {"10.0", {{"open", "released"}}, {},
         "expectations-of-lines.txt has no line for the platform's version \"10.0\"; add one that starts with a "
         "pattern for it, such as 10.0*"},
    };
    for (const auto &c : cases) {
        Expectations expectations;
        std::string error;
        EXPECT_EQ(LoadExpectations(L"expectations-of-lines.txt", c.version, CHECK_VOCABULARY, c.list, &expectations,
                                   &error), c.error.empty()) << c.version;
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(expectations, c.want) << c.version;
    }
    remove(path);
}

TEST(GlobTest, StarIsAnyTextAndQuestionMarkAnyOneCharacter)
{
    const struct {
        const char *pattern, *text;
        bool matches;
    } cases[] = {
        {"5.0*", "5.0.3", true}, {"5.0*", "15.0", false}, {"8.0*", "8.0", true}, {"*", "", true},
        {"8.?", "8.0", true}, {"8.?", "8.10", false}, {"8.?", "8.", false}, {"8.0", "8.0.1", false},
        {"*.0", "10.0", true}, {"1*0", "10.0", true}, {"1*0", "10.1", false}, {"**", "8.0", true},
        {"a*b*c", "aXbYbZc", true}, {"a*b", "abc", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(GlobMatches(c.pattern, c.text), c.matches) << c.pattern << " " << c.text;
}

// The file's vocabulary must be the survey's own, or a file one program
// takes would be refused by the other.
TEST(VocabularyTest, TheSurveysKindsAndVerdictsAreTheFilesKeys)
{
    std::vector<std::string> kinds, verdicts;
    for (const Kind &kind : AllKinds())
        kinds.push_back(kind.name);
    EXPECT_EQ(kinds, SURVEY_VOCABULARY.keys);
    for (Verdict verdict : {RELEASED, RELEASED_LATE, HELD, TAKEN, NOT_SHOWN, NOT_JUDGED})
        verdicts.push_back(VerdictName(verdict));
    EXPECT_EQ(verdicts, SURVEY_VOCABULARY.verdicts);
}

// Every version the matrix knows has its line, with both probes and every
// kind of the survey. The path is from the root of the build folder's drive.
TEST(ShippedFileTest, ParsesAndCoversEveryKnownVersion)
{
    std::ifstream file(SHIPPED_EXPECTATIONS, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(text.empty()) << "cannot read " << SHIPPED_EXPECTATIONS;
    std::vector<ExpectLine> lines;
    std::string error;
    ASSERT_TRUE(ParseExpectFile(text, &lines, &error)) << error;
    for (const char *version : {"5.0.3", "8.0", "10.0"}) {
        const ExpectLine *line = LineFor(lines, version);
        ASSERT_NE(line, nullptr) << version;
        EXPECT_EQ(ExpectationsOf(*line, CHECK_VOCABULARY).size(), 2u) << version;
        EXPECT_EQ(ExpectationsOf(*line, SURVEY_VOCABULARY).size(), SURVEY_VOCABULARY.keys.size()) << version;
    }
}

} // namespace
