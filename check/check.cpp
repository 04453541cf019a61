// The checker: starts TEST.exe, waits for its finished log, reads it from
// outside, closes the program as a user would and judges the platform.
// Exit status: 0 both dialogs released the capture, 1 at least one held
// it, 2 (or --unjudged-status) the run could not be judged. Where a probe's
// verdict is expected, giving it passes and any other verdict fails.
#include "check/checkrun.h"
#include "check/options.h"
#include "check/outcome.h"
#include "check/report.h"
#include "outside/expectfile.h"
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

// Only the chosen probes count; any of them not judged, or any error,
// makes the whole run not judged, whatever another probe found.
static int Status(const Options &options, const Run &run, const Judgement &judgement)
{
    return CheckStatus(ProbeResults(judgement, options), !run.error.empty(), options.unjudgedStatus);
}

static bool WriteFileText(const std::wstring &path, const std::string &text)
{
    FILE *file = _wfopen(path.c_str(), L"wb");
    bool written = file && fwrite(text.data(), 1, text.size(), file) == text.size();
    if (file && fclose(file) != 0)
        written = false;
    return written;
}

// The report in the format asked for. A wrong command line has no text
// report: its error and the usage go to standard error alone.
static void PrintReport(const Report &report, bool ran)
{
    switch (report.options.format) {
    case OUTPUT_JSON:
        fputs(JsonReport(report).c_str(), stdout);
        break;
    case OUTPUT_TAP:
        fputs(TapReport(report).c_str(), stdout);
        break;
    default:
        if (ran)
            fputs(TextReport(report).c_str(), stdout);
    }
}

// A wrong command line still answers in the format asked for.
static int UsageError(const Options &options, const std::string &error)
{
    Run run;
    run.error = error + "; see check --help";
    Judgement judgement = Judge(run);
    Provenance provenance = ReadProvenance();
    PrintReport({options, run, judgement, provenance, STATUS_USAGE}, false);
    fprintf(stderr, "check: %s\n%s", error.c_str(), Usage());
    return STATUS_USAGE;
}

// A JUnit file asked for but not written leaves the run unjudged, and says
// so in every report, not on standard error alone.
static void WriteJUnit(Report *report, Run *run)
{
    const std::wstring &path = report->options.junit;
    if (path.empty() || WriteFileText(path, JUnitReport(*report)))
        return;
    run->error += (run->error.empty() ? "" : "; ") + std::string("the JUnit file ") + Utf8(path) +
                  " could not be written; check that its folder exists";
    report->status = report->options.unjudgedStatus;
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
    Expectations listed = options.expectations;
    if (!LoadExpectations(options.expectFile, ReadProvenance().version, CHECK_VOCABULARY, listed,
                          &options.expectations, &error))
        return UsageError(options, error);

    Run run;
    RunProgram(options, &run);
    Provenance provenance = ReadProvenance();
    Judgement judgement = Judge(run);
    Report report = {options, run, judgement, provenance, Status(options, run, judgement)};
    WriteJUnit(&report, &run);
    PrintReport(report, true);
    if (!run.error.empty())
        fprintf(stderr, "check: %s\n", run.error.c_str());
    if (!run.screenshotError.empty())
        fprintf(stderr, "check: the screenshot could not be written to %s: %s\n",
                Utf8(options.screenshot).c_str(), run.screenshotError.c_str());
    return report.status;
}
