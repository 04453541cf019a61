#include "check/verdict.h"

#include <regex>

static const char OPEN_HEADER[] = "Testing GetOpenFileName";
static const char FONT_HEADER[] = "Testing ChooseFont";
static const char NO_HOLDER[] = "00000000";

// What identifies one probe's judgement in the log.
struct Probe {
    std::regex checkpoint; // the line written at the checkpoint; its group is the holder
    std::regex cutShort;   // what the checkpoint line's tail looks like
    const char *complaint;
    const char *missing;
};

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

struct Section {
    int begin, end;
};

// The newest run is the text from its header on, wherever the header
// starts: the program appends it to whatever the pane holds, so the
// user's text may run into it. A pane without the header was trimmed and
// holds nothing but the run, its first line possibly cut short.
static std::vector<std::string> NewestRun(const std::string &log, bool *trimmed)
{
    size_t header = log.rfind(OPEN_HEADER);
    *trimmed = header == std::string::npos;
    return SplitLines(*trimmed ? log : log.substr(header));
}

static void FindSections(const std::vector<std::string> &run, bool trimmed, Section *open,
                         Section *font)
{
    int begin = trimmed ? 0 : 1, end = (int)run.size();
    int fontHeader = begin;
    while (fontHeader < end && run[fontHeader] != FONT_HEADER)
        fontHeader++;
    *open = {begin, fontHeader};
    *font = {fontHeader < end ? fontHeader + 1 : end, end};
}

static ProbeVerdict NotJudged(const std::string &reason)
{
    return {VERDICT_NOT_JUDGED, "", reason};
}

static ProbeVerdict Held(const std::string &holder)
{
    return {VERDICT_HELD, holder, ""};
}

// A checkpoint line names the holder; the complaint follows it where the
// capture was held.
static ProbeVerdict JudgeCheckpoint(const std::string &holder, bool complained)
{
    if (complained)
        return Held(holder);
    if (holder == NO_HOLDER)
        return {VERDICT_RELEASED, "", ""};
    return NotJudged("the log names a capture holder at the checkpoint but has no complaint");
}

// Only the first checkpoint judges the platform: it is the first moment
// the dialog is known to run. A complaint after a later one is still worth
// telling.
static void NoteLaterComplaint(const std::vector<std::string> &run, int from, Section section,
                               const Probe &probe, ProbeVerdict *verdict)
{
    if (verdict->verdict == VERDICT_HELD)
        return;
    for (int i = from; i < section.end; i++) {
        if (run[i] != probe.complaint)
            continue;
        verdict->reason += (verdict->reason.empty() ? "" : "; ") +
                           std::string("a later message found the capture held, after the checkpoint");
        return;
    }
}

static ProbeVerdict JudgeSection(const std::vector<std::string> &run, Section section,
                                 bool firstLineCut, const Probe &probe)
{
    for (int i = section.begin; i < section.end; i++) {
        bool complaintNext = i + 1 < section.end && run[i + 1] == probe.complaint;
        std::smatch match;
        if (std::regex_match(run[i], match, probe.checkpoint)) {
            ProbeVerdict verdict = JudgeCheckpoint(match[1].str(), complaintNext);
            NoteLaterComplaint(run, i + 1, section, probe, &verdict);
            return verdict;
        }
        // The checkpoint line left the trimmed pane, wholly or in part: its
        // complaint still shows that the capture was held, but what is left
        // of the line shows neither the holder nor a release.
        if (run[i] == probe.complaint)
            return Held("");
        if (i == section.begin && firstLineCut && !complaintNext &&
            std::regex_match(run[i], probe.cutShort))
            return NotJudged("the checkpoint line was cut short by the pane's trimming");
    }
    return NotJudged(probe.missing);
}

Judgement JudgeLog(const std::string &log)
{
    // The Open dialog judges at its third notification (counted from 0);
    // the Font dialog at its first request for its colours.
    static const Probe openProbe = {
        std::regex("WM_NOTIFY:([0-9a-f]{8}) - [0-9a-f]{8} - \\(2\\)"),
        std::regex(".*\\(2\\)"),
        "CommonFileDialog - mouse capture should have been released now!",
        "the Open dialog's checkpoint (its third notification) is not in the log"};
    static const Probe fontProbe = {
        std::regex("WM_CTLCOLORDLG:([0-9a-f]{8}) - \\(-?[0-9]+\\)"),
        std::regex(".*\\(-?[0-9]+\\)"),
        "ChooseFontDialog - mouse capture should have been released now!",
        "the Font dialog's checkpoint (WM_CTLCOLORDLG) is not in the log"};

    Judgement judgement;
    judgement.lines = SplitLines(log);
    bool trimmed;
    std::vector<std::string> run = NewestRun(log, &trimmed);
    Section open, font;
    FindSections(run, trimmed, &open, &font);
    judgement.openFile = JudgeSection(run, open, trimmed, openProbe);
    judgement.chooseFont = JudgeSection(run, font, false, fontProbe);
    return judgement;
}

bool FontProbeStarted(const std::string &log)
{
    size_t font = log.rfind(FONT_HEADER);
    size_t open = log.rfind(OPEN_HEADER);
    return font != std::string::npos && (open == std::string::npos || font > open);
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
