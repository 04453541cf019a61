// survey.exe: runs every kind of modal loop with the capture held by a
// hidden window and prints who held it when.
#include "survey/options.h"
#include "outside/escape.h"
#include "outside/expectfile.h"
#include "outside/files.h"
#include "outside/json.h"
#include "outside/provenance.h"
#include "outside/text.h"
#include "outside/version.h"

#include <fcntl.h>
#include <io.h>
#include <stdio.h>

static Options g_options;
static std::vector<Row> g_rows;

// The table, or one JSON object that carries the status and the error
// too. Output that cannot be written is an error of its own, which makes
// the survey's status 2; the status the survey ends with is returned.
static int Print(const std::vector<Row> &rows, int status, const std::string &error)
{
    std::string text;
    int bitness = sizeof(void *) * 8;
    if (g_options.json) {
        std::string members = ProvenanceJsonMembers(ReadProvenance(), bitness) +
                              ", \"status\": " + std::to_string(status) +
                              ", \"error\": " + JsonStringOrNull(error);
        text = JsonText(rows, members) + "\n";
    } else if (!rows.empty()) {
        text = ProvenanceText(ReadProvenance()) + ", " + std::to_string(bitness) + "-bit\n" +
               TableText(rows);
    }
    std::string why, errors = error.empty() ? "" : ErrorLine("survey", error);
    if (!WriteStandardOutput(text, &why)) {
        errors += ErrorLine("survey", "the report could not be written to standard output: " + why +
                                          "; send standard output where there is room");
        status = 2;
    }
    fputs(errors.c_str(), stderr);
    fflush(stderr);
    return status;
}

static bool WriteTimelineSvg(const std::vector<Row> &rows, std::string *error)
{
    if (g_options.timelineSvg.empty())
        return true;
    std::vector<Lane> lanes;
    for (const Row &row : rows)
        lanes.push_back({row.kind, &row.timeline});
    std::string heading = "Capture timelines: " + ProvenanceText(ReadProvenance()) + ", " +
                          std::to_string(sizeof(void *) * 8) + "-bit";
    std::string why;
    if (WriteWholeFile(Wide(g_options.timelineSvg), TimelineSvg(lanes, heading), &why))
        return true;
    *error = "the timelines could not be written to " + g_options.timelineSvg + ": " + why;
    return false;
}

// From the guard's thread, while the modal's call has not returned: report
// what is known and end, so that the output stays whole. The kinds not yet
// run are not judged either.
static void ReportStuckModal(const Row &row)
{
    std::vector<Row> rows = g_rows;
    rows.push_back(row);
    rows.back().guarded = true;
    rows.back().verdict = NOT_JUDGED;
    for (size_t i = rows.size(); i < g_options.kinds.size(); i++) {
        rows.push_back(Row());
        rows.back().kind = g_options.kinds[i]->name;
    }
    CompareWithExpected(&rows, g_options.expectations, g_options.strict);
    std::string error = "the " + row.kind + " modal did not close even after Cancel; run without it "
                        "(--only) or with a longer --timeout";
    // The stuck kind's own records are still being written on its thread.
    if (g_options.timeline)
        rows[g_rows.size()].timeline.error = "the modal did not close, so its records were not read";
    std::string svgError;
    if (!WriteTimelineSvg(rows, &svgError))
        error += "; " + svgError;
    Print(rows, 2, error);
    ExitProcess(2);
}

// The wide command line keeps paths in any script, as the checker reads them.
int wmain(int argc, wchar_t **argv)
{
    // UTF-8 with plain line ends, as the checker writes.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    SetConsoleOutputCP(CP_UTF8);
    std::vector<std::string> args;
    for (int i = 1; i < argc; i++)
        args.push_back(Utf8(argv[i]));
    g_options = ParseOptions(args);
    switch (g_options.result) {
    case PARSE_HELP:
        fputs(USAGE, stdout);
        return 0;
    case PARSE_VERSION:
        printf("survey %s\n", TOOLS_VERSION);
        return 0;
    case PARSE_ERROR:
        Print({}, 2, g_options.error);
        fputs(USAGE, stderr);
        return 2;
    case PARSE_RUN:
        break;
    }
    // The file's line depends on the platform, so it is read only once the
    // command line is known to be right.
    std::string error;
    Expectations listed = g_options.expectations;
    if (!LoadExpectations(Wide(g_options.expectFile), ReadProvenance().version, SURVEY_VOCABULARY,
                          listed, &g_options.expectations, &error)) {
        Print({}, 2, error);
        fputs(USAGE, stderr);
        return 2;
    }
    if (!CreateSurveyWindows(GetModuleHandleA(NULL))) {
        Print({}, 2, "the survey's windows could not be created; run it on a desktop session");
        return 2;
    }
    g_onStuckModal = ReportStuckModal;
    for (const Kind *kind : g_options.kinds)
        g_rows.push_back(RunBracket(*kind, g_options.limitMs, g_options.timeline));
    g_onStuckModal = NULL;
    DestroySurveyWindows();
    int status = CompareWithExpected(&g_rows, g_options.expectations, g_options.strict);
    // A picture that could not be written is not a success, whatever the verdicts.
    if (!WriteTimelineSvg(g_rows, &error))
        status = 2;
    return Print(g_rows, status, error);
}
