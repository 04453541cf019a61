// Judging the platform from the log lines of TEST.exe alone.
#ifndef CHECK_VERDICT_H
#define CHECK_VERDICT_H

#include <string>
#include <vector>

enum Verdict { VERDICT_RELEASED, VERDICT_HELD, VERDICT_NOT_JUDGED };

struct ProbeVerdict {
    Verdict verdict;
    std::string holder; // 8 hex digits where the log names the holder, else empty
    std::string reason; // why a probe is not judged, or what came after its checkpoint
};

struct Judgement {
    std::vector<std::string> lines;
    ProbeVerdict openFile;
    ProbeVerdict chooseFont;
};

// The newest run in the log is judged, from its header on, even where the
// header runs on from the user's own text. Only the first checkpoint of
// each probe counts, and a checkpoint line that the pane's trimming cut
// short cannot show the capture released.
Judgement JudgeLog(const std::string &log);

// Whether the newest run in the log has come to the Font dialog.
bool FontProbeStarted(const std::string &log);

const char *VerdictName(Verdict verdict);

#endif
