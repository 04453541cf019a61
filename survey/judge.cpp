// The survey's judgement: a verdict from what the checkpoints saw, and the
// exit status from the verdicts. Pure, so that they are tested without windows.
#include "survey/survey.h"

// A modal that returned without ever initialising was not shown; one the
// guard had to close, or that closed before its loop ran, is not judged.
Verdict Judge(const Row &row)
{
    switch (row.running.kind) {
    case HOLDER_UNSEEN:
        return row.init.kind == HOLDER_UNSEEN && !row.guarded ? NOT_SHOWN : NOT_JUDGED;
    case HOLDER_OURS:
        return HELD;
    case HOLDER_OTHER:
        return TAKEN;
    case HOLDER_NOBODY:
        break;
    }
    return row.init.kind == HOLDER_OURS ? RELEASED_LATE : RELEASED;
}

int SurveyStatus(const std::vector<Row> &rows, bool strict)
{
    int status = 0;
    for (const Row &row : rows) {
        if (row.verdict == NOT_JUDGED)
            return 2;
        if (row.verdict == HELD || (strict && row.verdict == RELEASED_LATE))
            status = 1;
    }
    return status;
}
