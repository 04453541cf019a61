#include "outside/files.h"
#include "outside/text.h"

#include <windows.h>

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

bool WriteWholeFile(const std::wstring &path, const std::string &text, std::string *error)
{
    if (!MakeFolderOf(path, error))
        return false;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
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
