#include "outside/files.h"
#include "outside/text.h"

#include <stdio.h>

bool MakeFolderOf(const std::wstring &path, std::string *error)
{
    size_t end = path.find_last_of(L"\\/");
    if (end == std::wstring::npos || end == 0)
        return true;
    std::wstring folder = path.substr(0, end);
    DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES || folder.back() == L':')
        return true;
    if (!MakeFolderOf(folder, error))
        return false;
    if (CreateDirectoryW(folder.c_str(), NULL) || GetLastError() == ERROR_ALREADY_EXISTS)
        return true;
    *error = "its folder could not be made: " + ErrorText(GetLastError());
    return false;
}

WriteWay WayToWrite(bool exists, DWORD fileType)
{
    return exists && fileType != FILE_TYPE_DISK ? WRITE_IN_PLACE : WRITE_BESIDE_THEN_RENAME;
}

typedef DWORD(WINAPI *FinalPathFunction)(HANDLE, LPWSTR, DWORD, DWORD);

// The file a link leads to, so that the link stays and its file is
// replaced; where the platform cannot say, the path itself.
static std::wstring FinalPath(HANDLE file, const std::wstring &path)
{
    FinalPathFunction finalPath = (FinalPathFunction)(void *)GetProcAddress(
        GetModuleHandleA("kernel32.dll"), "GetFinalPathNameByHandleW");
    DWORD size = finalPath ? finalPath(file, NULL, 0, 0) : 0;
    if (size == 0)
        return path;
    std::wstring final(size, L'\0');
    DWORD length = finalPath(file, &final[0], size, 0);
    if (length == 0 || length >= size)
        return path;
    final.resize(length);
    return final;
}

// Devices give no attributes, so what is there is asked of an open handle.
static WriteWay WayToWrite(const std::wstring &path, std::wstring *target)
{
    *target = path;
    HANDLE file = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              NULL, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return WayToWrite(GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES, FILE_TYPE_DISK);
    DWORD type = GetFileType(file);
    if (type == FILE_TYPE_DISK)
        *target = FinalPath(file, path);
    CloseHandle(file);
    return WayToWrite(true, type);
}

static bool WriteTo(const std::wstring &path, DWORD disposition, const std::string &text,
                    std::string *error)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, NULL, disposition, 0, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        *error = "it could not be made: " + ErrorText(GetLastError());
        return false;
    }
    DWORD written = 0;
    bool ok = WriteFile(file, text.data(), (DWORD)text.size(), &written, NULL) && written == text.size();
    if (!ok)
        *error = "writing it failed: " + ErrorText(GetLastError());
    if (ok && !FlushFileBuffers(file)) {
        // A device that takes no flush has still taken the bytes.
        DWORD code = GetLastError();
        ok = code == ERROR_INVALID_FUNCTION || code == ERROR_INVALID_HANDLE;
        if (!ok)
            *error = "writing it failed: " + ErrorText(code);
    }
    if (!CloseHandle(file) && ok) {
        *error = "closing it failed: " + ErrorText(GetLastError());
        ok = false;
    }
    return ok;
}

bool WriteWholeFile(const std::wstring &path, const std::string &text, std::string *error)
{
    if (!MakeFolderOf(path, error))
        return false;
    std::wstring target;
    if (WayToWrite(path, &target) == WRITE_IN_PLACE)
        return WriteTo(path, OPEN_EXISTING, text, error);
    std::wstring partial = target + L"." + std::to_wstring(GetCurrentProcessId()) + L".partial";
    bool ok = WriteTo(partial, CREATE_ALWAYS, text, error);
    if (ok && !MoveFileExW(partial.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        *error = "it could not take the place of the old one: " + ErrorText(GetLastError());
        ok = false;
    }
    if (!ok) {
        DeleteFileW(partial.c_str());
        DeleteFileW(target.c_str());
    }
    return ok;
}

bool WriteStandardOutput(const std::string &text, std::string *error)
{
    // The C library keeps a failed write to itself until asked: each of
    // its answers is read.
    bool whole = fwrite(text.data(), 1, text.size(), stdout) == text.size();
    bool flushed = fflush(stdout) == 0;
    if (whole && flushed && !ferror(stdout))
        return true;
    DWORD code = GetLastError();
    *error = "writing it failed" + (code ? ": " + ErrorText(code) : std::string());
    return false;
}
