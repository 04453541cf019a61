// Judging the platform from log texts, as the pane holds them.
#include "check/verdict.h"
#include "tests/logs.h"

#include <gtest/gtest.h>

namespace {

const std::string HELD_RUN = RunLog(OPEN_HELD, FONT_RELEASED);

// What the pane keeps of a log once its trimming has cut the log at a text.
std::string From(const std::string &log, const char *text)
{
    return log.substr(log.find(text));
}

const Verdict R = VERDICT_RELEASED, H = VERDICT_HELD, N = VERDICT_NOT_JUDGED;

// A log as the pane may hold it, and each probe's verdict and holder; the
// reason, where given, is part of one probe's reason.
struct Case {
    const char *name;
    std::string log;
    Verdict open;
    const char *openHolder;
    Verdict font;
    const char *fontHolder, *reason;
};

void PrintTo(const Case &c, std::ostream *out) { *out << c.name; }

class VerdictTest : public ::testing::TestWithParam<Case> {};

TEST_P(VerdictTest, EachProbeIsJudgedAsFixed)
{
    const Case &c = GetParam();
    Judgement judgement = JudgeLog(c.log);
    EXPECT_EQ(judgement.openFile.verdict, c.open);
    EXPECT_EQ(judgement.openFile.holder, c.openHolder);
    EXPECT_EQ(judgement.chooseFont.verdict, c.font);
    EXPECT_EQ(judgement.chooseFont.holder, c.fontHolder);
    EXPECT_NE((judgement.openFile.reason + "|" + judgement.chooseFont.reason).find(c.reason),
              std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Logs, VerdictTest,
    ::testing::Values(
        Case{"RealLog", HELD_RUN, H, "0001005e", R, "", ""},
        Case{"ClosingNotificationsAndColourRequests",
             RunLog(OPEN_RELEASED + "WM_NOTIFY:00000000 - fffffda2 - (3)\r\nQuitting dialog\r\n",
                    FONT_RELEASED + FONT_RELEASED),
             R, "", R, "", ""},
        // The Font dialog judges at its first colour request only.
        Case{"FontHeldOnlyLater", RunLog(OPEN_HELD, FONT_RELEASED + FONT_HELD), H, "0001005e", R, "", "later"},
        Case{"FontHeldFirst", RunLog(OPEN_HELD, FONT_HELD + FONT_RELEASED), H, "0001005e", H, "0001005e", ""},
        Case{"FontHolderWithoutComplaint", RunLog(OPEN_HELD, FONT_NO_COMPLAINT + FONT_HELD),
             H, "0001005e", N, "", "no complaint"},
        Case{"OpenHolderWithoutComplaint",
             RunLog("WM_NOTIFY:0001005e - fffffda6 - (2)\r\nQuitting dialog\r\n", FONT_RELEASED),
             N, "", R, "", "no complaint"},
        // Only the newest run counts, whatever text is in front of it.
        Case{"EarlierRunInFront", RunLog(OPEN_HELD, FONT_HELD) + RunLog(OPEN_RELEASED, FONT_RELEASED),
             R, "", R, "", ""},
        Case{"UsersLastLineRunsIntoTheHeader",
             "WM_NOTIFY:00020058 - fffffda6 - (2)\r\nQuitting dialog\r\nuser lin" + HELD_RUN,
             H, "0001005e", R, "", ""},
        // What the pane's trimming leaves of the Open dialog's checkpoint.
        Case{"ComplaintOutlivedItsCheckpoint", From(HELD_RUN, "CommonFileDialog"), H, "", R, "", ""},
        Case{"CheckpointCutShortWithComplaint", From(HELD_RUN, "0001005e - fffffda6"), H, "", R, "", ""},
        Case{"CheckpointCutShort", From(RunLog(OPEN_RELEASED, FONT_RELEASED), "00000000 - fffffda6"),
             N, "", R, "", "cut short"},
        Case{"CheckpointsNeverReached", RunLog("", ""), N, "", N, "", "not in the log"},
        Case{"Empty", "", N, "", N, "", "not in the log"}),
    [](const ::testing::TestParamInfo<Case> &info) { return std::string(info.param.name); });

TEST(VerdictLinesTest, AreThePanesLinesWithoutTheirBreaks)
{
    Judgement judgement = JudgeLog("user lin" + HELD_RUN);
    EXPECT_EQ(judgement.lines.size(), 15u);
    EXPECT_EQ(judgement.lines.front(), "user linTesting GetOpenFileName");
    EXPECT_EQ(judgement.lines.back(), "Wnd with capture:00000000");
}

TEST(FontProbeStartedTest, OnlyTheNewestRunsHeadersCount)
{
    const std::string openOnly = "Testing GetOpenFileName\r\nWnd with capture:0001005e\r\n";
    const struct {
        std::string log;
        bool started;
    } cases[] = {
        {"", false}, {openOnly, false}, {HELD_RUN + HELD_RUN, true},
        {HELD_RUN + openOnly, false},                 // the Font header is an older run's
        {From(HELD_RUN, "Testing ChooseFont"), true}, // the Open header trimmed away
    };
    for (const auto &c : cases)
        EXPECT_EQ(FontProbeStarted(c.log), c.started) << c.log;
}

} // namespace
