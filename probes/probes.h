// The capture tests: each gives the mouse capture to the hidden capture
// holder, runs a modal common dialog whose hook logs who holds the capture
// and closes the dialog itself, then logs the holder again.
#ifndef PROBES_PROBES_H
#define PROBES_PROBES_H

#include "platform/platform.h"

// Counts the Open dialog's notifications; the Font dialog's hook prints it.
extern int g_notifyCount;

// The Font dialog starts from this font every time.
extern const LOGFONTA g_logFontTemplate;

void RunCaptureTests(HWND owner);

BOOL RunOpenFileProbe(HWND owner);
UINT_PTR CALLBACK OpenFileHookProc(HWND hdlg, UINT message, WPARAM wParam, LPARAM lParam);

BOOL RunChooseFontProbe(HWND owner);
UINT_PTR CALLBACK ChooseFontHookProc(HWND hdlg, UINT message, WPARAM wParam, LPARAM lParam);

// Appends a line whose one value is the window holding the capture now.
void LogCaptureHolder(const char *format);

// Hex for the log: a handle or code as its 32-bit unsigned value.
#define LOG_HEX(value) ((DWORD)(DWORD_PTR)(value))

#endif
