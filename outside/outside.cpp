// The declarations of the attribute list for inheritance; its functions
// are looked up when they are used, so that the tools still start on
// platforms without them.
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600
#include "outside/outside.h"
#include "outside/libraries.h"
#include "outside/text.h"

#include <functional>
#include <memory>
#include <vector>

enum { END_WAIT_MS = 5000 };

static HANDLE KillingJob(DWORD moreLimits)
{
    HANDLE job = CreateJobObjectW(NULL, NULL);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits;
    ZeroMemory(&limits, sizeof(limits));
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | moreLimits;
    if (job && !SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof(limits))) {
        CloseHandle(job);
        job = NULL;
    }
    return job;
}

// The caller's own job, which each program is in from the moment it is
// created: a caller killed before the program is in a job of its own
// still takes it along. Its handle is never closed, so the job ends with
// the caller. NULL where the caller cannot join it.
static HANDLE CallersJob()
{
    static HANDLE job = KillingJob(JOB_OBJECT_LIMIT_BREAKAWAY_OK);
    static bool joined = job && AssignProcessToJobObject(job, GetCurrentProcess());
    return joined ? job : NULL;
}

// Only the null device is handed down, where the platform can limit
// inheritance to a list; where it cannot, the caller's own standard
// handles are not inheritable anyway.
static bool CreateContained(const std::wstring &path, HANDLE nul, DWORD moreFlags,
                            PROCESS_INFORMATION *process, DWORD *error)
{
    for (DWORD which : {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE})
        SetHandleInformation(GetStdHandle(which), HANDLE_FLAG_INHERIT, 0);
    HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
    auto initialize = (decltype(&InitializeProcThreadAttributeList))(void *)GetProcAddress(
        kernel32, "InitializeProcThreadAttributeList");
    auto update = (decltype(&UpdateProcThreadAttribute))(void *)GetProcAddress(
        kernel32, "UpdateProcThreadAttribute");
    auto remove = (decltype(&DeleteProcThreadAttributeList))(void *)GetProcAddress(
        kernel32, "DeleteProcThreadAttributeList");
    SIZE_T size = 0;
    if (initialize && update && remove)
        initialize(NULL, 1, 0, &size);
    std::vector<char> list(size);
    STARTUPINFOEXW startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.StartupInfo.cb = sizeof(startup);
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = startup.StartupInfo.hStdOutput = startup.StartupInfo.hStdError = nul;
    DWORD flags = CREATE_SUSPENDED | moreFlags;
    startup.lpAttributeList = (LPPROC_THREAD_ATTRIBUTE_LIST)list.data();
    if (size && initialize(startup.lpAttributeList, 1, 0, &size) &&
        update(startup.lpAttributeList, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, &nul,
                                  sizeof(nul), NULL, NULL))
        flags |= EXTENDED_STARTUPINFO_PRESENT;
    else
        startup.StartupInfo.cb = sizeof(startup.StartupInfo);
    std::wstring commandLine = L"\"" + path + L"\"";
    bool created = CreateProcessW(path.c_str(), &commandLine[0], NULL, NULL, TRUE, flags, NULL, NULL,
                                  &startup.StartupInfo, process) != FALSE;
    *error = created ? 0 : GetLastError();
    if (flags & EXTENDED_STARTUPINFO_PRESENT)
        remove(startup.lpAttributeList);
    return created;
}

Program StartProgram(const std::wstring &path)
{
    Program program;
    ZeroMemory(&program, sizeof(program));
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), NULL, TRUE};
    HANDLE nul = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             &inherit, OPEN_EXISTING, 0, NULL);
    program.job = KillingJob(0);
    HANDLE callers = CallersJob();
    // Where the platform cannot put one job inside another, the program
    // breaks away from the caller's job, and is in no job for a moment.
    static bool jobsNest = true;
    for (;;) {
        bool breakaway = callers && !jobsNest;
        program.started = CreateContained(path, nul, breakaway ? CREATE_BREAKAWAY_FROM_JOB : 0,
                                          &program.process, &program.error);
        // Started suspended, so that it is in its job before it can start anything.
        if (!program.started || !program.job || breakaway ||
            AssignProcessToJobObject(program.job, program.process.hProcess))
            break;
        // It never ran: it is started again, the other way.
        jobsNest = false;
        TerminateProcess(program.process.hProcess, 1);
        WaitForSingleObject(program.process.hProcess, END_WAIT_MS);
        CloseHandle(program.process.hThread);
        CloseHandle(program.process.hProcess);
    }
    if (program.started)
        ResumeThread(program.process.hThread);
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
    return WaitForSingleObject(program.process.hProcess, 0) == WAIT_OBJECT_0 &&
           GetExitCodeProcess(program.process.hProcess, exitCode);
}

bool CloseProgram(const Program &program, HWND mainWindow, DWORD waitMs, DWORD *exitCode,
                  bool *codeRead)
{
    g_window.PostMessageW(mainWindow, WM_CLOSE, 0, 0);
    bool ended = WaitForSingleObject(program.process.hProcess, waitMs) == WAIT_OBJECT_0;
    *codeRead = ended && GetExitCodeProcess(program.process.hProcess, exitCode);
    if (!ended) {
        TerminateProcess(program.process.hProcess, 1);
        WaitForSingleObject(program.process.hProcess, END_WAIT_MS);
    }
    return ended;
}

// The processes left in the job, which the platform ends on its own time.
static void WaitUntilJobIsEmpty(HANDLE job, DWORD limitMs)
{
    DWORD until = GetTickCount() + limitMs;
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION counts;
    while (QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &counts,
                                     sizeof(counts), NULL) &&
           counts.ActiveProcesses > 0 && (LONG)(until - GetTickCount()) > 0)
        Sleep(10);
}

void EndProgram(Program *program)
{
    if (program->job) {
        TerminateJobObject(program->job, 1);
        WaitUntilJobIsEmpty(program->job, END_WAIT_MS);
        CloseHandle(program->job);
    }
    if (program->process.hProcess) {
        DWORD exitCode;
        if (!HasEnded(*program, &exitCode)) {
            TerminateProcess(program->process.hProcess, 1);
            WaitForSingleObject(program->process.hProcess, END_WAIT_MS);
        }
        CloseHandle(program->process.hThread);
        CloseHandle(program->process.hProcess);
    }
    ZeroMemory(program, sizeof(*program));
}
