// Judging the platform from the log lines of TEST.exe alone.
#ifndef TOOLS_VERDICT_H
#define TOOLS_VERDICT_H

#include <string>
#include <vector>

enum Verdict { VERDICT_RELEASED, VERDICT_HELD, VERDICT_NOT_JUDGED };

struct ProbeVerdict {
    Verdict verdict;
    std::string holder; // 8 hex digits where the log names the holder, else empty
    std::string reason; // for a probe not judged
};

struct Judgement {
    std::vector<std::string> lines;
    ProbeVerdict openFile;
    ProbeVerdict chooseFont;
};

// The newest run in the log is judged; a first line that the pane's
// trimming cut short, and text of the user's own, are passed over.
Judgement JudgeLog(const std::string &log);

const char *VerdictName(Verdict verdict);

#endif
