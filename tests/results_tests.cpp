// Each probe's result against what was expected of it, the status they make
// and how the CI formats count them, from judgements made by hand.
#include "check/report.h"
#include "check/results.h"

#include <gtest/gtest.h>
#include <regex>

namespace {

const Verdict R = VERDICT_RELEASED, H = VERDICT_HELD, N = VERDICT_NOT_JUDGED;

// The probes' verdicts, the choice and the expectations; the status, the
// Open probe's TAP test line and what its JUnit test case holds after the
// expectation, and the JUnit failures and errors. A run that failed is not judged: no
// probe of it may read as a pass.
TEST(ResultsTest, StatusAndCiFormatsFollowTheExpectations)
{
    const std::string PASS = "</testcase>", HELD = "<failure type=\"held\"", RUN_ERROR = "<error type=\"run_error\"";
    const struct {
        const char *name;
        Verdict open, font;
        ProbeChoice choice;
        Expectations expected;
        int status;
        const char *openOk, *openTap; // openTap: after the test's number and title
        std::string openJUnit;
        int failures, errors;
        bool runError = false;
    } cases[] = {
        {"plain held", H, R, PROBE_BOTH, {}, 1, "not ok", "held", HELD, 1, 0},
        {"plain released", R, R, PROBE_BOTH, {}, 0, "ok", "released", PASS, 0, 0},
        {"known held", H, R, PROBE_BOTH, {{"open", "held"}}, 0, "not ok", "held # TODO expected: held", PASS, 0, 0},
        {"known release", R, R, PROBE_BOTH, {{"open", "released"}, {"font", "released"}}, 0, "ok", "released", PASS, 0, 0},
        {"regression", H, R, PROBE_BOTH, {{"open", "released"}}, 1, "not ok", "held", "<failure type=\"regression\"", 1, 0},
        {"fix", R, R, PROBE_BOTH, {{"open", "held"}}, 1, "ok", "released # TODO expected: held", "<failure type=\"fix\"", 1, 0},
        // Each probe takes the expectation of its own key.
        {"font regresses under a known open", H, H, PROBE_BOTH, {{"open", "held"}, {"font", "released"}}, 1,
         "not ok", "held # TODO expected: held", PASS, 1, 0},
        {"unjudged, not expected", N, R, PROBE_BOTH, {}, 125, "not ok", "not_judged", "<error type=\"not_judged\"", 0, 1},
        {"unjudged as expected", N, R, PROBE_BOTH, {{"open", "not_judged"}}, 0,
         "not ok", "not_judged # TODO expected: not_judged", PASS, 0, 0},
        {"uncounted regression", H, R, PROBE_FONT, {{"open", "released"}}, 0,
         "ok", "held # SKIP not counted with --probe font", "<skipped", 0, 0},
        {"uncounted font fix", H, R, PROBE_OPEN, {{"open", "held"}, {"font", "held"}}, 0,
         "not ok", "held # TODO expected: held", PASS, 0, 0},
        {"run error, known held", H, R, PROBE_BOTH, {{"open", "held"}}, 125, "not ok", "held", RUN_ERROR, 0, 2, true},
        {"run error, released", R, R, PROBE_BOTH, {}, 125, "not ok", "released", RUN_ERROR, 0, 2, true},
    };
    for (const auto &c : cases) {
        Judgement judgement = {{}, {c.open, "0001005e", ""}, {c.font, "", ""}};
        std::vector<ProbeResult> probes = ProbeResults(judgement, c.choice, c.expected);
        int status = RunStatus(probes, c.runError, 125);
        EXPECT_EQ(status, c.status) << c.name;
        Options options;
        options.probe = c.choice;
        ::Run run;
        // The error quotes the program under test: nothing of it may reach a terminal raw.
        run.error = c.runError ? "the program \x1b]0;x\x07ended with exit code 3 instead of 0 after WM_CLOSE" : "";
        Report report = {options, run, {}, probes, {"Wine", "8.0", "", "6.1.7601"}, status};
        std::string tap = TapReport(report), junit = JUnitReport(report);
        EXPECT_NE(tap.find("1..2\n" + std::string(c.openOk) + " 1 - Open dialog (GetOpenFileName): " + c.openTap + "\n"),
                  std::string::npos) << c.name << "\n" << tap;
        std::regex openCase("GetOpenFileName\\)\">(<properties>.*</properties>)?" + c.openJUnit);
        EXPECT_TRUE(std::regex_search(junit, openCase)) << c.name << "\n" << junit;
        EXPECT_EQ(tap.find_first_of("\x1b\x07"), std::string::npos) << c.name << "\n" << tap;
        EXPECT_EQ(junit.find_first_of("\x1b\x07"), std::string::npos) << c.name << "\n" << junit;
        EXPECT_NE(junit.find("failures=\"" + std::to_string(c.failures) + "\" errors=\"" + std::to_string(c.errors)),
                  std::string::npos) << c.name << "\n" << junit;
    }
}

// What is not known is null, never a value a reader could take for a fact:
// an exit code that was never seen is not 0, a holder that the log did not
// name is not "".
TEST(ResultsTest, TheJsonSaysNullForWhatIsNotKnown)
{
    const struct {
        bool ended;
        const char *holder, *exitCode, *holderJson;
    } cases[] = {
        {false, "", "\"exitCode\": null,", "\"holder\": null,"},
        {true, "0001005e", "\"exitCode\": 0,", "\"holder\": \"0001005e\","},
    };
    for (const auto &c : cases) {
        Judgement judgement = {{}, {H, c.holder, ""}, {R, "", ""}};
        std::vector<ProbeResult> probes = ProbeResults(judgement, PROBE_BOTH, {});
        Options options;
        ::Run run;
        run.ended = c.ended;
        Report report = {options, run, {}, probes, {"Wine", "8.0", "", "6.1.7601"}, 1};
        std::string json = JsonReport(report);
        EXPECT_NE(json.find(c.exitCode), std::string::npos) << json;
        EXPECT_NE(json.find("\"openFile\": {\"verdict\": \"held\", " + std::string(c.holderJson)), std::string::npos) << json;
        EXPECT_NE(json.find("\"chooseFont\": {\"verdict\": \"released\", \"holder\": null,"), std::string::npos) << json;
        EXPECT_NE(json.find("\"peakMemoryKiB\": null"), std::string::npos) << json;
    }
}

// Past 1023 characters this platform crashes inside CreateProcessW, even
// on a short form of the path: the checker does not get that far.
TEST(StartTest, AProgramIsStartedOnlyFromAPathThePlatformTakes)
{
    const struct {
        size_t length;
        bool startable;
    } cases[] = {{1, true}, {260, true}, {1023, true}, {1024, false}, {1041, false}, {1042, false}, {32767, false}};
    for (const auto &c : cases)
        EXPECT_EQ(StartableLength(c.length), c.startable) << c.length;
}

} // namespace
