// Each probe's result as every report gives it, and the exit status they
// make: the one place that says which probes there are and which count.
#ifndef CHECK_RESULTS_H
#define CHECK_RESULTS_H

#include "check/options.h"
#include "check/verdict.h"

#include <vector>

struct ProbeResult {
    ProbeChoice probe;      // PROBE_OPEN or PROBE_FONT
    const char *title;      // "Open dialog (GetOpenFileName)"
    const char *checkpoint; // where the verdict was measured, in the survey's words
    ProbeVerdict verdict;
    bool counted;           // chosen to decide the status
};

std::vector<ProbeResult> ProbeResults(const Judgement &judgement, ProbeChoice choice);

// Only the counted probes decide; any of them not judged, or any error,
// makes the whole run not judged, whatever another probe found.
int RunStatus(const std::vector<ProbeResult> &probes, bool runError, int unjudgedStatus);

#endif
