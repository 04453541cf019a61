// Each probe's result as every report gives it, and the exit status they
// make: the one place that says which probes there are, which count, and
// how each verdict compares with what was expected of it.
#ifndef CHECK_RESULTS_H
#define CHECK_RESULTS_H

#include "check/options.h"
#include "check/verdict.h"
#include "outside/expect.h"

#include <string>
#include <vector>

struct ProbeResult {
    ProbeChoice probe;      // PROBE_OPEN or PROBE_FONT
    const char *key;        // as --expect names it: "open"
    const char *title;      // "Open dialog (GetOpenFileName)"
    const char *checkpoint; // where the verdict was measured, in the survey's words
    ProbeVerdict verdict;
    bool counted;           // chosen to decide the status
    std::string expected;   // the verdict name expected, empty for none
    Comparison comparison;
};

std::vector<ProbeResult> ProbeResults(const Judgement &judgement, ProbeChoice choice,
                                      const Expectations &expectations);

// Only the counted probes decide; any of them not judged, or any error,
// makes the whole run not judged, whatever another probe found.
int RunStatus(const std::vector<ProbeResult> &probes, bool runError, int unjudgedStatus);

// "regression: expected released, got HELD", or empty where nothing was
// expected.
std::string ExpectationNote(const ProbeResult &result);

#endif
