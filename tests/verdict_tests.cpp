// Judging the platform from log texts, as the pane holds them.
#include "tools/verdict.h"

#include <gtest/gtest.h>

namespace {

// A real log of this platform: the Open dialog kept the capture, the Font
// dialog did not.
const std::string OPEN_PART =
    "Testing GetOpenFileName\r\n"
    "Wnd with capture:0001005e\r\n"
    "WM_INITDIALOG:0001005e\r\n"
    "WM_NOTIFY:0001005e - fffffda7 - (0)\r\n"
    "WM_NOTIFY:0001005e - fffffda5 - (1)\r\n"
    "WM_NOTIFY:0001005e - fffffda6 - (2)\r\n"
    "CommonFileDialog - mouse capture should have been released now!\r\n"
    "Quitting dialog\r\n"
    "Wnd with capture:00000000\r\n";
const std::string FONT_PART =
    "Testing ChooseFont\r\n"
    "Wnd with capture:0001005e\r\n"
    "WM_INITDIALOG:0001005e\r\n"
    "WM_CTLCOLORDLG:00000000 - (0)\r\n"
    "Quitting dialog\r\n"
    "Wnd with capture:00000000\r\n";
const std::string PLATFORM_LOG = OPEN_PART + FONT_PART;

const std::string RELEASED_LOG =
    "Testing GetOpenFileName\r\n"
    "Wnd with capture:00020058\r\n"
    "WM_INITDIALOG:00000000\r\n"
    "WM_NOTIFY:00000000 - fffffda7 - (0)\r\n"
    "WM_NOTIFY:00000000 - fffffda5 - (1)\r\n"
    "WM_NOTIFY:00000000 - fffffda6 - (2)\r\n"
    "Quitting dialog\r\n"
    "WM_NOTIFY:00000000 - fffffda2 - (3)\r\n"
    "Quitting dialog\r\n"
    "WM_NOTIFY:00000000 - fffffda2 - (4)\r\n"
    "Quitting dialog\r\n"
    "Wnd with capture:00000000\r\n"
    "Testing ChooseFont\r\n"
    "Wnd with capture:00020058\r\n"
    "WM_INITDIALOG:00000000\r\n"
    "WM_CTLCOLORDLG:00000000 - (0)\r\n"
    "Quitting dialog\r\n"
    "WM_CTLCOLORDLG:00000000 - (0)\r\n"
    "Quitting dialog\r\n"
    "Wnd with capture:00000000\r\n";

// What the pane keeps of a longer text: its newest 510 characters.
std::string Trimmed(const std::string &text)
{
    return text.size() > 510 ? text.substr(text.size() - 510) : text;
}

TEST(VerdictTest, RealLogHeldByTheOpenDialogReleasedByTheFontDialog)
{
    Judgement judgement = JudgeLog(PLATFORM_LOG);
    EXPECT_EQ(judgement.lines.size(), 15u);
    EXPECT_EQ(judgement.lines.front(), "Testing GetOpenFileName");
    EXPECT_EQ(judgement.openFile.verdict, VERDICT_HELD);
    EXPECT_EQ(judgement.openFile.holder, "0001005e");
    EXPECT_EQ(judgement.chooseFont.verdict, VERDICT_RELEASED);
    EXPECT_EQ(judgement.chooseFont.holder, "");
}

TEST(VerdictTest, SeveralQuittingLinesAndCheckpointsAllReleased)
{
    Judgement judgement = JudgeLog(RELEASED_LOG);
    EXPECT_EQ(judgement.openFile.verdict, VERDICT_RELEASED);
    EXPECT_EQ(judgement.chooseFont.verdict, VERDICT_RELEASED);
}

TEST(VerdictTest, FontDialogHeldAtALaterColourRequestIsHeld)
{
    std::string log = OPEN_PART +
                      "Testing ChooseFont\r\n"
                      "WM_CTLCOLORDLG:00000000 - (0)\r\n"
                      "Quitting dialog\r\n"
                      "WM_CTLCOLORDLG:0001005e - (0)\r\n"
                      "ChooseFontDialog - mouse capture should have been released now!\r\n"
                      "Quitting dialog\r\n";
    Judgement judgement = JudgeLog(log);
    EXPECT_EQ(judgement.chooseFont.verdict, VERDICT_HELD);
    EXPECT_EQ(judgement.chooseFont.holder, "0001005e");
}

TEST(VerdictTest, UsersOwnTextInFrontIsPassedOver)
{
    std::string log = "my notes: WM_NOTIFY:00000000 - 00000000 - (2)\r\n"
                      "CommonFileDialog - mouse capture should have been released now!\r\n" +
                      RELEASED_LOG;
    Judgement judgement = JudgeLog(log);
    EXPECT_EQ(judgement.openFile.verdict, VERDICT_RELEASED);
    EXPECT_EQ(judgement.chooseFont.verdict, VERDICT_RELEASED);
}

TEST(VerdictTest, NewestRunIsJudgedWhenTheSequenceRanTwice)
{
    Judgement judgement = JudgeLog(Trimmed(PLATFORM_LOG + RELEASED_LOG));
    EXPECT_EQ(judgement.openFile.verdict, VERDICT_RELEASED);
    EXPECT_EQ(judgement.chooseFont.verdict, VERDICT_RELEASED);
}

TEST(VerdictTest, TrimmedAwayCheckpointIsNotJudged)
{
    // Enough closing notifications push the Open dialog's checkpoint out.
    std::string closing;
    for (int i = 3; i < 13; i++)
        closing += "WM_NOTIFY:00000000 - fffffda2 - (" + std::to_string(i) + ")\r\nQuitting dialog\r\n";
    std::string log = Trimmed(RELEASED_LOG.substr(0, 200) + closing + FONT_PART);
    Judgement judgement = JudgeLog(log);
    EXPECT_EQ(judgement.openFile.verdict, VERDICT_NOT_JUDGED);
    EXPECT_NE(judgement.openFile.reason.find("not in the log"), std::string::npos);
    EXPECT_EQ(judgement.chooseFont.verdict, VERDICT_RELEASED);
}

TEST(VerdictTest, ComplaintThatOutlivedItsCheckpointLineIsHeld)
{
    // The first line is the tail of the checkpoint line, cut by the pane.
    std::string log = "- fffffda6 - (2)\r\n"
                      "CommonFileDialog - mouse capture should have been released now!\r\n"
                      "Quitting dialog\r\n"
                      "Wnd with capture:00000000\r\n" + FONT_PART;
    Judgement judgement = JudgeLog(log);
    EXPECT_EQ(judgement.openFile.verdict, VERDICT_HELD);
    EXPECT_EQ(judgement.openFile.holder, "");
}

TEST(VerdictTest, DialogThatNeverReachedItsCheckpointIsNotJudged)
{
    Judgement unfinished = JudgeLog("Testing GetOpenFileName\r\n"
                                    "Wnd with capture:0001005e\r\n"
                                    "WM_INITDIALOG:0001005e\r\n"
                                    "WM_NOTIFY:0001005e - fffffda7 - (0)\r\n");
    EXPECT_EQ(unfinished.openFile.verdict, VERDICT_NOT_JUDGED);
    EXPECT_EQ(unfinished.chooseFont.verdict, VERDICT_NOT_JUDGED);

    Judgement empty = JudgeLog("");
    EXPECT_TRUE(empty.lines.empty());
    EXPECT_EQ(empty.openFile.verdict, VERDICT_NOT_JUDGED);
    EXPECT_EQ(empty.chooseFont.verdict, VERDICT_NOT_JUDGED);
}

TEST(VerdictTest, HolderWithoutComplaintContradictsItselfAndIsNotJudged)
{
    Judgement judgement = JudgeLog("WM_NOTIFY:0001005e - fffffda6 - (2)\r\nQuitting dialog\r\n");
    EXPECT_EQ(judgement.openFile.verdict, VERDICT_NOT_JUDGED);
}

} // namespace
