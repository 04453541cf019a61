// The program's one door to the window manager and the common dialogs.
// Every other file includes this header instead of the platform's own.
#ifndef PLATFORM_PLATFORM_H
#define PLATFORM_PLATFORM_H

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <commdlg.h>
#include <stddef.h>

// The dialogs are handed the record sizes of the first platform versions
// that had them: the Open dialog record without the three members added
// later, and the Font dialog record as it has always been.
#define OPEN_FILE_RECORD_SIZE OPENFILENAME_SIZE_VERSION_400A
#define CHOOSE_FONT_RECORD_SIZE sizeof(CHOOSEFONTA)

// The platform's size macro for the shorter Open dialog record is not a
// constant expression, so the checks spell out the same measure.
#define OPEN_FILE_RECORD_END (offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR))
#ifdef _WIN64
static_assert(OPEN_FILE_RECORD_END == 136, "Open dialog record, 64-bit");
static_assert(CHOOSE_FONT_RECORD_SIZE == 104, "Font dialog record, 64-bit");
#else
static_assert(OPEN_FILE_RECORD_END == 76, "Open dialog record, 32-bit");
static_assert(CHOOSE_FONT_RECORD_SIZE == 60, "Font dialog record, 32-bit");
#endif
static_assert(sizeof(LOGFONTA) == 60, "font record");

#endif
