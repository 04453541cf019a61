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

TEST(VerdictTest, FontDialogIsJudgedAtItsFirstColourRequestOnly)
{
    const std::string later = "WM_CTLCOLORDLG:0001005e - (0)\r\n"
                              "ChooseFontDialog - mouse capture should have been released now!\r\n"
                              "Quitting dialog\r\n";
    Judgement released = JudgeLog(OPEN_PART + "Testing ChooseFont\r\n"
                                  "WM_CTLCOLORDLG:00000000 - (0)\r\nQuitting dialog\r\n" + later);
    EXPECT_EQ(released.chooseFont.verdict, VERDICT_RELEASED);
    EXPECT_NE(released.chooseFont.reason.find("later"), std::string::npos);

    Judgement held = JudgeLog(OPEN_PART + "Testing ChooseFont\r\n" + later +
                              "WM_CTLCOLORDLG:00000000 - (0)\r\nQuitting dialog\r\n");
    EXPECT_EQ(held.chooseFont.verdict, VERDICT_HELD);
    EXPECT_EQ(held.chooseFont.holder, "0001005e");

    Judgement contradicted = JudgeLog(OPEN_PART + "Testing ChooseFont\r\n"
                                      "WM_CTLCOLORDLG:0001005e - (0)\r\nQuitting dialog\r\n" + later);
    EXPECT_EQ(contradicted.chooseFont.verdict, VERDICT_NOT_JUDGED);
    EXPECT_NE(contradicted.chooseFont.reason.find("no complaint"), std::string::npos);
}

TEST(VerdictTest, UsersOwnTextInFrontIsPassedOverEvenWithoutALineBreak)
{
    const std::string notes = "my notes: WM_NOTIFY:00000000 - 00000000 - (2)\r\n"
                              "CommonFileDialog - mouse capture should have been released now!\r\n";
    Judgement judgement = JudgeLog(notes + RELEASED_LOG);
    EXPECT_EQ(judgement.openFile.verdict, VERDICT_RELEASED);
    EXPECT_EQ(judgement.chooseFont.verdict, VERDICT_RELEASED);

    // The program appends its header to the last line the user left open.
    Judgement glued = JudgeLog("WM_NOTIFY:00020058 - fffffda6 - (2)\r\nQuitting dialog\r\nuser lin" +
                               PLATFORM_LOG);
    EXPECT_EQ(glued.lines.front(), "WM_NOTIFY:00020058 - fffffda6 - (2)");
    EXPECT_EQ(glued.openFile.verdict, VERDICT_HELD);
    EXPECT_EQ(glued.openFile.holder, "0001005e");
    EXPECT_EQ(glued.chooseFont.verdict, VERDICT_RELEASED);
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

TEST(VerdictTest, CheckpointLineCutShortShowsOnlyAComplaint)
{
    // The first line is the tail of the checkpoint line, cut by the pane.
    const std::string rest = "Quitting dialog\r\nWnd with capture:00000000\r\n" + FONT_PART;
    Judgement held = JudgeLog("0001005e - fffffda6 - (2)\r\n"
                              "CommonFileDialog - mouse capture should have been released now!\r\n" + rest);
    EXPECT_EQ(held.openFile.verdict, VERDICT_HELD);
    EXPECT_EQ(held.openFile.holder, "");
    EXPECT_EQ(held.chooseFont.verdict, VERDICT_RELEASED);

    Judgement cut = JudgeLog("00000000 - fffffda6 - (2)\r\n" + rest);
    EXPECT_EQ(cut.openFile.verdict, VERDICT_NOT_JUDGED);
    EXPECT_NE(cut.openFile.reason.find("cut short"), std::string::npos);
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
