// Text as the tools handle it: UTF-8 inside and in their output, UTF-16
// at the platform's wide entry points.
#ifndef OUTSIDE_TEXT_H
#define OUTSIDE_TEXT_H

#include <windows.h>
#include <string>

std::string Utf8(const std::wstring &text);
std::wstring Wide(const std::string &utf8);

// "error 193 (not a valid application)": the platform's own words for a
// system error code, or for an exception code such as 0xc0000005.
std::string ErrorText(DWORD code);

#endif
