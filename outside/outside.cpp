#include "outside/outside.h"
#include "outside/libraries.h"
#include "outside/text.h"

#include <functional>
#include <memory>
#include <vector>

enum { END_WAIT_MS = 5000 };

Program StartProgram(const std::wstring &path)
{
    Program program;
    ZeroMemory(&program, sizeof(program));
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), NULL, TRUE};
    HANDLE nul = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             &inherit, OPEN_EXISTING, 0, NULL);
    STARTUPINFOW startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = startup.hStdOutput = startup.hStdError = nul;
    std::wstring commandLine = L"\"" + path + L"\"";
    if (!CreateProcessW(path.c_str(), &commandLine[0], NULL, NULL, TRUE, 0, NULL, NULL, &startup,
                        &program.process))
        program.error = GetLastError();
    if (nul != INVALID_HANDLE_VALUE)
        CloseHandle(nul);
    return program;
}

struct WindowSearch {
    DWORD processId;
    const wchar_t *className;
    bool mainWindow; // the window with the log pane, shown or not
    HWND found;
};

static BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM lParam)
{
    WindowSearch *search = (WindowSearch *)lParam;
    DWORD processId = 0;
    g_window.GetWindowThreadProcessId(hwnd, &processId);
    wchar_t className[64];
    if (processId != search->processId ||
        !g_window.GetClassNameW(hwnd, className, sizeof(className) / sizeof(className[0])) ||
        lstrcmpW(className, search->className) != 0)
        return TRUE;
    bool matches = search->mainWindow ? g_window.FindWindowExW(hwnd, NULL, L"EDIT", NULL) != NULL
                                      : g_window.IsWindowVisible(hwnd) != FALSE;
    if (!matches)
        return TRUE;
    search->found = hwnd;
    return FALSE;
}

static HWND SearchWindows(const Program &program, const wchar_t *className, bool mainWindow)
{
    WindowSearch search = {program.process.dwProcessId, className, mainWindow, NULL};
    g_window.EnumWindows(MatchWindow, (LPARAM)&search);
    return search.found;
}

HWND FindProgramWindow(const Program &program, const wchar_t *className)
{
    return SearchWindows(program, className, false);
}

HWND FindMainWindow(const Program &program)
{
    return SearchWindows(program, L"TEST", true);
}

struct Job {
    std::function<void()> work;
    HANDLE done = CreateEventW(NULL, TRUE, FALSE, NULL);
    ~Job() { CloseHandle(done); }
};

static DWORD WINAPI RunJob(void *parameter)
{
    std::shared_ptr<Job> job = *(std::shared_ptr<Job> *)parameter;
    delete (std::shared_ptr<Job> *)parameter;
    job->work();
    SetEvent(job->done);
    return 0;
}

// Runs work on a thread of its own and waits for it at most limitMs: a
// message to a stopped program does not return even with a timeout. Work
// that outlives the wait is left behind; what it writes to is shared with
// it, so nothing is freed under it.
static bool RunWithin(DWORD limitMs, std::function<void()> work)
{
    std::shared_ptr<Job> job = std::make_shared<Job>();
    job->work = std::move(work);
    HANDLE thread = CreateThread(NULL, 0, RunJob, new std::shared_ptr<Job>(job), 0, NULL);
    if (!thread)
        return false;
    CloseHandle(thread);
    return WaitForSingleObject(job->done, limitMs) == WAIT_OBJECT_0;
}

struct PaneText {
    std::vector<wchar_t> text;
    DWORD_PTR copied = 0;
    bool answered = false;
};

bool ReadLogPane(HWND mainWindow, DWORD limitMs, std::string *log)
{
    log->clear();
    HWND pane = mainWindow ? g_window.FindWindowExW(mainWindow, NULL, L"EDIT", NULL) : NULL;
    if (!pane)
        return true;
    std::shared_ptr<PaneText> paneText = std::make_shared<PaneText>();
    bool finished = RunWithin(limitMs, [pane, paneText, limitMs] {
        DWORD_PTR length = 0;
        if (!g_window.SendMessageTimeoutW(pane, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, limitMs,
                                          &length))
            return;
        paneText->text.assign(length + 1, L'\0');
        paneText->answered = g_window.SendMessageTimeoutW(
            pane, WM_GETTEXT, paneText->text.size(), (LPARAM)paneText->text.data(),
            SMTO_ABORTIFHUNG, limitMs, &paneText->copied) != 0;
    });
    if (!finished || !paneText->answered)
        return false;
    size_t copied = paneText->copied < paneText->text.size() ? paneText->copied : 0;
    *log = Utf8(std::wstring(paneText->text.data(), copied));
    return true;
}

std::string WindowTitle(HWND hwnd)
{
    wchar_t title[256] = L"";
    g_window.GetWindowTextW(hwnd, title, sizeof(title) / sizeof(title[0]));
    return Utf8(title);
}

bool WaitUntilPainted(HWND hwnd, DWORD limitMs)
{
    return RunWithin(limitMs, [hwnd, limitMs] {
        DWORD_PTR ignored;
        if (g_window.SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, limitMs, &ignored))
            g_window.RedrawWindow(hwnd, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    });
}

unsigned long PeakMemoryKiB(const Program &program)
{
    PROCESS_MEMORY_COUNTERS counters;
    ZeroMemory(&counters, sizeof(counters));
    if (!g_window.GetProcessMemoryInfo(program.process.hProcess, &counters, sizeof(counters)))
        return 0;
    return (unsigned long)(counters.PeakWorkingSetSize / 1024);
}

bool HasEnded(const Program &program, DWORD *exitCode)
{
    if (WaitForSingleObject(program.process.hProcess, 0) != WAIT_OBJECT_0)
        return false;
    GetExitCodeProcess(program.process.hProcess, exitCode);
    return true;
}

bool CloseProgram(const Program &program, HWND mainWindow, DWORD waitMs, DWORD *exitCode)
{
    g_window.PostMessageW(mainWindow, WM_CLOSE, 0, 0);
    bool ended = WaitForSingleObject(program.process.hProcess, waitMs) == WAIT_OBJECT_0;
    if (!ended)
        TerminateProcess(program.process.hProcess, 1);
    WaitForSingleObject(program.process.hProcess, END_WAIT_MS);
    GetExitCodeProcess(program.process.hProcess, exitCode);
    return ended;
}

void EndProgram(Program *program)
{
    if (!program->process.hProcess)
        return;
    DWORD exitCode;
    if (!HasEnded(*program, &exitCode)) {
        TerminateProcess(program->process.hProcess, 1);
        WaitForSingleObject(program->process.hProcess, END_WAIT_MS);
    }
    CloseHandle(program->process.hThread);
    CloseHandle(program->process.hProcess);
    ZeroMemory(&program->process, sizeof(program->process));
}
