// The checker as a process on the platform: on TEST.exe, and on stand-ins
// whose logs, exit codes, failures and hostile text are fixed in advance.
#include "platform/platform.h"
#include "tests/checker_process.h"
#include "outside/json.h"
#include "tests/logs.h"
#include "tests/standins/standins.h"
#include "outside/text.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <regex>
#include <string>

namespace {

std::string JsonField(const std::string &json, const std::string &pattern)
{
    std::smatch match;
    return std::regex_search(json, match, std::regex(pattern)) ? match[1].str() : "";
}

std::string JsonError(const std::string &json)
{
    return JsonField(json, "\"error\": \"((\\\\.|[^\"\\\\])*)\"");
}

std::string Quoted(const std::string &path) { return "\"" + path + "\""; }

// Runs the checker on the stand-in that shows this log and ends with this code.
Outcome RunCheckerOnLog(const std::string &log, int exitCode, const std::string &options)
{
    WriteWholeFile(BesideThisProgram("shows_log.case"), std::to_string(exitCode) + "\n" + log);
    Outcome outcome = RunChecker(options + " " + Quoted(BesideThisProgram("shows_log.exe")));
    DeleteFileA(BesideThisProgram("shows_log.case").c_str());
    return outcome;
}

// What the stand-in shows and ends with, the options given, and what the
// checker must make of it: one status for each combination.
struct StatusCase {
    const char *name;
    std::string log;
    int exitCode;
    const char *options;
    DWORD status;
    const char *open, *font;
    const char *error; // what the error says, as JSON writes it; nullptr for none
};

void PrintTo(const StatusCase &c, std::ostream *out) { *out << c.name; }

class CheckerStatusTest : public ::testing::TestWithParam<StatusCase> {};

TEST_P(CheckerStatusTest, EachCombinationGivesOneStatus)
{
    const StatusCase &c = GetParam();
    Outcome outcome = RunCheckerOnLog(c.log, c.exitCode, std::string("--json ") + c.options);
    const std::string &json = outcome.out;
    EXPECT_EQ(outcome.status, c.status) << json << outcome.err;
    EXPECT_TRUE(IsOneJsonObject(json)) << json;
    EXPECT_EQ(JsonField(json, "\"status\": ([0-9]+)"), std::to_string(c.status));
    EXPECT_EQ(JsonField(json, "\"openFile\": \\{\"verdict\": \"([a-z_]+)\""), c.open);
    EXPECT_EQ(JsonField(json, "\"chooseFont\": \\{\"verdict\": \"([a-z_]+)\""), c.font);
    if (c.error)
        EXPECT_NE(JsonError(json).find(c.error), std::string::npos) << json;
    else
        EXPECT_NE(json.find("\"error\": null"), std::string::npos) << json;
}

const std::string BOTH_RELEASED = RunLog(OPEN_RELEASED, FONT_RELEASED);
const std::string OPEN_HELD_ONLY = RunLog(OPEN_HELD, FONT_RELEASED);
const std::string FONT_MISSING = RunLog(OPEN_RELEASED, "");

const StatusCase STATUS_CASES[] = {
    {"BothReleased", BOTH_RELEASED, 0, "", 0, "released", "released", nullptr},
    {"OpenHeld", OPEN_HELD_ONLY, 0, "", 1, "held", "released", nullptr},
    {"FontHeld", RunLog(OPEN_RELEASED, FONT_HELD), 0, "--unjudged-status 125", 1, "released", "held", nullptr},
    {"NotJudged", RunLog(OPEN_RELEASED, FONT_NO_COMPLAINT), 0, "", 2, "released", "not_judged", nullptr},
    {"HeldOnlyInTheProbeNotCounted", OPEN_HELD_ONLY, 0, "--probe font", 0, "held", "released", nullptr},
    {"NotJudgedOnlyInTheProbeNotCounted", FONT_MISSING, 0, "--probe open --unjudged-status 125", 0, "released",
     "not_judged", nullptr},
    {"NotJudgedInTheProbeCounted", FONT_MISSING, 0, "--unjudged-status 125", 125, "released", "not_judged", nullptr},
    {"RunErrorWithBothJudged", OPEN_HELD_ONLY, 3, "", 2, "held", "released", "exit code 3 instead of 0 after WM_CLOSE"},
    {"RunErrorTakesTheUnjudgedStatus", BOTH_RELEASED, 3, "--unjudged-status=7", 7, "released", "released",
     "exit code 3 instead of 0"},
    {"ReportNotWrittenTakesTheUnjudgedStatus", BOTH_RELEASED, 0, "--unjudged-status 9 --junit Z:\\dev\\full", 9,
     "released", "released", "Z:\\\\dev\\\\full could not be written: writing it failed: error 112"},
    {"UsageErrorIsTwoWhateverTheUnjudgedStatus", BOTH_RELEASED, 0, "--unjudged-status 125 --timeout 0", 2,
     "not_judged", "not_judged", "--timeout"}};
INSTANTIATE_TEST_SUITE_P(Combinations, CheckerStatusTest, ::testing::ValuesIn(STATUS_CASES),
                         [](const ::testing::TestParamInfo<StatusCase> &info) { return std::string(info.param.name); });

// Each failure, a program frozen from inside the platform as a stopped
// program is (with its dialog up, or once its log is read and it is
// closing) and a child left behind holding every handle it could inherit:
// the checker ends within its limit and grace, says what happened, and
// leaves nothing running.
struct Failure {
    const char *standIn;
    DWORD status;
    const char *expected;                 // in its standard output or error
    const char *freezeClass = nullptr, *freezeTitle = nullptr; // the window to freeze, if any
};

class CheckerFailureTest : public ::testing::TestWithParam<Failure> {};

TEST_P(CheckerFailureTest, EndsInTimeSaysWhatHappenedAndLeavesNothingRunning)
{
    const Failure &failure = GetParam();
    int frozen = 0;
    Outcome outcome = RunChecker("--json --timeout 2 " + Quoted(BesideThisProgram(failure.standIn)), 30000, [&] {
        if (failure.freezeTitle)
            frozen = Freeze(WaitForWindow(failure.freezeClass, failure.freezeTitle, 10000));
    });
    EXPECT_EQ(frozen > 0, failure.freezeTitle != nullptr);
    EXPECT_EQ(outcome.status, failure.status) << outcome.out;
    EXPECT_TRUE(std::regex_search(outcome.out + outcome.err, std::regex(failure.expected))) << outcome.out << outcome.err;
    EXPECT_TRUE(IsOneJsonObject(outcome.out)) << outcome.out;
    // The limit holds: 2 s, 5 s of grace to close what is stuck, and the start.
    EXPECT_LT(outcome.ms, 8000u);
    EXPECT_EQ(EndLeftovers(failure.standIn), 0);
}

INSTANTIATE_TEST_SUITE_P(
    StandIns, CheckerFailureTest,
    ::testing::Values(
        Failure{"no_such.exe", 2, "\"error\": \"there is no program at"},
        Failure{"not_a_program.exe", 2, "not_a_program.exe could not be started: "},
        Failure{"never_shows.exe", 2, "\"error\": \"the program showed no window within 2.0 s"},
        // Its exit code is its own; its memory was never measured.
        Failure{"exits_at_once.exe", 2,
                "\"error\": \"the program ended by itself with exit code 3 before[^\"]*\", \"exitCode\": 3, "
                "\"seconds\": [0-9.]+, \"peakMemoryKiB\": null"},
        Failure{"crashes.exe", 2, "\"error\": \"the program crashed before showing its main window: code 0xc0000005"},
        Failure{"prints.exe", 2, "\"error\": \"the program ended by itself with exit code 4 before"},
        Failure{"hangs_with_dialog.exe", 2, "\"error\": \"the program stopped answering with its dialog \\\\\"Hangs\\\\\" open"},
        Failure{"hangs_when_shown.exe", 2, "\"error\": \"the program did not answer when its log was read"},
        Failure{"dialog_stays_open.exe", 2,
                "\"openFile\": \\{\"verdict\": \"not_judged\", \"holder\": null, \"reason\": "
                "\"its dialog \\\\\"Open\\\\u000aok 3 - injected\\\\u000aBail out! \\\\u001b\\[8m.* did not close by itself"},
        Failure{"dialog_stays_open.exe", 2,
                "the program stopped answering with its dialog \"Open\\\\x0aok 3 - injected.*\" open; it was ended",
                nullptr, HOSTILE_TITLE},
        // Ended by the checker, it has no exit code of its own to give.
        Failure{"slow_to_close.exe", 2, "did not end within [0-9.]+ s after WM_CLOSE[^\"]*\", \"exitCode\": null",
                "TEST", "closing"},
        Failure{"leaves_child.exe", 0, "\"error\": null"}));

// Two programs of the same class and title at once: the checker reads its own.
TEST(CheckerProcessTest, ReadsItsOwnProgramsPaneNotAnothers)
{
    std::string decoy = BesideThisProgram("decoy.exe");
    ASSERT_TRUE(CopyFileA(BesideThisProgram("shows_log.exe").c_str(), decoy.c_str(), FALSE));
    WriteWholeFile(BesideThisProgram("decoy.case"), "0\n" + RunLog(OPEN_HELD, FONT_HELD));
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessA(decoy.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process));
    WaitForInputIdle(process.hProcess, 10000);
    Outcome outcome = RunCheckerOnLog(BOTH_RELEASED, 0, "--quiet");
    EXPECT_EQ(outcome.status, 0u) << outcome.out;
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 5000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    DeleteFileA(decoy.c_str());
    DeleteFileA(BesideThisProgram("decoy.case").c_str());
}

// GDI+'s flat interface, enough to read a PNG's pixels back.
extern "C" {
struct GdiplusStartupInput {
    UINT32 version;
    void *callback;
    BOOL noThread, noCodecs;
};
int WINAPI GdiplusStartup(ULONG_PTR *, const GdiplusStartupInput *, void *);
void WINAPI GdiplusShutdown(ULONG_PTR);
int WINAPI GdipCreateBitmapFromFile(const WCHAR *, void **);
int WINAPI GdipGetImageWidth(void *, UINT *);
int WINAPI GdipGetImageHeight(void *, UINT *);
int WINAPI GdipBitmapGetPixel(void *, INT, INT, DWORD *);
int WINAPI GdipDisposeImage(void *);
}

// The picture is the program's window: its size, the pane where the
// stand-in put it and the red background around it, in a folder that the
// checker makes. The probe not chosen is marked.
TEST(CheckerProcessTest, ThePictureIsTheProgramsWindow)
{
    std::string folder = BesideThisProgram("pictures"), picture = folder + "\\new\\window.png";
    Outcome outcome = RunCheckerOnLog(BOTH_RELEASED, 0, "--quiet --probe font --screenshot " + Quoted(picture));
    EXPECT_EQ(outcome.status, 0u) << outcome.err;
    EXPECT_TRUE(std::regex_search(outcome.out, std::regex("^Open dialog \\(GetOpenFileName\\): released[^\n]* "
                                                          "\\[not counted\\]\nFont [^\n]*running\n")))
        << outcome.out;
    ULONG_PTR token = 0;
    GdiplusStartupInput input = {1, nullptr, FALSE, FALSE};
    ASSERT_EQ(GdiplusStartup(&token, &input, nullptr), 0);
    void *image = nullptr;
    ASSERT_EQ(GdipCreateBitmapFromFile(Wide(picture).c_str(), &image), 0) << picture;
    UINT width = 0, height = 0;
    GdipGetImageWidth(image, &width);
    GdipGetImageHeight(image, &height);
    EXPECT_EQ(width, 400u);
    EXPECT_EQ(height, 300u);
    // Where the client area starts in the window, as this platform frames it.
    RECT frame = {0, 0, 0, 0};
    AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
    auto pixel = [&](int x, int y) {
        DWORD argb = 0;
        GdipBitmapGetPixel(image, x - frame.left, y - frame.top, &argb);
        return argb & 0xffffff;
    };
    EXPECT_EQ(pixel(STANDIN_PANE_WIDTH / 2, STANDIN_PANE_HEIGHT - 10), 0xffffffu);
    EXPECT_EQ(pixel(STANDIN_PANE_WIDTH + 20, 20), 0xff0000u);
    EXPECT_EQ(pixel(20, STANDIN_PANE_HEIGHT + 20), 0xff0000u);
    GdipDisposeImage(image);
    GdiplusShutdown(token);
    DeleteFileA(picture.c_str());
    RemoveDirectoryA((folder + "\\new").c_str());
    RemoveDirectoryA(folder.c_str());
}

// A wrong command line: the error names it, the usage follows on standard
// error, and standard output still carries the report asked for. The
// survey speaks the same dialect.
TEST(CheckerProcessTest, WrongArgumentIsNamedAndStillAnsweredInJson)
{
    std::string large = BesideThisProgram("too_large.txt");
    WriteWholeFile(large, "* open=held\n" + std::string(1 << 20, '#'));
    const struct {
        std::string tool, arguments, said;
    } wrongs[] = {
        {"check", "--timeout", "--timeout"}, {"check", "--timeout 0", "--timeout"},
        {"check", "--timeout 5abc", "5abc"}, {"check", "--timeout 86400.001", "86400.001"},
        {"check", "--timeout=1e12", "1e12"}, {"check", "--timeout nan", "nan"},
        {"check", "--probe=menu", "menu"}, {"check", "--unjudged-status 256", "256"},
        {"check", "--tap", "--json and --tap"}, {"check", "--frobnicate", "--frobnicate"},
        {"check", "a.exe b.exe", "b.exe"}, {"check", "--quiet=1", "--quiet"},
        {"check", "--expect open=HELD", "--expect: \\\"open=HELD\\\": the check's verdicts are"},
        {"check", "--expect-file Z:\\no\\such.txt", "such.txt could not be read; check its path"},
        {"check", "--expect-file " + Quoted(large), "too_large.txt is larger than 1048576 bytes (1 MiB)"},
        {"survey", "--expect-file " + Quoted(large), "too_large.txt is larger than 1048576 bytes (1 MiB)"},
        {"survey", "--timeout=3600.5", "3600.5"},
        {"survey", "--expect popup_menu=grabbed", "--expect: \\\"popup_menu=grabbed\\\": the survey's"}};
    for (const auto &wrong : wrongs) {
        Outcome outcome = RunTool(wrong.tool + ".exe", "--json " + wrong.arguments);
        EXPECT_EQ(outcome.status, 2u) << wrong.arguments;
        EXPECT_TRUE(IsOneJsonObject(outcome.out)) << wrong.arguments << ": " << outcome.out;
        EXPECT_EQ(JsonField(outcome.out, "\"status\": ([0-9]+)"), "2") << outcome.out;
        EXPECT_NE(JsonError(outcome.out).find(wrong.said),
                  std::string::npos) << outcome.out;
        EXPECT_NE(outcome.err.find("\nusage: " + wrong.tool), std::string::npos) << outcome.err;
    }
    DeleteFileA(large.c_str());
    for (const char *tool : {"check", "survey"}) {
        Outcome help = RunTool(tool + std::string(".exe"), "/?");
        EXPECT_EQ(help.status, 0u);
        EXPECT_EQ(help.out.find("usage: "), 0u) << tool;
        EXPECT_EQ(RunTool(tool + std::string(".exe"), "--version").out.find(tool + std::string(" 2.")), 0u);
    }
}

// Text from the command line reaches standard error as it reaches a
// terminal from either tool: one line, with nothing a terminal obeys.
TEST(CheckerProcessTest, BothToolsEscapeTheirErrorsAlike)
{
    std::string path = "Z:\\no\\\x1b]0;owned\x07\x1b[31m\xc2\x9b.txt";
    std::string said = ": the expectations file Z:\\no\\\\x1b]0;owned\\x07\\x1b[31m\\x9b.txt could not be read; "
                       "check its path\nusage: ";
    for (std::string tool : {"check", "survey"}) {
        Outcome outcome = RunTool(tool + ".exe", "--expect-file " + Quoted(path));
        EXPECT_EQ(outcome.status, 2u) << tool;
        EXPECT_EQ(outcome.err.find(tool + said), 0u) << outcome.err;
        EXPECT_EQ(outcome.err.find_first_of("\x1b\x07\xc2"), std::string::npos) << outcome.err;
    }
}

// Standard output on a full disk: the run is not judged, standard error
// names the stream, and the report files of the run say the same; nothing
// half-written is left beside them. The survey's output alike.
TEST(CheckerProcessTest, AReportThatCannotBeWrittenIsTheRunsErrorInEveryReport)
{
    HANDLE full = CreateFileW(L"Z:\\dev\\full", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(full, INVALID_HANDLE_VALUE);
    std::string folder = BesideThisProgram("reports"), tap = folder + "\\run.tap", junit = folder + "\\run.xml";
    const std::string NAMED = "the report could not be written to standard output: writing it failed: error 112";
    WriteWholeFile(BesideThisProgram("shows_log.case"), "0\n" + BOTH_RELEASED);
    Outcome outcome = RunTool("check.exe",
                              "--json --probe font --unjudged-status 9 --tap " + Quoted(tap) + " --junit " +
                                  Quoted(junit) + " " + Quoted(BesideThisProgram("shows_log.exe")),
                              60000, nullptr, full);
    DeleteFileA(BesideThisProgram("shows_log.case").c_str());
    EXPECT_EQ(outcome.status, 9u) << outcome.err;
    EXPECT_EQ(outcome.err.find("check: " + NAMED), 0u) << outcome.err;
    EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << outcome.err;
    EXPECT_NE(ReadWholeFile(tap).find("# error: " + NAMED), std::string::npos) << ReadWholeFile(tap);
    EXPECT_NE(ReadWholeFile(junit).find("<error type=\"run_error\" message=\"" + NAMED), std::string::npos)
        << ReadWholeFile(junit);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*.partial").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE) << found.cFileName;
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    DeleteFileA(tap.c_str());
    DeleteFileA(junit.c_str());

    // A file that fails after others were written: those are written again.
    std::string json = folder + "\\run.json", lost = "Z:\\dev\\full\\run.xml";
    WriteWholeFile(BesideThisProgram("shows_log.case"), "0\n" + BOTH_RELEASED);
    outcome = RunTool("check.exe", "--unjudged-status 9 --json=" + Quoted(json) + " --tap " + Quoted(tap) +
                                       " --junit " + Quoted(lost) + " " + Quoted(BesideThisProgram("shows_log.exe")));
    DeleteFileA(BesideThisProgram("shows_log.case").c_str());
    EXPECT_EQ(outcome.status, 9u) << outcome.err;
    const std::string LOST = "the report file " + lost + " could not be written";
    std::string quoted = JsonString(LOST);
    quoted.pop_back();
    EXPECT_NE(ReadWholeFile(json).find("\"status\": 9, \"error\": " + quoted), std::string::npos)
        << ReadWholeFile(json);
    EXPECT_NE(ReadWholeFile(tap).find("# error: " + LOST), std::string::npos) << ReadWholeFile(tap);
    DeleteFileA(json.c_str());
    DeleteFileA(tap.c_str());
    RemoveDirectoryA(folder.c_str());

    Outcome survey = RunTool("survey.exe", "--json --only dialog", 60000, nullptr, full);
    EXPECT_EQ(survey.status, 2u) << survey.err;
    EXPECT_EQ(survey.err.find("survey: " + NAMED), 0u) << survey.err;
    CloseHandle(full);
}

// The survey's status through the process: only --strict counts a late
// release, which this platform gives for the Font dialog.
TEST(CheckerProcessTest, TheSurveysStrictStatusCountsALateRelease)
{
    Outcome lax = RunTool("survey.exe", "--json --only font"), strict = RunTool("survey.exe", "--json --strict --only font");
    std::string verdict = JsonField(lax.out, "\"verdict\": \"([a-z_]+)\"");
    EXPECT_EQ(JsonField(strict.out, "\"verdict\": \"([a-z_]+)\""), verdict) << strict.out;
    EXPECT_EQ(lax.status, verdict == "held" ? 1u : verdict == "not_judged" ? 2u : 0u) << lax.out;
    EXPECT_EQ(strict.status, lax.status + (verdict == "released_late")) << strict.out;
    EXPECT_EQ(JsonField(strict.out, "\"status\": ([0-9]+)"), std::to_string(strict.status));
}

// Copies of a program that ends at once: marked for either machine, so
// that the bitness comes from the file before the platform refuses one;
// in a folder named beyond the system's code page; and at full paths
// beyond 260 characters, where the platform may not start it and the
// error says why, up to the length past which the platform would crash
// inside itself and the checker refuses it instead. The Windows version
// is the one the platform gives this test too.
TEST(CheckerProcessTest, ProgramFilesAnywhereAreStartedOrRefusedWithTheirProvenance)
{
    RTL_OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    auto getVersion = (LONG(WINAPI *)(RTL_OSVERSIONINFOW *))(void *)GetProcAddress(
        GetModuleHandleA("ntdll.dll"), "RtlGetVersion");
    ASSERT_EQ(getVersion(&version), 0);
    std::string windows = std::to_string(version.dwMajorVersion) + "." +
                          std::to_string(version.dwMinorVersion) + "." + std::to_string(version.dwBuildNumber);
    // Paths beyond 260 characters only in their extended form.
    auto extended = [](const std::string &path) { return "\\\\?\\" + path; };
    std::vector<std::string> folders;
    auto makeFolder = [&](const std::string &path) {
        CreateDirectoryW(Wide(extended(path)).c_str(), nullptr);
        folders.push_back(path);
    };
    // A name in folders made for it, at a full path of this many characters.
    auto atLength = [&](size_t length, const std::string &name) {
        std::string path = BesideThisProgram("long");
        makeFolder(path);
        while (path.size() + 1 + name.size() < length) {
            size_t room = length - name.size() - path.size() - 2;
            makeFolder(path += "\\" + std::string(room > 200 ? 150 : room, 'l'));
        }
        return path + "\\" + name;
    };
    std::string program = ReadWholeFile(BesideThisProgram("exits_at_once.exe")), marked32 = program, marked64 = program;
    ASSERT_GT(program.size(), 0x100u);
    size_t machine = *(const DWORD *)&program[0x3c] + 4;
    marked32.replace(machine, 2, "\x4c\x01", 2);
    marked64.replace(machine, 2, "\x64\x86", 2);
    std::string folder = BesideThisProgram("\xe6\xa4\x9c\xe6\x9f\xbb \xd0\xbf\xd0\xb0\xd0\xbf\xd0\xba\xd0\xb0");
    std::string native = std::to_string(sizeof(void *) * 8);
    makeFolder(folder);
    const std::string STARTED_OR_NOT = "with exit code 3|could not be started: .*move it to a shorter one",
                      REFUSED = "path is [0-9]+ characters long in full, more than the 1023 .*move it to a shorter path";
    const struct {
        std::string path, content, bits, said;
    } copies[] = {
        {BesideThisProgram("marked32.exe"), marked32, "32", "with exit code 3|could not be started"},
        {BesideThisProgram("marked64.exe"), marked64, "64", "with exit code 3|could not be started"},
        {folder + "\\exits_at_once.exe", program, native, "with exit code 3"},
        {atLength(1023, "a.exe"), program, native, STARTED_OR_NOT},
        {atLength(1024, "b.exe"), program, native, "path is 1024 characters long in full, more than the 1023"},
        {atLength(1041, "c.exe"), program, native, REFUSED},
        {atLength(1042, "d.exe"), program, native, REFUSED},
        {atLength(4000, "e.exe"), program, native, "path is 4000 characters long in full"}};
    for (const auto &copy : copies) {
        WriteWholeFile(extended(copy.path), copy.content);
        Outcome outcome = RunChecker("--json --timeout 2 " + Quoted(copy.path), 30000);
        EXPECT_EQ(outcome.status, 2u) << copy.path.size();
        EXPECT_TRUE(IsOneJsonObject(outcome.out)) << copy.path.size() << ": " << outcome.out;
        EXPECT_TRUE(std::regex_search(JsonError(outcome.out), std::regex(copy.said))) << outcome.out;
        EXPECT_EQ(JsonField(outcome.out, "\"bitness\": ([0-9]+)"), copy.bits) << outcome.out;
        EXPECT_EQ(JsonField(outcome.out, "\"windowsVersion\": \"([^\"]*)\""), windows);
        DeleteFileW(Wide(extended(copy.path)).c_str());
    }
    for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder)
        RemoveDirectoryW(Wide(extended(*folder)).c_str());
}

} // namespace
