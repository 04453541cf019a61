// The checker: starts TEST.exe, waits for its finished log, reads it from
// outside, closes the program as a user would and judges the platform.
// Exit status: 0 both dialogs released the capture, 1 at least one held
// it, 2 (or --unjudged-status) the run could not be judged. Where a probe's
// verdict is expected, giving it passes and any other verdict fails.
#include "check/checkrun.h"
#include "check/options.h"
#include "check/output.h"
#include "check/report.h"
#include "check/results.h"
#include "outside/escape.h"
#include "outside/expectfile.h"
#include "outside/files.h"
#include "outside/text.h"
#include "outside/version.h"

#include <fcntl.h>
#include <io.h>
#include <stdio.h>

static void MarkClosedFromOutside(ProbeVerdict *probe, bool closed, const std::string &title)
{
    if (!closed)
        return;
    probe->verdict = VERDICT_NOT_JUDGED;
    probe->holder.clear();
    probe->reason = "its dialog \"" + title + "\" did not close by itself and was closed from outside";
}

// A run whose log was never read has no verdicts to give, only its error.
static void MarkUnread(ProbeVerdict *probe, const Run &run)
{
    if (run.logRead)
        return;
    *probe = {VERDICT_NOT_JUDGED, "", "the run failed before the log was read"};
}

static Judgement Judge(const Run &run)
{
    Judgement judgement = JudgeLog(run.log);
    MarkClosedFromOutside(&judgement.openFile, run.openFileClosedFromOutside, run.openFileDialogTitle);
    MarkClosedFromOutside(&judgement.chooseFont, run.chooseFontClosedFromOutside,
                          run.chooseFontDialogTitle);
    MarkUnread(&judgement.openFile, run);
    MarkUnread(&judgement.chooseFont, run);
    return judgement;
}

// A wrong command line still answers in the format asked for on standard
// output, with no text report: its error and the usage go to standard error.
static int UsageError(const Options &options, const std::string &error)
{
    Run run;
    run.error = error + "; see check --help";
    Judgement judgement = Judge(run);
    Provenance provenance = ReadProvenance();
    std::vector<ProbeResult> probes = ProbeResults(judgement, options.probe, options.expectations);
    Report report = {options, run, judgement.lines, probes, provenance, STATUS_USAGE};
    std::string why;
    if (options.format != OUTPUT_TEXT && !WriteStandardOutput(Render(options.format, report), &why))
        fputs(ErrorLine("check", "the report could not be written to standard output: " + why).c_str(),
              stderr);
    fputs((ErrorLine("check", error) + Usage()).c_str(), stderr);
    return STATUS_USAGE;
}

int wmain(int argc, wchar_t **argv)
{
    // UTF-8 with plain line ends: the output goes to terminals and other programs.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    SetConsoleOutputCP(CP_UTF8);

    Options options;
    std::string error;
    switch (ParseOptions(argc, argv, &options, &error)) {
    case PARSE_HELP:
        fputs(Usage(), stdout);
        return 0;
    case PARSE_VERSION:
        printf("check %s\n", TOOLS_VERSION);
        return 0;
    case PARSE_ERROR:
        return UsageError(options, error);
    case PARSE_RUN:
        break;
    }
    // The file's line depends on the platform, so it is read only once the
    // command line is known to be right.
    Provenance provenance = ReadProvenance();
    Expectations listed = options.expectations;
    if (!LoadExpectations(options.expectFile, provenance.version, CHECK_VOCABULARY, listed,
                          &options.expectations, &error))
        return UsageError(options, error);

    Run run;
    RunProgram(options, &run);
    Judgement judgement = Judge(run);
    std::vector<ProbeResult> probes = ProbeResults(judgement, options.probe, options.expectations);
    Report report = {options, run, judgement.lines, probes, provenance,
                     RunStatus(probes, !run.error.empty(), options.unjudgedStatus)};
    WriteReports(&report, &run);
    if (!run.error.empty())
        fputs(ErrorLine("check", run.error).c_str(), stderr);
    if (!run.screenshotError.empty())
        fputs(ErrorLine("check", "the screenshot could not be written to " + Utf8(options.screenshot) +
                                     ": " + run.screenshotError)
                  .c_str(),
              stderr);
    return report.status;
}
