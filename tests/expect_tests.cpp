// Known results: an expectation against each verdict, the exit status they
// give, the --expect lists and the expectations file, and the shipped file.
#include "outside/expect.h"
#include "survey/survey.h"

#include <gtest/gtest.h>
#include <stdio.h>

namespace {

const int UNJUDGED = 125; // apart from every other status, to tell it

// A verdict against an expectation ("" for none), and the program's own
// outcome for the verdict where nothing is expected.
struct Case {
    const char *verdict, *expected;
    Outcome plain;
    Outcome outcome;
    int status;
    const char *reason;
};

void PrintTo(const Case &c, std::ostream *out)
{
    *out << c.verdict << " against " << (*c.expected ? c.expected : "nothing");
}

class CompareTest : public ::testing::TestWithParam<Case> {};

TEST_P(CompareTest, GivesOutcomeStatusAndReason)
{
    const Case &c = GetParam();
    Comparison comparison = Compare(c.verdict, c.expected, c.plain);
    EXPECT_EQ(comparison.outcome, c.outcome);
    EXPECT_EQ(comparison.reason, c.reason);
    EXPECT_EQ(StatusOf({comparison.outcome}, false, UNJUDGED), c.status);
}

const Outcome PASSED = OUTCOME_PASSED, FAILED = OUTCOME_FAILED, UNJ = OUTCOME_UNJUDGED;

INSTANTIATE_TEST_SUITE_P(
    Verdicts, CompareTest,
    ::testing::Values(
        // Nothing expected: the program's own rule stands.
        Case{"released", "", PASSED, PASSED, 0, ""},
        Case{"held", "", FAILED, FAILED, 1, ""},
        Case{"not_judged", "", UNJ, UNJ, UNJUDGED, ""},
        Case{"released_late", "", PASSED, PASSED, 0, ""},
        // As expected, whatever the program's rule says of the verdict.
        Case{"held", "held", FAILED, OUTCOME_MATCHES, 0, "expected held"},
        Case{"released", "released", PASSED, OUTCOME_MATCHES, 0, "expected released"},
        Case{"not_judged", "not_judged", UNJ, OUTCOME_MATCHES, 0, "expected not_judged"},
        Case{"not_shown", "not_shown", PASSED, OUTCOME_MATCHES, 0, "expected not_shown"},
        // A fix: the capture is freer than expected.
        Case{"released", "held", PASSED, OUTCOME_FIX, 1, "expected held, got released: the platform now releases the capture here; update the expectation"},
        Case{"released", "not_judged", PASSED, OUTCOME_FIX, 1, "expected not_judged, got released: the platform now releases the capture here; update the expectation"},
        Case{"released_late", "held", PASSED, OUTCOME_FIX, 1, "expected held, got released_late: the platform now releases the capture here; update the expectation"},
        Case{"released", "released_late", PASSED, OUTCOME_FIX, 1, "expected released_late, got released: the platform now releases the capture here; update the expectation"},
        Case{"released", "not_shown", PASSED, OUTCOME_FIX, 1, "expected not_shown, got released: the platform now releases the capture here; update the expectation"},
        Case{"taken", "held", PASSED, OUTCOME_FIX, 1, "expected held, got taken: the platform now releases the capture here; update the expectation"},
        // A regression: anything else that differs, a pass included.
        Case{"held", "released", FAILED, OUTCOME_REGRESSION, 1, "expected released, got HELD"},
        Case{"held", "not_judged", FAILED, OUTCOME_REGRESSION, 1, "expected not_judged, got HELD"},
        Case{"held", "not_shown", FAILED, OUTCOME_REGRESSION, 1, "expected not_shown, got HELD"},
        Case{"released_late", "released", PASSED, OUTCOME_REGRESSION, 1, "expected released, got RELEASED_LATE"},
        Case{"held", "released_late", FAILED, OUTCOME_REGRESSION, 1, "expected released_late, got HELD"},
        Case{"taken", "released_late", PASSED, OUTCOME_REGRESSION, 1, "expected released_late, got TAKEN"},
        Case{"not_shown", "held", PASSED, OUTCOME_REGRESSION, 1, "expected held, got NOT_SHOWN"},
        // Not judged, though a verdict was expected.
        Case{"not_judged", "held", UNJ, UNJ, UNJUDGED, "expected held, but it could not be judged"},
        Case{"not_judged", "released", UNJ, UNJ, UNJUDGED, "expected released, but it could not be judged"}));

// Every result that counts decides: unjudged before failed before passed.
TEST(StatusTest, TheWorstCountedResultDecides)
{
    const struct {
        std::vector<Outcome> counted;
        bool runError;
        int status;
    } cases[] = {
        {{}, false, 0},
        {{OUTCOME_MATCHES, OUTCOME_PASSED}, false, 0},
        {{OUTCOME_MATCHES, OUTCOME_REGRESSION}, false, 1},
        {{OUTCOME_FIX, OUTCOME_MATCHES}, false, 1},
        {{OUTCOME_FAILED, OUTCOME_MATCHES}, false, 1},
        {{OUTCOME_REGRESSION, OUTCOME_UNJUDGED}, false, UNJUDGED},
        {{OUTCOME_UNJUDGED, OUTCOME_FIX}, false, UNJUDGED},
        {{OUTCOME_MATCHES, OUTCOME_MATCHES}, true, UNJUDGED},
        {{OUTCOME_REGRESSION}, true, UNJUDGED},
    };
    for (const auto &c : cases)
        EXPECT_EQ(StatusOf(c.counted, c.runError, UNJUDGED), c.status)
            << c.counted.size() << " results, error " << c.runError;
}

TEST(StatusTest, OnlyMatchesAndPlainPassesPassInCiFormats)
{
    EXPECT_TRUE(Passes(OUTCOME_PASSED));
    EXPECT_TRUE(Passes(OUTCOME_MATCHES));
    for (Outcome outcome : {OUTCOME_FAILED, OUTCOME_UNJUDGED, OUTCOME_FIX, OUTCOME_REGRESSION})
        EXPECT_FALSE(Passes(outcome)) << outcome;
    EXPECT_STREQ(ChangeName(OUTCOME_FIX), "fix");
    EXPECT_STREQ(ChangeName(OUTCOME_REGRESSION), "regression");
    EXPECT_EQ(ChangeName(OUTCOME_MATCHES), nullptr);
    EXPECT_EQ(ChangeName(OUTCOME_FAILED), nullptr);
}

// The note names the kind of change, or a match, for every format to show.
TEST(StatusTest, TheNoteSaysWhetherItIsAMatchARegressionOrAFix)
{
    EXPECT_EQ(ExpectationNote("", Compare("held", "", OUTCOME_FAILED)), "");
    EXPECT_EQ(ExpectationNote("held", Compare("held", "held", OUTCOME_FAILED)), "as expected: held");
    EXPECT_EQ(ExpectationNote("released", Compare("held", "released", OUTCOME_FAILED)),
              "regression: expected released, got HELD");
    EXPECT_EQ(ExpectationNote("held", Compare("released", "held", OUTCOME_PASSED)),
              "fix: expected held, got released: the platform now releases the capture here; "
              "update the expectation");
    EXPECT_EQ(ExpectationNote("held", Compare("not_judged", "held", OUTCOME_UNJUDGED)),
              "not judged: expected held, but it could not be judged");
}

TEST(StatusTest, TheJsonTellsExpectedMatchesAndChange)
{
    EXPECT_EQ(ExpectationJsonMembers("", Compare("held", "", OUTCOME_FAILED)),
              "\"expected\": null, \"matches\": null, \"change\": null, \"note\": null");
    EXPECT_EQ(ExpectationJsonMembers("held", Compare("held", "held", OUTCOME_FAILED)),
              "\"expected\": \"held\", \"matches\": true, \"change\": null, \"note\": \"as expected: held\"");
    EXPECT_EQ(ExpectationJsonMembers("released", Compare("held", "released", OUTCOME_FAILED)),
              "\"expected\": \"released\", \"matches\": false, \"change\": \"regression\", "
              "\"note\": \"regression: expected released, got HELD\"");
    EXPECT_EQ(ExpectationJsonMembers("held", Compare("not_judged", "held", OUTCOME_UNJUDGED)),
              "\"expected\": \"held\", \"matches\": false, \"change\": null, "
              "\"note\": \"not judged: expected held, but it could not be judged\"");
}

TEST(ExpectListTest, TakesTheProgramsOwnKeysAndVerdicts)
{
    Expectations expectations;
    std::string error;
    ASSERT_TRUE(ParseExpectList("open=held,font=released", CHECK_VOCABULARY, &expectations, &error));
    EXPECT_EQ(expectations, (Expectations{{"open", "held"}, {"font", "released"}}));

    Expectations survey;
    ASSERT_TRUE(ParseExpectList("font=released_late,popup_menu=taken", SURVEY_VOCABULARY, &survey, &error));
    EXPECT_EQ(survey, (Expectations{{"font", "released_late"}, {"popup_menu", "taken"}}));
}

TEST(ExpectListTest, AWrongListSaysWhatIsWrong)
{
    const struct {
        const char *list;
        const ExpectVocabulary &vocabulary;
        const char *error;
    } cases[] = {
        {"", CHECK_VOCABULARY, "\"\" is not KEY=VERDICT, such as open=held"},
        {"open=held,", CHECK_VOCABULARY, "\"\" is not KEY=VERDICT, such as open=held"},
        {"open", CHECK_VOCABULARY, "\"open\" is not KEY=VERDICT, such as open=held"},
        {"=held", CHECK_VOCABULARY, "\"=held\" is not KEY=VERDICT, such as open=held"},
        {"open=HELD", CHECK_VOCABULARY, "\"open=HELD\": the check's verdicts are released, held, not_judged"},
        {"font=released_late", CHECK_VOCABULARY, "\"font=released_late\": the check's verdicts are released, held, not_judged"},
        {"open=held,menu=held", CHECK_VOCABULARY, "unknown key \"menu\"; the check's keys are open, font"},
        {"open=held,open=released", CHECK_VOCABULARY, "\"open\" is given twice"},
        {"open=held", SURVEY_VOCABULARY, "unknown key \"open\"; the survey's keys are open_explorer, open_old, save_explorer, open_wide, font, colour, print_setup, page_setup, browse_folder, message_box, dialog, popup_menu"},
        {"survey.font=held", SURVEY_VOCABULARY, "unknown key \"survey.font\"; the survey's keys are open_explorer, open_old, save_explorer, open_wide, font, colour, print_setup, page_setup, browse_folder, message_box, dialog, popup_menu"},
        {"font=held\x1b]52;c;x\x07", SURVEY_VOCABULARY, "\"font=held?]52;c;x?\": the survey's verdicts are released, released_late, held, taken, not_shown, not_judged"},
    };
    for (const auto &c : cases) {
        Expectations expectations;
        std::string error;
        EXPECT_FALSE(ParseExpectList(c.list, c.vocabulary, &expectations, &error)) << c.list;
        EXPECT_EQ(error, c.error);
    }
}

const char FILE_TEXT[] =
    "\xef\xbb\xbf# known results\r\n"
    "\r\n"
    "5.0*  open=held font=held   # Debian 11\r\n"
    "8.0*\topen=held \\\r\n"
    "      font=released survey.font=released_late \\\n"
    "      survey.popup_menu=taken\n"
    "*     survey.dialog=held\n";

TEST(ExpectFileTest, ReadsPatternsItemsCommentsAndContinuedLines)
{
    std::vector<ExpectLine> lines;
    std::string error;
    ASSERT_TRUE(ParseExpectFile(FILE_TEXT, &lines, &error)) << error;
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].number, 3);
    EXPECT_EQ(lines[0].pattern, "5.0*");
    EXPECT_EQ(lines[1].number, 4);
    EXPECT_EQ(lines[1].items, (std::map<std::string, std::string>{
                                  {"open", "held"}, {"font", "released"},
                                  {"survey.font", "released_late"}, {"survey.popup_menu", "taken"}}));
    EXPECT_EQ(lines[2].pattern, "*");
}

TEST(ExpectFileTest, TheFirstMatchingLineAppliesInEachProgramsOwnKeys)
{
    std::vector<ExpectLine> lines;
    std::string error;
    ASSERT_TRUE(ParseExpectFile(FILE_TEXT, &lines, &error)) << error;
    EXPECT_EQ(LineFor(lines, "5.0.3"), &lines[0]);
    EXPECT_EQ(LineFor(lines, "8.0"), &lines[1]);
    EXPECT_EQ(LineFor(lines, "15.0"), &lines[2]);
    EXPECT_EQ(ExpectationsOf(lines[1], CHECK_VOCABULARY), (Expectations{{"open", "held"}, {"font", "released"}}));
    EXPECT_EQ(ExpectationsOf(lines[1], SURVEY_VOCABULARY),
              (Expectations{{"font", "released_late"}, {"popup_menu", "taken"}}));
    EXPECT_EQ(ExpectationsOf(lines[2], CHECK_VOCABULARY), Expectations());

    std::vector<ExpectLine> specific;
    ASSERT_TRUE(ParseExpectFile("5.0* open=held\n8.0* open=held", &specific, &error));
    EXPECT_EQ(LineFor(specific, "10.0"), nullptr);
}

TEST(ExpectFileTest, AWrongLineIsNamedWithWhatIsWrong)
{
    const struct {
        const char *text, *error;
    } cases[] = {
        {"open=held font=held\n", "line 1: \"open=held\" stands where a version pattern such as 8.0* belongs"},
        {"# c\n\n8.0*   # no items\n", "line 3: nothing is expected after \"8.0*\"; add KEY=VERDICT items"},
        {"* open=held\n5.0* open=held font=maybe\n", "line 2: \"font=maybe\": the check's verdicts are released, held, not_judged"},
        {"* open=held open=released\n", "line 1: \"open\" is given twice"},
        {"* open=held \\\n  font=held \\\n  survey.popup_menu=grabbed\n", "line 3: \"survey.popup_menu=grabbed\": the survey's verdicts are released, released_late, held, taken, not_shown, not_judged"},
        {"* font=released_late\n", "line 1: \"font=released_late\": the check's verdicts are released, held, not_judged"},
        {"* survey.open=held\n", "line 1: unknown key \"survey.open\"; the checker's are open, font, the survey's survey.open_explorer, survey.open_old, survey.save_explorer, survey.open_wide, survey.font, survey.colour, survey.print_setup, survey.page_setup, survey.browse_folder, survey.message_box, survey.dialog, survey.popup_menu"},
        {"\n\n* open_explorer=held\n", "line 3: unknown key \"open_explorer\"; the checker's are open, font, the survey's survey.open_explorer, survey.open_old, survey.save_explorer, survey.open_wide, survey.font, survey.colour, survey.print_setup, survey.page_setup, survey.browse_folder, survey.message_box, survey.dialog, survey.popup_menu"},
        {"* openheld\n", "line 1: \"openheld\" is not KEY=VERDICT, such as open=held"},
        {"* open=held \\", nullptr},
        {"* open=\x1b[2Jheld\n", "line 1: \"open=?[2Jheld\": the check's verdicts are released, held, not_judged"},
    };
    for (const auto &c : cases) {
        std::vector<ExpectLine> lines;
        std::string error;
        EXPECT_EQ(ParseExpectFile(c.text, &lines, &error), c.error == nullptr) << c.text;
        EXPECT_EQ(error, c.error ? c.error : "") << c.text;
    }
}

TEST(GlobTest, StarIsAnyTextAndQuestionMarkAnyOneCharacter)
{
    const struct {
        const char *pattern, *text;
        bool matches;
    } cases[] = {
        {"5.0*", "5.0.3", true},   {"5.0*", "15.0", false},      {"8.0*", "8.0", true},
        {"*", "", true},           {"", "", true},                {"", "8.0", false},
        {"8.?", "8.0", true},      {"8.?", "8.10", false},        {"8.?", "8.", false},
        {"*.0", "10.0", true},     {"1*0", "10.0", true},         {"1*0", "10.1", false},
        {"a*b*c", "aXbYbZc", true}, {"a*b", "abc", false},        {"**", "8.0", true},
        {"8.0", "8.0.1", false},   {"*0.0*", "10.0.19045", true},
    };
    for (const auto &c : cases)
        EXPECT_EQ(GlobMatches(c.pattern, c.text), c.matches) << c.pattern << " " << c.text;
}

// The file's vocabulary must be the survey's own, or a file one program
// takes would be refused by the other.
TEST(VocabularyTest, TheSurveysKindsAndVerdictsAreTheFilesKeys)
{
    std::vector<std::string> kinds;
    for (const Kind &kind : AllKinds())
        kinds.push_back(kind.name);
    EXPECT_EQ(kinds, SURVEY_VOCABULARY.keys);
    std::vector<std::string> verdicts;
    for (Verdict verdict : {RELEASED, RELEASED_LATE, HELD, TAKEN, NOT_SHOWN, NOT_JUDGED})
        verdicts.push_back(VerdictName(verdict));
    EXPECT_EQ(verdicts, SURVEY_VOCABULARY.verdicts);
}

std::string ShippedFile()
{
    // A path from the root of the drive the build folder is on.
    FILE *file = fopen(SHIPPED_EXPECTATIONS, "rb");
    std::string text;
    char chunk[4096];
    size_t got;
    while (file && (got = fread(chunk, 1, sizeof(chunk), file)) > 0)
        text.append(chunk, got);
    if (file)
        fclose(file);
    return text;
}

// Every version the matrix knows has its line, with both probes and every
// kind of the survey.
TEST(ShippedFileTest, ParsesAndCoversEveryKnownVersion)
{
    std::string text = ShippedFile();
    ASSERT_FALSE(text.empty()) << "cannot read " << SHIPPED_EXPECTATIONS;
    std::vector<ExpectLine> lines;
    std::string error;
    ASSERT_TRUE(ParseExpectFile(text, &lines, &error)) << error;
    for (const char *version : {"5.0.3", "8.0", "10.0"}) {
        const ExpectLine *line = LineFor(lines, version);
        ASSERT_NE(line, nullptr) << version;
        EXPECT_EQ(ExpectationsOf(*line, CHECK_VOCABULARY).size(), 2u) << version;
        EXPECT_EQ(ExpectationsOf(*line, SURVEY_VOCABULARY).size(), SURVEY_VOCABULARY.keys.size())
            << version;
    }
}

} // namespace
