// The guard: a thread that closes a modal which outlives its limit, so
// that no kind can hang the survey.
#ifndef SURVEY_GUARD_H
#define SURVEY_GUARD_H

#include "survey/survey.h"

// Watches the calling thread from now on, for at most limitMs.
void StartGuard(const Row &row, UINT limitMs);
// Stops watching; true if the guard had to close the modal.
bool StopGuard();

#endif
