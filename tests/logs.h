// Logs as TEST.exe writes them, for the tests that judge logs.
#ifndef TESTS_LOGS_H
#define TESTS_LOGS_H

#include <string>

const std::string OPEN_COMPLAINT = "CommonFileDialog - mouse capture should have been released now!\r\n";
const std::string FONT_COMPLAINT = "ChooseFontDialog - mouse capture should have been released now!\r\n";

// What each probe writes at its checkpoint: the line naming the holder,
// the complaint if there is one, and the hook's Cancel.
const std::string OPEN_HELD = "WM_NOTIFY:0001005e - fffffda6 - (2)\r\n" + OPEN_COMPLAINT + "Quitting dialog\r\n";
const std::string OPEN_RELEASED = "WM_NOTIFY:00000000 - fffffda6 - (2)\r\nQuitting dialog\r\n";
const std::string FONT_HELD = "WM_CTLCOLORDLG:0001005e - (0)\r\n" + FONT_COMPLAINT + "Quitting dialog\r\n";
const std::string FONT_RELEASED = "WM_CTLCOLORDLG:00000000 - (0)\r\nQuitting dialog\r\n";
const std::string FONT_NO_COMPLAINT = "WM_CTLCOLORDLG:0001005e - (0)\r\nQuitting dialog\r\n";

// One run as this platform logs it, with what each dialog wrote from its
// checkpoint on; nothing for a dialog that never got there.
inline std::string RunLog(const std::string &open, const std::string &font)
{
    return "Testing GetOpenFileName\r\nWnd with capture:0001005e\r\nWM_INITDIALOG:0001005e\r\n"
           "WM_NOTIFY:0001005e - fffffda7 - (0)\r\nWM_NOTIFY:0001005e - fffffda5 - (1)\r\n" + open +
           "Wnd with capture:00000000\r\nTesting ChooseFont\r\nWnd with capture:0001005e\r\n"
           "WM_INITDIALOG:0001005e\r\n" + font + "Wnd with capture:00000000\r\n";
}

#endif
