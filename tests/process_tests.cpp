// The checker as a process on the platform: on TEST.exe, and on stand-ins
// whose logs, exit codes and failures are fixed in advance.
#include "platform/platform.h"
#include "tests/logs.h"
#include "outside/text.h"

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

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process = {};
    std::wstring commandLine = Wide("\"" + BesideThisProgram("check.exe") + "\" " + arguments);
    DWORD started = GetTickCount();
    EXPECT_TRUE(CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
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

// A strict reading of JSON's grammar, enough to tell one valid object.
struct JsonReader {
    const std::string &text;
    size_t at = 0;
    void Space() { while (at < text.size() && strchr(" \t\r\n", text[at])) at++; }
    bool Eat(char c) { Space(); return at < text.size() && text[at] == c ? (at++, true) : false; }
    bool Word(const char *word)
    {
        size_t length = strlen(word);
        return text.compare(at, length, word) == 0 ? (at += length, true) : false;
    }
    bool String()
    {
        if (!Eat('"'))
            return false;
        while (at < text.size() && text[at] != '"') {
            if ((unsigned char)text[at] < 0x20)
                return false;
            if (text[at] == '\\' && ++at < text.size() && text[at] == 'u')
                at += 4;
            at++;
        }
        return at++ < text.size();
    }
    bool Value()
    {
        Space();
        if (at >= text.size())
            return false;
        char c = text[at];
        if (c == '"')
            return String();
        if (c == '{' || c == '[') {
            at++;
            char close = c == '{' ? '}' : ']';
            if (Eat(close))
                return true;
            do {
                if (c == '{' && !(String() && Eat(':')))
                    return false;
                if (!Value())
                    return false;
            } while (Eat(','));
            return Eat(close);
        }
        if (Word("null") || Word("true") || Word("false"))
            return true;
        size_t start = at;
        while (at < text.size() && strchr("-+.eE0123456789", text[at]))
            at++;
        return at > start;
    }
};

bool IsOneJsonObject(const std::string &text)
{
    JsonReader reader{text};
    return !text.empty() && text[0] == '{' && reader.Value() && reader.at == text.size() - 1 &&
           text.back() == '\n';
}

// What the stand-in shows and ends with, and what the checker must make of it.
struct Case {
    const char *name;
    std::string log;
    int exitCode;
    DWORD status;
    const char *open, *font;
};

void PrintTo(const Case &c, std::ostream *out) { *out << c.name; }

// Runs the checker on the stand-in that shows this log and ends with this code.
Outcome RunCheckerOnLog(const std::string &log, int exitCode, const std::string &options = "--json")
{
    std::string caseFile = BesideThisProgram("shows_log.case");
    HANDLE file = CreateFileA(caseFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    std::string text = std::to_string(exitCode) + "\n" + log;
    DWORD written;
    WriteFile(file, text.data(), (DWORD)text.size(), &written, nullptr);
    CloseHandle(file);
    Outcome outcome = RunChecker(options + " \"" + BesideThisProgram("shows_log.exe") + "\"");
    DeleteFileA(caseFile.c_str());
    return outcome;
}

class CheckerJudgementTest : public ::testing::TestWithParam<Case> {};

TEST_P(CheckerJudgementTest, StatusAndBothVerdictsAreAsFixed)
{
    const Case &c = GetParam();
    Outcome outcome = RunCheckerOnLog(c.log, c.exitCode);
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
        Case{"BothReleased", RunLog(OPEN_RELEASED, FONT_RELEASED), 0, 0, "released", "released"},
        Case{"OpenHeld", RunLog(OPEN_HELD, FONT_RELEASED), 0, 1, "held", "released"},
        Case{"FontHeld", RunLog(OPEN_RELEASED, FONT_HELD), 0, 1, "released", "held"},
        Case{"BothHeld", RunLog(OPEN_HELD, FONT_HELD), 0, 1, "held", "held"},
        Case{"OpenMissingFontHeld", RunLog("", FONT_HELD), 0, 2, "not_judged", "held"},
        Case{"OpenMissingFontReleased", RunLog("", FONT_RELEASED), 0, 2, "not_judged", "released"},
        Case{"OpenHeldFontMissing", RunLog(OPEN_HELD, ""), 0, 2, "held", "not_judged"},
        Case{"OpenReleasedFontMissing", RunLog(OPEN_RELEASED, ""), 0, 2, "released", "not_judged"},
        Case{"FontHolderWithoutComplaint", RunLog(OPEN_RELEASED, FONT_NO_COMPLAINT), 0, 2, "released",
             "not_judged"},
        Case{"ExitCodeNotZero", RunLog(OPEN_RELEASED, FONT_RELEASED), 3, 2, "released", "released"}),
    [](const ::testing::TestParamInfo<Case> &info) { return std::string(info.param.name); });

// Only the chosen probe decides; a run that cannot be judged gives the status asked for.
TEST(CheckerProcessTest, ProbeAndUnjudgedStatusChooseTheStatus)
{
    std::string openHeld = RunLog(OPEN_HELD, FONT_RELEASED);
    EXPECT_EQ(RunCheckerOnLog(openHeld, 0, "--probe font").status, 0u);
    EXPECT_EQ(RunCheckerOnLog(openHeld, 0, "--probe=open").status, 1u);
    std::string fontMissing = RunLog(OPEN_RELEASED, "");
    EXPECT_EQ(RunCheckerOnLog(fontMissing, 0, "--probe open --unjudged-status 125").status, 0u);
    EXPECT_EQ(RunCheckerOnLog(fontMissing, 0, "--unjudged-status 125").status, 125u);
}

// The real program, closed by the checker as a user would close it.
TEST(CheckerProcessTest, TextOutputEndsWithOneVerdictPerProbe)
{
    std::string picture = BesideThisProgram("finished-log.png");
    Outcome outcome = RunChecker("--screenshot \"" + picture + "\"");
    EXPECT_LE(outcome.status, 1u) << outcome.output;
    // A PNG of the main window alone: its header names the window's size.
    unsigned char header[24] = {};
    HANDLE file = CreateFileA(picture.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD got = 0;
    ReadFile(file, header, sizeof(header), &got, nullptr);
    CloseHandle(file);
    DeleteFileA(picture.c_str());
    EXPECT_EQ(memcmp(header, "\x89PNG\r\n\x1a\n", 8), 0);
    EXPECT_EQ(header[18] << 8 | header[19], 400);
    EXPECT_EQ(header[22] << 8 | header[23], 300);
    EXPECT_NE(outcome.output.find("TEST.exe ended with exit code 0 after"), std::string::npos);
    EXPECT_FALSE(IsRunning("TEST.exe"));
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
    EXPECT_TRUE(IsOneJsonObject(outcome.output)) << outcome.output;
    // The limit holds: 2 s, a few seconds to close what is stuck, and the start.
    EXPECT_LT(outcome.ms, 10000u);
    EXPECT_FALSE(IsRunning(failure.standIn));
}

INSTANTIATE_TEST_SUITE_P(
    StandIns, CheckerFailureTest,
    ::testing::Values(
        Failure{"never_shows.exe", "\"error\": \"the program showed no window within 2.0 s"},
        Failure{"exits_at_once.exe", "\"error\": \"the program ended with exit code 3 before"},
        Failure{"crashes.exe", "\"error\": \"the program crashed before showing its main window: "
                               "code 0xc0000005"},
        Failure{"prints.exe", "\"error\": \"the program ended with exit code 4 before"},
        Failure{"hangs_with_dialog.exe", "\"error\": \"the program stopped answering with its "
                                         "dialog \\\\\"Hangs\\\\\" open"},
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
}

TEST(CheckerProcessTest, WrongArgumentIsNamedAndStillAnsweredInJson)
{
    // Each wrong command line, and what its error must name.
    const std::pair<const char *, const char *> wrongs[] = {
        {"--timeout", "--timeout"}, {"--timeout 0", "--timeout"}, {"--timeout 5abc", "5abc"},
        {"--timeout 2147484", "--timeout"}, {"--timeout=1e12", "1e12"}, {"--timeout nan", "nan"},
        {"--probe=menu", "menu"}, {"--unjudged-status 300", "--unjudged-status"},
        {"--frobnicate", "--frobnicate"}, {"a.exe b.exe", "b.exe"}};
    for (const auto &wrong : wrongs) {
        Outcome outcome = RunChecker(std::string("--json ") + wrong.first);
        EXPECT_EQ(outcome.status, 2u) << wrong.first;
        EXPECT_TRUE(IsOneJsonObject(outcome.output)) << wrong.first << ": " << outcome.output;
        EXPECT_NE(JsonField(outcome.output, "\"error\": \"((\\\\.|[^\"\\\\])*)\"").find(wrong.second),
                  std::string::npos) << outcome.output;
    }
    Outcome help = RunChecker("/?");
    EXPECT_EQ(help.status, 0u);
    EXPECT_EQ(help.output.find("usage: check"), 0u);
}

// A folder name beyond the system's code page is started; a path beyond
// 260 characters is found, and where it cannot be started the error says why.
TEST(CheckerProcessTest, ProgramPathsAreUnicodeAndMayBeLong)
{
    std::wstring folder = Wide(BesideThisProgram("\xe6\xa4\x9c\xe6\x9f\xbb \xd0\xbf\xd0\xb0\xd0\xbf\xd0\xba\xd0\xb0"));
    std::wstring deep = L"\\\\?\\" + folder + L"\\" + std::wstring(250, L'd');
    CreateDirectoryW(folder.c_str(), nullptr);
    CreateDirectoryW(deep.c_str(), nullptr);
    std::wstring standIn = Wide(BesideThisProgram("exits_at_once.exe"));
    for (const std::wstring &copy : {folder + L"\\exits_at_once.exe", deep + L"\\exits_at_once.exe"}) {
        ASSERT_TRUE(CopyFileW(standIn.c_str(), copy.c_str(), FALSE));
        bool longPath = copy.size() > MAX_PATH;
        std::string path = Utf8(longPath ? copy.substr(4) : copy);
        Outcome outcome = RunChecker("--json \"" + path + "\"");
        EXPECT_EQ(outcome.status, 2u);
        EXPECT_TRUE(IsOneJsonObject(outcome.output)) << outcome.output;
        EXPECT_NE(outcome.output.find(longPath ? "could not be started" : "ended with exit code 3"),
                  std::string::npos) << outcome.output;
        DeleteFileW(copy.c_str());
    }
    RemoveDirectoryW(deep.c_str());
    RemoveDirectoryW(folder.c_str());
}

} // namespace
