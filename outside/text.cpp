#include "outside/text.h"

#include <stdio.h>

std::string Utf8(const std::wstring &text)
{
    if (text.empty())
        return std::string();
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), NULL, 0, NULL, NULL);
    std::string out(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), &out[0], size, NULL, NULL);
    return out;
}

std::wstring Wide(const std::string &utf8)
{
    if (utf8.empty())
        return std::wstring();
    int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), (int)utf8.size(), NULL, 0);
    std::wstring out(size, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), (int)utf8.size(), &out[0], size);
    return out;
}

// Exception codes are described by ntdll, system error codes by the system.
static std::wstring PlatformWords(DWORD code)
{
    wchar_t *words = NULL;
    DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS;
    bool exception = (code & 0xc0000000) == 0xc0000000;
    flags |= exception ? FORMAT_MESSAGE_FROM_HMODULE : FORMAT_MESSAGE_FROM_SYSTEM;
    HMODULE source = exception ? GetModuleHandleA("ntdll.dll") : NULL;
    DWORD length = FormatMessageW(flags, source, code, 0, (wchar_t *)&words, 0, NULL);
    std::wstring text(words ? words : L"", length);
    LocalFree(words);
    while (!text.empty() && (iswspace(text.back()) || text.back() == L'.'))
        text.pop_back();
    return text;
}

std::string ErrorText(DWORD code)
{
    char number[32];
    if (code >= 0x10000)
        snprintf(number, sizeof(number), "0x%08lx", code);
    else
        snprintf(number, sizeof(number), "%lu", code);
    std::string words = Utf8(PlatformWords(code));
    return std::string(code >= 0x10000 ? "code " : "error ") + number +
           (words.empty() ? "" : " (" + words + ")");
}
