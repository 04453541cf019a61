#include "tools/outside.h"

#include <psapi.h>
#include <vector>

Program StartProgram(const std::string &path)
{
    Program program;
    ZeroMemory(&program, sizeof(program));
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    std::string commandLine = "\"" + path + "\"";
    if (!CreateProcessA(path.c_str(), &commandLine[0], NULL, NULL, FALSE, 0, NULL, NULL,
                        &startup, &program.process))
        program.error = GetLastError();
    return program;
}

struct WindowSearch {
    DWORD processId;
    const char *className;
    bool mainWindow; // the window with the log pane, shown or not
    HWND found;
};

static BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM lParam)
{
    WindowSearch *search = (WindowSearch *)lParam;
    DWORD processId = 0;
    GetWindowThreadProcessId(hwnd, &processId);
    char className[64];
    if (processId != search->processId || !GetClassNameA(hwnd, className, sizeof(className)) ||
        lstrcmpA(className, search->className) != 0)
        return TRUE;
    bool matches = search->mainWindow ? FindWindowExA(hwnd, NULL, "EDIT", NULL) != NULL
                                      : IsWindowVisible(hwnd) != FALSE;
    if (!matches)
        return TRUE;
    search->found = hwnd;
    return FALSE;
}

static HWND SearchWindows(const Program &program, const char *className, bool mainWindow)
{
    WindowSearch search = {program.process.dwProcessId, className, mainWindow, NULL};
    EnumWindows(MatchWindow, (LPARAM)&search);
    return search.found;
}

HWND FindProgramWindow(const Program &program, const char *className)
{
    return SearchWindows(program, className, false);
}

HWND FindMainWindow(const Program &program)
{
    return SearchWindows(program, "TEST", true);
}

std::string ReadLogPane(HWND mainWindow)
{
    HWND pane = mainWindow ? FindWindowExA(mainWindow, NULL, "EDIT", NULL) : NULL;
    if (!pane)
        return std::string();
    DWORD_PTR length = 0;
    SendMessageTimeoutA(pane, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length);
    std::vector<char> text(length + 1, '\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(pane, WM_GETTEXT, text.size(), (LPARAM)text.data(), SMTO_ABORTIFHUNG,
                        5000, &copied);
    return std::string(text.data(), copied);
}

std::string WindowTitle(HWND hwnd)
{
    char title[256] = "";
    GetWindowTextA(hwnd, title, sizeof(title));
    return title;
}

unsigned long PeakMemoryKiB(const Program &program)
{
    PROCESS_MEMORY_COUNTERS counters;
    ZeroMemory(&counters, sizeof(counters));
    if (!GetProcessMemoryInfo(program.process.hProcess, &counters, sizeof(counters)))
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
    PostMessageA(mainWindow, WM_CLOSE, 0, 0);
    bool ended = WaitForSingleObject(program.process.hProcess, waitMs) == WAIT_OBJECT_0;
    if (!ended)
        TerminateProcess(program.process.hProcess, 1);
    WaitForSingleObject(program.process.hProcess, INFINITE);
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
        WaitForSingleObject(program->process.hProcess, INFINITE);
    }
    CloseHandle(program->process.hThread);
    CloseHandle(program->process.hProcess);
    ZeroMemory(&program->process, sizeof(program->process));
}

bool SaveScreenBitmap(const std::string &path)
{
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(NULL);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    SelectObject(memory, old);

    BITMAPINFOHEADER info;
    ZeroMemory(&info, sizeof(info));
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    DWORD rowSize = ((DWORD)width * 3 + 3) & ~3u;
    std::vector<char> pixels((size_t)rowSize * height);
    GetDIBits(memory, bitmap, 0, height, pixels.data(), (BITMAPINFO *)&info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);

    BITMAPFILEHEADER file;
    ZeroMemory(&file, sizeof(file));
    file.bfType = 0x4d42; // "BM"
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + (DWORD)pixels.size();
    HANDLE out = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (out == INVALID_HANDLE_VALUE)
        return false;
    DWORD written;
    bool ok = WriteFile(out, &file, sizeof(file), &written, NULL) &&
              WriteFile(out, &info, sizeof(info), &written, NULL) &&
              WriteFile(out, pixels.data(), (DWORD)pixels.size(), &written, NULL);
    CloseHandle(out);
    return ok;
}
