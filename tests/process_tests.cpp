// TEST.exe and the checker as separate processes on the platform, watched
// from outside as a user's tools would.
#include "tools/outside.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>
#include <regex>
#include <string>

namespace {

std::string BesideThisProgram(const std::string &name)
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof(path));
    std::string self(path, length);
    return self.substr(0, self.find_last_of("\\/") + 1) + name;
}

struct Outcome {
    DWORD status;
    std::string output;
    DWORD ms;
};

// Runs the checker with its standard output in a pipe. It must end within
// the limit; otherwise it is ended and the test fails.
Outcome RunChecker(const std::string &arguments, DWORD limitMs = 60000)
{
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd, writeEnd;
    CreatePipe(&readEnd, &writeEnd, &inherit, 0);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process = {};
    std::string commandLine = "\"" + BesideThisProgram("check.exe") + "\" " + arguments;
    DWORD started = GetTickCount();
    EXPECT_TRUE(CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                               nullptr, &startup, &process));
    CloseHandle(writeEnd);

    Outcome outcome = {};
    char chunk[4096];
    DWORD got;
    while (ReadFile(readEnd, chunk, sizeof(chunk), &got, nullptr) && got > 0)
        outcome.output.append(chunk, got);
    if (WaitForSingleObject(process.hProcess, limitMs) != WAIT_OBJECT_0) {
        ADD_FAILURE() << "the checker did not end in time";
        TerminateProcess(process.hProcess, 99);
    }
    outcome.ms = GetTickCount() - started;
    GetExitCodeProcess(process.hProcess, &outcome.status);
    CloseHandle(readEnd);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return outcome;
}

bool IsRunning(const char *exeName)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    bool found = false;
    for (BOOL more = Process32First(snapshot, &entry); more && !found;
         more = Process32Next(snapshot, &entry))
        found = lstrcmpiA(entry.szExeFile, exeName) == 0;
    CloseHandle(snapshot);
    return found;
}

std::string JsonField(const std::string &json, const std::string &pattern)
{
    std::smatch match;
    return std::regex_search(json, match, std::regex(pattern)) ? match[1].str() : "";
}

// Any holder values: the platform decides who holds the capture.
const char H[] = "[0-9a-f]{8}";

TEST(ProgramProcessTest, RunsBothProbesByItselfAndExitsWithZeroOnClose)
{
    Program program = StartProgram(BesideThisProgram("TEST.exe"));
    ASSERT_EQ(program.error, 0u);
    HWND main = nullptr;
    DWORD deadline = GetTickCount() + 60000;
    // Waiting on the process lets a program that ends early end the wait.
    while (!((main = FindMainWindow(program)) && IsWindowVisible(main)) &&
           (LONG)(GetTickCount() - deadline) < 0)
        ASSERT_EQ(WaitForSingleObject(program.process.hProcess, 20), (DWORD)WAIT_TIMEOUT);
    ASSERT_NE(main, nullptr) << "the main window never became visible: a dialog stayed open";

    EXPECT_EQ(FindProgramWindow(program, "#32770"), nullptr);
    std::string log = ReadLogPane(main);
    std::string pattern = std::string("Testing GetOpenFileName\r\nWnd with capture:") + H +
                          "\r\nWM_INITDIALOG:" + H + "\r\n(WM_NOTIFY:" + H + " - " + H +
                          " - \\([0-9]\\)\r\n(CommonFileDialog.*\r\n)?(Quitting dialog\r\n)?)+"
                          "Wnd with capture:" + H + "\r\nTesting ChooseFont\r\nWnd with capture:" +
                          H + "\r\nWM_INITDIALOG:" + H + "\r\n(WM_CTLCOLORDLG:" + H +
                          " - \\(0\\)\r\n(ChooseFontDialog.*\r\n)?Quitting dialog\r\n)+"
                          "Wnd with capture:" + H + "\r\n";
    EXPECT_TRUE(std::regex_match(log, std::regex(pattern))) << log;

    DWORD exitCode = 99;
    EXPECT_TRUE(CloseProgram(program, main, 10000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
    EndProgram(&program);
}

const char HOLDER[] = "0001005e", NO_HOLDER[] = "00000000", NO_CHECKPOINT[] = "";
const char OPEN_COMPLAINT[] = "CommonFileDialog - mouse capture should have been released now!\r\n";
const char FONT_COMPLAINT[] = "ChooseFontDialog - mouse capture should have been released now!\r\n";

// One run's log with the checkpoints naming these holders, each followed by
// its complaint if one is given.
std::string RunLog(const std::string &openHolder, const char *openComplaint,
                   const std::string &fontHolder, const char *fontComplaint)
{
    std::string log = "Testing GetOpenFileName\r\nWnd with capture:0001005e\r\n";
    if (!openHolder.empty())
        log += "WM_NOTIFY:" + openHolder + " - fffffda6 - (2)\r\n" + openComplaint + "Quitting dialog\r\n";
    log += "Wnd with capture:00000000\r\nTesting ChooseFont\r\nWnd with capture:0001005e\r\n";
    if (!fontHolder.empty())
        log += "WM_CTLCOLORDLG:" + fontHolder + " - (0)\r\n" + fontComplaint + "Quitting dialog\r\n";
    return log + "Wnd with capture:00000000\r\n";
}

// What the stand-in shows and ends with, and what the checker must make of it.
struct Case {
    const char *name;
    std::string log;
    int exitCode;
    DWORD status;
    const char *open, *font;
};

class CheckerJudgementTest : public ::testing::TestWithParam<Case> {};

TEST_P(CheckerJudgementTest, StatusAndBothVerdictsAreAsFixed)
{
    const Case &c = GetParam();
    std::string caseFile = BesideThisProgram("shows_log.case");
    HANDLE file = CreateFileA(caseFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    std::string text = std::to_string(c.exitCode) + "\n" + c.log;
    DWORD written;
    WriteFile(file, text.data(), (DWORD)text.size(), &written, nullptr);
    CloseHandle(file);

    Outcome outcome = RunChecker("--json \"" + BesideThisProgram("shows_log.exe") + "\"");
    DeleteFileA(caseFile.c_str());
    const std::string &json = outcome.output;
    EXPECT_EQ(outcome.status, c.status) << json;
    EXPECT_EQ(JsonField(json, "\"status\": ([0-9])"), std::to_string(c.status));
    EXPECT_EQ(JsonField(json, "\"openFile\": \\{\"verdict\": \"([a-z_]+)\""), c.open);
    EXPECT_EQ(JsonField(json, "\"chooseFont\": \\{\"verdict\": \"([a-z_]+)\""), c.font);
    EXPECT_EQ(JsonField(json, "\"exitCode\": ([0-9]+)"), std::to_string(c.exitCode));
}

INSTANTIATE_TEST_SUITE_P(
    Logs, CheckerJudgementTest,
    ::testing::Values(
        Case{"BothReleased", RunLog(NO_HOLDER, "", NO_HOLDER, ""), 0, 0, "released", "released"},
        Case{"OpenHeld", RunLog(HOLDER, OPEN_COMPLAINT, NO_HOLDER, ""), 0, 1, "held", "released"},
        Case{"FontHeld", RunLog(NO_HOLDER, "", HOLDER, FONT_COMPLAINT), 0, 1, "released", "held"},
        Case{"BothHeld", RunLog(HOLDER, OPEN_COMPLAINT, HOLDER, FONT_COMPLAINT), 0, 1, "held", "held"},
        Case{"OpenMissingFontHeld", RunLog(NO_CHECKPOINT, "", HOLDER, FONT_COMPLAINT), 0, 2, "not_judged", "held"},
        Case{"OpenMissingFontReleased", RunLog(NO_CHECKPOINT, "", NO_HOLDER, ""), 0, 2, "not_judged", "released"},
        Case{"OpenHeldFontMissing", RunLog(HOLDER, OPEN_COMPLAINT, NO_CHECKPOINT, ""), 0, 2, "held", "not_judged"},
        Case{"OpenReleasedFontMissing", RunLog(NO_HOLDER, "", NO_CHECKPOINT, ""), 0, 2, "released", "not_judged"},
        Case{"FontHolderWithoutComplaint", RunLog(NO_HOLDER, "", HOLDER, ""), 0, 2, "released", "not_judged"},
        Case{"ExitCodeNotZero", RunLog(NO_HOLDER, "", NO_HOLDER, ""), 3, 2, "released", "released"}),
    [](const ::testing::TestParamInfo<Case> &info) { return std::string(info.param.name); });

TEST(CheckerProcessTest, TextOutputEndsWithOneVerdictPerProbe)
{
    Outcome outcome = RunChecker("");
    EXPECT_LE(outcome.status, 1u);
    EXPECT_NE(outcome.output.find("Testing GetOpenFileName\n"), std::string::npos);
    EXPECT_EQ(outcome.output.find('\r'), std::string::npos);
    EXPECT_TRUE(std::regex_search(outcome.output, std::regex("\nOpen dialog \\(GetOpenFileName\\): (released|HELD)")));
    EXPECT_TRUE(std::regex_search(outcome.output, std::regex("\nFont dialog \\(ChooseFont\\): +(released|HELD)")));
}

// Each failure ends within its limit with status 2 and leaves nothing running.
struct Failure {
    const char *standIn;
    const char *expected;
};

class CheckerFailureTest : public ::testing::TestWithParam<Failure> {};

TEST_P(CheckerFailureTest, EndsInTimeWithStatusTwoAndNothingLeftRunning)
{
    const Failure &failure = GetParam();
    Outcome outcome =
        RunChecker("--json --timeout 2 \"" + BesideThisProgram(failure.standIn) + "\"", 30000);
    EXPECT_EQ(outcome.status, 2u) << outcome.output;
    EXPECT_TRUE(std::regex_search(outcome.output, std::regex(failure.expected))) << outcome.output;
    EXPECT_LT(outcome.ms, 20000u);
    EXPECT_FALSE(IsRunning(failure.standIn));
}

INSTANTIATE_TEST_SUITE_P(
    StandIns, CheckerFailureTest,
    ::testing::Values(
        Failure{"never_shows.exe", "\"error\": \"the program showed no window within 2.0 s"},
        Failure{"exits_at_once.exe", "\"error\": \"the program ended with exit code 3 before"},
        Failure{"dialog_stays_open.exe",
                "\"openFile\": \\{\"verdict\": \"not_judged\", \"holder\": null, \"reason\": "
                "\"its dialog \\\\\"Stays open\\\\\" did not close by itself"}));

TEST(CheckerProcessTest, MissingOrNonProgramPathIsNotJudged)
{
    Outcome missing = RunChecker("--json \"" + BesideThisProgram("no-such.exe") + "\"");
    EXPECT_EQ(missing.status, 2u);
    EXPECT_NE(missing.output.find("there is no program at"), std::string::npos);

    // A file that is there but is no program.
    std::string text = BesideThisProgram("not-a-program.txt");
    HANDLE file = CreateFileA(text.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written;
    WriteFile(file, "hello", 5, &written, nullptr);
    CloseHandle(file);
    Outcome notProgram = RunChecker("--json \"" + text + "\"");
    DeleteFileA(text.c_str());
    EXPECT_EQ(notProgram.status, 2u);
    EXPECT_NE(notProgram.output.find("could not be started"), std::string::npos);

    EXPECT_EQ(RunChecker("--timeout").status, 2u);
}

} // namespace
