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
TEST(VerdictTest, EachProbeIsJudgedAsFixed)
{
    const struct {
        const char *name;
        std::string log;
        Verdict open;
        const char *openHolder;
        Verdict font;
        const char *fontHolder, *reason;
    } cases[] = {
        {"real log", HELD_RUN, H, "0001005e", R, "", ""},
        {"closing notifications and colour requests",
         RunLog(OPEN_RELEASED + "WM_NOTIFY:00000000 - fffffda2 - (3)\r\nQuitting dialog\r\n", FONT_RELEASED + FONT_RELEASED),
         R, "", R, "", ""},
        // The Font dialog judges at its first colour request only.
        {"font held only later", RunLog(OPEN_HELD, FONT_RELEASED + FONT_HELD), H, "0001005e", R, "", "later"},
        {"font held first", RunLog(OPEN_HELD, FONT_HELD + FONT_RELEASED), H, "0001005e", H, "0001005e", ""},
        // A HELD needs no word about later complaints; a brush handle may print negative.
        {"font held first and again", RunLog(OPEN_HELD + OPEN_HELD, FONT_HELD + FONT_HELD), H, "0001005e", H,
         "0001005e", ""},
        {"negative answer", RunLog(OPEN_RELEASED, "WM_CTLCOLORDLG:0001005e - (-2013265744)\r\n" + FONT_COMPLAINT),
         R, "", H, "0001005e", ""},
        {"font holder without complaint", RunLog(OPEN_HELD, FONT_NO_COMPLAINT + FONT_HELD), H, "0001005e", N, "",
         "no complaint"},
        {"open holder without complaint", RunLog("WM_NOTIFY:0001005e - fffffda6 - (2)\r\nQuitting dialog\r\n", FONT_RELEASED),
         N, "", R, "", "no complaint"},
        // Only the newest run counts, whatever text is in front of it.
        {"earlier run in front", RunLog(OPEN_HELD, FONT_HELD) + RunLog(OPEN_RELEASED, FONT_RELEASED), R, "", R, "", ""},
        {"user's last line runs into the header",
         "WM_NOTIFY:00020058 - fffffda6 - (2)\r\nQuitting dialog\r\nuser lin" + HELD_RUN, H, "0001005e", R, "", ""},
        // What the pane's trimming leaves of the Open dialog's checkpoint.
        {"complaint outlived its checkpoint", From(HELD_RUN, "CommonFileDialog"), H, "", R, "", ""},
        {"checkpoint cut short, with complaint", From(HELD_RUN, "0001005e - fffffda6"), H, "", R, "", ""},
        {"checkpoint cut short", From(RunLog(OPEN_RELEASED, FONT_RELEASED), "00000000 - fffffda6"), N, "", R, "",
         "cut short"},
        {"checkpoints never reached", RunLog("", ""), N, "", N, "", "not in the log"},
        {"empty", "", N, "", N, "", "not in the log"},
    };
    for (const auto &c : cases) {
        Judgement judgement = JudgeLog(c.log);
        EXPECT_EQ(judgement.openFile.verdict, c.open) << c.name;
        EXPECT_EQ(judgement.openFile.holder, c.openHolder) << c.name;
        EXPECT_EQ(judgement.chooseFont.verdict, c.font) << c.name;
        EXPECT_EQ(judgement.chooseFont.holder, c.fontHolder) << c.name;
        std::string reasons = judgement.openFile.reason + "|" + judgement.chooseFont.reason;
        if (*c.reason)
            EXPECT_NE(reasons.find(c.reason), std::string::npos) << c.name << ": " << reasons;
        else
            EXPECT_EQ(reasons, "|") << c.name;
    }
}

TEST(VerdictLinesTest, AreThePanesLinesWithoutTheirBreaks)
{
    Judgement judgement = JudgeLog("user lin" + HELD_RUN);
    EXPECT_EQ(judgement.lines.size(), 15u);
    EXPECT_EQ(judgement.lines.front(), "user linTesting GetOpenFileName");
    EXPECT_EQ(judgement.lines.back(), "Wnd with capture:00000000");
}

TEST(FontProbeStartedTest, OnlyTheNewestRunsHeadersCount)
{
    EXPECT_FALSE(FontProbeStarted("Testing GetOpenFileName\r\n"));
    EXPECT_TRUE(FontProbeStarted(HELD_RUN + HELD_RUN));
    EXPECT_FALSE(FontProbeStarted(HELD_RUN + "Testing GetOpenFileName\r\n")); // the Font header is an older run's
    EXPECT_TRUE(FontProbeStarted(From(HELD_RUN, "Testing ChooseFont")));        // the Open header trimmed away
}

} // namespace
