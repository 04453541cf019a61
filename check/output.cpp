#include "check/output.h"
#include "outside/files.h"
#include "outside/text.h"

#include <vector>

std::string Render(OutputFormat format, const Report &report)
{
    switch (format) {
    case OUTPUT_JSON:
        return JsonReport(report);
    case OUTPUT_TAP:
        return TapReport(report);
    default:
        return TextReport(report);
    }
}

struct ReportFile {
    const std::wstring &path;
    std::string (*render)(const Report &);
    bool failed;
};

static void AddError(Report *report, Run *run, const std::string &error)
{
    run->error += (run->error.empty() ? "" : "; ") + error;
    report->status = report->options.unjudgedStatus;
}

// Until none fails anew: a file that fails changes what the others must say.
static void WriteFiles(std::vector<ReportFile> *files, Report *report, Run *run)
{
    for (bool again = true; again;) {
        again = false;
        for (ReportFile &file : *files) {
            std::string why;
            if (file.path.empty() || file.failed || WriteWholeFile(file.path, file.render(*report), &why))
                continue;
            file.failed = again = true;
            AddError(report, run,
                     "the report file " + Utf8(file.path) + " could not be written: " + why +
                         "; give it a path in a folder that can be written and has room");
        }
    }
}

void WriteReports(Report *report, Run *run)
{
    std::vector<ReportFile> files = {{report->options.json, JsonReport, false},
                                     {report->options.tap, TapReport, false},
                                     {report->options.junit, JUnitReport, false}};
    WriteFiles(&files, report, run);
    std::string why;
    if (WriteStandardOutput(Render(report->options.format, *report), &why))
        return;
    // Standard output cannot be taken back, but the files can be written again.
    AddError(report, run,
             "the report could not be written to standard output: " + why +
                 "; send standard output where there is room, or the report to a file");
    WriteFiles(&files, report, run);
}
