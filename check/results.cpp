#include "check/results.h"

std::vector<ProbeResult> ProbeResults(const Judgement &judgement, ProbeChoice choice)
{
    return {{PROBE_OPEN, "Open dialog (GetOpenFileName)",
             "at the Open dialog's third notification, during its initialisation",
             judgement.openFile, Counts(choice, PROBE_OPEN)},
            {PROBE_FONT, "Font dialog (ChooseFont)",
             "at the Font dialog's first WM_CTLCOLORDLG, once it was running",
             judgement.chooseFont, Counts(choice, PROBE_FONT)}};
}

int RunStatus(const std::vector<ProbeResult> &probes, bool runError, int unjudgedStatus)
{
    bool held = false;
    for (const ProbeResult &probe : probes) {
        if (!probe.counted)
            continue;
        if (probe.verdict.verdict == VERDICT_NOT_JUDGED)
            return unjudgedStatus;
        held = held || probe.verdict.verdict == VERDICT_HELD;
    }
    if (runError)
        return unjudgedStatus;
    return held ? STATUS_HELD : STATUS_RELEASED;
}
