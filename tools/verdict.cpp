#include "tools/verdict.h"

#include <regex>

static const char OPEN_HEADER[] = "Testing GetOpenFileName";
static const char FONT_HEADER[] = "Testing ChooseFont";
static const char OPEN_COMPLAINT[] = "CommonFileDialog - mouse capture should have been released now!";
static const char FONT_COMPLAINT[] = "ChooseFontDialog - mouse capture should have been released now!";
static const char NO_HOLDER[] = "00000000";

static std::vector<std::string> SplitLines(const std::string &log)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < log.size()) {
        size_t end = log.find("\r\n", start);
        if (end == std::string::npos)
            end = log.size();
        lines.push_back(log.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

static int LastIndexOf(const std::vector<std::string> &lines, const char *line)
{
    for (int i = (int)lines.size() - 1; i >= 0; i--)
        if (lines[i] == line)
            return i;
    return -1;
}

struct Section {
    int begin, end;
};

// The lines of each probe of the newest run, found by their headers.
static void FindSections(const std::vector<std::string> &lines, Section *open, Section *font)
{
    int openHeader = LastIndexOf(lines, OPEN_HEADER);
    int fontHeader = LastIndexOf(lines, FONT_HEADER);
    int end = (int)lines.size();
    if (fontHeader > openHeader) {
        *open = {openHeader + 1, fontHeader};
        *font = {fontHeader + 1, end};
    } else {
        // The newest run has not come to the Font dialog.
        *open = {openHeader + 1, end};
        *font = {end, end};
    }
}

static ProbeVerdict NotJudged(const std::string &reason)
{
    return {VERDICT_NOT_JUDGED, "", reason};
}

// A checkpoint line names the holder; the complaint follows it where the
// capture was held.
static ProbeVerdict JudgeCheckpoint(const std::vector<std::string> &lines, int at,
                                    const std::string &holder, const char *complaint)
{
    bool complained = at + 1 < (int)lines.size() && lines[at + 1] == complaint;
    if (complained)
        return {VERDICT_HELD, holder, ""};
    if (holder == NO_HOLDER)
        return {VERDICT_RELEASED, "", ""};
    return NotJudged("the log names a capture holder at the checkpoint but has no complaint");
}

static ProbeVerdict JudgeSection(const std::vector<std::string> &lines, Section section,
                                 const std::regex &checkpoint, const char *complaint,
                                 const char *missing)
{
    ProbeVerdict released = NotJudged(missing);
    bool complaintSeen = false;
    for (int i = section.begin; i < section.end; i++) {
        std::smatch match;
        complaintSeen = complaintSeen || lines[i] == complaint;
        if (!std::regex_match(lines[i], match, checkpoint))
            continue;
        ProbeVerdict verdict = JudgeCheckpoint(lines, i, match[1].str(), complaint);
        if (verdict.verdict != VERDICT_RELEASED)
            return verdict;
        released = verdict;
    }
    // The complaint outlived its checkpoint line in the trimmed pane.
    if (complaintSeen)
        return {VERDICT_HELD, "", ""};
    return released;
}

Judgement JudgeLog(const std::string &log)
{
    // The Open dialog judges at its third notification (counted from 0);
    // the Font dialog at every request for its colours.
    static const std::regex openCheckpoint("WM_NOTIFY:([0-9a-f]{8}) - [0-9a-f]{8} - \\(2\\)");
    static const std::regex fontCheckpoint("WM_CTLCOLORDLG:([0-9a-f]{8}) - \\(-?[0-9]+\\)");

    Judgement judgement;
    judgement.lines = SplitLines(log);
    Section open, font;
    FindSections(judgement.lines, &open, &font);
    judgement.openFile =
        JudgeSection(judgement.lines, open, openCheckpoint, OPEN_COMPLAINT,
                     "the Open dialog's checkpoint (its third notification) is not in the log");
    judgement.chooseFont =
        JudgeSection(judgement.lines, font, fontCheckpoint, FONT_COMPLAINT,
                     "the Font dialog's checkpoint (WM_CTLCOLORDLG) is not in the log");
    return judgement;
}

const char *VerdictName(Verdict verdict)
{
    switch (verdict) {
    case VERDICT_RELEASED:
        return "released";
    case VERDICT_HELD:
        return "held";
    default:
        return "not_judged";
    }
}
