#include "check/results.h"

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

static ProbeResult Result(ProbeChoice probe, const char *key, const char *title, const char *checkpoint,
                          const ProbeVerdict &verdict, ProbeChoice choice, const Expectations &expectations)
{
    auto found = expectations.find(key);
    std::string expected = found == expectations.end() ? "" : found->second;
    return {probe, key, title, checkpoint, verdict, Counts(choice, probe), expected,
            Compare(VerdictName(verdict.verdict), expected, PlainOutcome(verdict.verdict))};
}

std::vector<ProbeResult> ProbeResults(const Judgement &judgement, ProbeChoice choice,
                                      const Expectations &expectations)
{
    return {Result(PROBE_OPEN, "open", "Open dialog (GetOpenFileName)",
                   "at the Open dialog's third notification, during its initialisation",
                   judgement.openFile, choice, expectations),
            Result(PROBE_FONT, "font", "Font dialog (ChooseFont)",
                   "at the Font dialog's first WM_CTLCOLORDLG, once it was running",
                   judgement.chooseFont, choice, expectations)};
}

int RunStatus(const std::vector<ProbeResult> &probes, bool runError, int unjudgedStatus)
{
    std::vector<Outcome> counted;
    for (const ProbeResult &probe : probes)
        if (probe.counted)
            counted.push_back(probe.comparison.outcome);
    return StatusOf(counted, runError, unjudgedStatus);
}

std::string ExpectationNote(const ProbeResult &result)
{
    return ExpectationNote(result.expected, result.comparison);
}
