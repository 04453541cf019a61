#include "check/outcome.h"

// The checker's own rule, where nothing is expected.
static Outcome PlainOutcome(Verdict verdict)
{
    switch (verdict) {
    case VERDICT_RELEASED:
        return OUTCOME_PASSED;
    case VERDICT_HELD:
        return OUTCOME_FAILED;
    default:
        return OUTCOME_UNJUDGED;
    }
}

static ProbeResult Result(const char *key, const char *title, const ProbeVerdict &verdict,
                          const Options &options, ProbeChoice probe)
{
    auto expected = options.expectations.find(key);
    std::string name = expected == options.expectations.end() ? "" : expected->second;
    return {key, title, verdict, Counts(options.probe, probe), name,
            Compare(VerdictName(verdict.verdict), name, PlainOutcome(verdict.verdict))};
}

std::vector<ProbeResult> ProbeResults(const Judgement &judgement, const Options &options)
{
    return {Result("open", "Open dialog (GetOpenFileName)", judgement.openFile, options, PROBE_OPEN),
            Result("font", "Font dialog (ChooseFont)", judgement.chooseFont, options, PROBE_FONT)};
}

int CheckStatus(const std::vector<ProbeResult> &results, bool runError, int unjudgedStatus)
{
    std::vector<Outcome> counted;
    for (const ProbeResult &result : results)
        if (result.counted)
            counted.push_back(result.comparison.outcome);
    return StatusOf(counted, runError, unjudgedStatus);
}

std::string ExpectationNote(const ProbeResult &result)
{
    return ExpectationNote(result.expected, result.comparison);
}
