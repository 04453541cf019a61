#include "tests/checker_process.h"
#include "outside/text.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>
#include <memory>
#include <string.h>

std::string BesideThisProgram(const std::string &name)
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof(path));
    std::string self(path, length);
    return self.substr(0, self.find_last_of("\\/") + 1) + name;
}

struct Drain {
    HANDLE pipe;
    std::string text;
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
};

// Reads a pipe to its end on a thread of its own, so that the wait for
// the end can be bounded: a process left holding the pipe keeps it open.
static DWORD WINAPI DrainPipe(void *parameter)
{
    std::shared_ptr<Drain> drain = *(std::shared_ptr<Drain> *)parameter;
    delete (std::shared_ptr<Drain> *)parameter;
    char chunk[4096];
    DWORD got;
    while (ReadFile(drain->pipe, chunk, sizeof(chunk), &got, nullptr) && got > 0)
        drain->text.append(chunk, got);
    SetEvent(drain->done);
    return 0;
}

static std::shared_ptr<Drain> StartDrain(HANDLE *writeEnd)
{
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    auto drain = std::make_shared<Drain>();
    CreatePipe(&drain->pipe, writeEnd, &inherit, 0);
    SetHandleInformation(drain->pipe, HANDLE_FLAG_INHERIT, 0);
    CloseHandle(CreateThread(nullptr, 0, DrainPipe, new std::shared_ptr<Drain>(drain), 0, nullptr));
    return drain;
}

Outcome RunTool(const std::string &tool, const std::string &arguments, DWORD limitMs,
                const std::function<void()> &during, HANDLE output)
{
    HANDLE outWrite, errWrite;
    std::shared_ptr<Drain> out = StartDrain(&outWrite), err = StartDrain(&errWrite);
    if (output) {
        CloseHandle(outWrite);
        DuplicateHandle(GetCurrentProcess(), output, GetCurrentProcess(), &outWrite, 0, TRUE,
                        DUPLICATE_SAME_ACCESS);
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = outWrite;
    startup.hStdError = errWrite;
    PROCESS_INFORMATION process = {};
    std::wstring commandLine = Wide("\"" + BesideThisProgram(tool) + "\" " + arguments);
    DWORD started = GetTickCount();
    EXPECT_TRUE(CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                               nullptr, &startup, &process));
    CloseHandle(outWrite);
    CloseHandle(errWrite);
    if (during)
        during();
    HANDLE ends[] = {process.hProcess, out->done, err->done};
    Outcome outcome = {};
    if (WaitForMultipleObjects(3, ends, TRUE, limitMs) != WAIT_OBJECT_0) {
        ADD_FAILURE() << tool << " " << arguments << " did not end, or its output did not, within "
                      << limitMs << " ms";
        TerminateProcess(process.hProcess, 99);
    }
    outcome.ms = GetTickCount() - started;
    GetExitCodeProcess(process.hProcess, &outcome.status);
    // What a drain still reading has not got is left to it.
    if (WaitForSingleObject(out->done, 0) == WAIT_OBJECT_0)
        outcome.out = out->text;
    if (WaitForSingleObject(err->done, 0) == WAIT_OBJECT_0)
        outcome.err = err->text;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return outcome;
}

int EndLeftovers(const char *exeName)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    int found = 0;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (lstrcmpiA(entry.szExeFile, exeName) != 0)
            continue;
        found++;
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID);
        if (process) {
            TerminateProcess(process, 99);
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
    }
    CloseHandle(snapshot);
    return found;
}

struct WindowWanted {
    const char *className, *title;
    DWORD processId;
};

static BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM lParam)
{
    WindowWanted *wanted = (WindowWanted *)lParam;
    char className[64] = "", title[256] = "";
    GetClassNameA(hwnd, className, sizeof(className));
    GetWindowTextA(hwnd, title, sizeof(title));
    if (!IsWindowVisible(hwnd) || (wanted->className && strcmp(className, wanted->className)) ||
        (wanted->title && strcmp(title, wanted->title)))
        return TRUE;
    GetWindowThreadProcessId(hwnd, &wanted->processId);
    return FALSE;
}

// Another process's window can only be looked for, so this polls.
DWORD WaitForWindow(const char *className, const char *title, DWORD limitMs)
{
    DWORD until = GetTickCount() + limitMs;
    WindowWanted wanted = {className, title, 0};
    while (EnumWindows(MatchWindow, (LPARAM)&wanted) && (LONG)(until - GetTickCount()) > 0)
        Sleep(1);
    return wanted.processId;
}

int Freeze(DWORD processId)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    int frozen = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != processId)
            continue;
        HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID);
        frozen += thread && SuspendThread(thread) != (DWORD)-1;
        if (thread)
            CloseHandle(thread);
    }
    CloseHandle(snapshot);
    return frozen;
}

// JSON's grammar, strictly: the escapes it has and no others, four hex
// digits after \u, no raw control characters in strings.
struct JsonReader {
    const std::string &text;
    size_t at = 0;
    char Next() const { return at < text.size() ? text[at] : '\0'; }
    void Space() { while (Next() && strchr(" \t\r\n", Next())) at++; }
    bool Eat(char c) { Space(); return Next() == c && c ? (at++, true) : false; }
    bool Word(const char *word)
    {
        return text.compare(at, strlen(word), word) == 0 ? (at += strlen(word), true) : false;
    }
    bool Digits()
    {
        size_t start = at;
        while (isdigit((unsigned char)Next()))
            at++;
        return at > start;
    }
    bool Escape() // at the backslash
    {
        at++;
        if (Next() && strchr("\"\\/bfnrt", Next()))
            return at++, true;
        if (Next() != 'u' || at + 4 >= text.size())
            return false;
        for (int k = 1; k <= 4; k++)
            if (!isxdigit((unsigned char)text[at + k]))
                return false;
        return at += 5, true;
    }
    bool String()
    {
        if (!Eat('"'))
            return false;
        while (Next() != '"') // a raw control character, or the text's end, fails
            if ((unsigned char)Next() < 0x20 || (Next() == '\\' ? !Escape() : (at++, false)))
                return false;
        return at++, true;
    }
    bool Value()
    {
        Space();
        char c = Next(), close = c == '{' ? '}' : ']';
        if (c == '"')
            return String();
        if (c == '{' || c == '[') {
            at++;
            if (Eat(close))
                return true;
            do
                if ((c == '{' && !(String() && Eat(':'))) || !Value())
                    return false;
            while (Eat(','));
            return Eat(close);
        }
        if (Word("null") || Word("true") || Word("false"))
            return true;
        Word("-");
        return (Word("0") || (Next() != '0' && Digits())) && (!Word(".") || Digits());
    }
};

bool IsOneJsonObject(const std::string &text)
{
    JsonReader reader{text};
    return !text.empty() && text[0] == '{' && reader.Value() && reader.at == text.size() - 1 &&
           text.back() == '\n';
}

void WriteWholeFile(const std::string &path, const std::string &text)
{
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written;
    EXPECT_TRUE(WriteFile(file, text.data(), (DWORD)text.size(), &written, nullptr)) << path;
    CloseHandle(file);
}

std::string ReadWholeFile(const std::string &path)
{
    std::string text;
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    char chunk[4096];
    DWORD got;
    while (file != INVALID_HANDLE_VALUE && ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got)
        text.append(chunk, got);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return text;
}
