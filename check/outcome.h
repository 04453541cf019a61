// Each probe's verdict against what was expected of it, and the status the
// probes that count give together.
#ifndef CHECK_OUTCOME_H
#define CHECK_OUTCOME_H

#include "check/options.h"
#include "check/verdict.h"
#include "outside/expect.h"

#include <string>
#include <vector>

struct ProbeResult {
    const char *key;   // as --expect names it
    const char *title; // for people
    const ProbeVerdict &verdict;
    bool counted;         // chosen to decide the status
    std::string expected; // the verdict name expected, empty for none
    Comparison comparison;
};

// The Open dialog's, then the Font dialog's.
std::vector<ProbeResult> ProbeResults(const Judgement &judgement, const Options &options);

int CheckStatus(const std::vector<ProbeResult> &results, bool runError, int unjudgedStatus);

// "regression: expected released, got HELD", or empty where nothing was
// expected.
std::string ExpectationNote(const ProbeResult &result);

#endif
