// survey.exe: runs every kind of modal loop with the capture held by a
// hidden window and prints who held it when.
#include "survey/options.h"
#include "outside/expectfile.h"
#include "outside/provenance.h"

#include <stdio.h>

static Options g_options;
static std::vector<Row> g_rows;

static void Print(const std::vector<Row> &rows)
{
    std::string text;
    if (g_options.json) {
        int bitness = sizeof(void *) * 8;
        text = JsonText(rows, ProvenanceJsonMembers(ReadProvenance(), bitness)) + "\n";
    } else {
        text = ProvenanceText(ReadProvenance()) + ", " + std::to_string(sizeof(void *) * 8) +
               "-bit\n" + TableText(rows);
    }
    fputs(text.c_str(), stdout);
    fflush(stdout);
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
    Print(rows);
    fprintf(stderr, "error: the %s modal did not close even after Cancel; run without it "
                    "(--only) or with a longer --timeout\n", row.kind.c_str());
    fflush(stderr);
    ExitProcess(2);
}

// The command line's arguments are in the system's code page.
static std::wstring AnsiWide(const std::string &text)
{
    if (text.empty())
        return std::wstring();
    int size = MultiByteToWideChar(CP_ACP, 0, text.data(), (int)text.size(), NULL, 0);
    std::wstring out(size, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), (int)text.size(), &out[0], size);
    return out;
}

int main(int argc, char **argv)
{
    g_options = ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (g_options.help) {
        fputs(USAGE, stdout);
        return 0;
    }
    std::string error = g_options.error;
    Expectations listed = g_options.expectations;
    if (error.empty())
        LoadExpectations(AnsiWide(g_options.expectFile), ReadProvenance().version, SURVEY_VOCABULARY,
                         listed, &g_options.expectations, &error);
    if (!error.empty()) {
        fprintf(stderr, "error: %s\n", error.c_str());
        return 2;
    }
    if (!CreateSurveyWindows(GetModuleHandleA(NULL))) {
        fprintf(stderr, "error: the survey's windows could not be created; run it on a desktop session\n");
        return 2;
    }
    g_onStuckModal = ReportStuckModal;
    for (const Kind *kind : g_options.kinds)
        g_rows.push_back(RunBracket(*kind, g_options.limitMs));
    g_onStuckModal = NULL;
    DestroySurveyWindows();
    int status = CompareWithExpected(&g_rows, g_options.expectations, g_options.strict);
    Print(g_rows);
    return status;
}
