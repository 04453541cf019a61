// Text from the program under test, made safe for where it is shown:
// a terminal, and XML. (JSON strings are in json.h.)
#ifndef OUTSIDE_ESCAPE_H
#define OUTSIDE_ESCAPE_H

#include <string>

// For a terminal: every control character (C0, DEL, C1, line ends
// included) and every byte that is not valid UTF-8 becomes \xNN, so no
// escape sequence reaches the terminal and one line stays one line.
std::string Visible(const std::string &text);

// For XML 1.0 content and attributes: markup characters as entities; each
// character XML 1.0 forbids, and each byte that is not valid UTF-8, becomes
// U+FFFD, and the text then says how many were replaced.
std::string XmlText(const std::string &text);

// One line of a tool's error for standard error: "check: " and the
// message, escaped as Visible does, since it quotes paths and text that
// may come from anywhere.
std::string ErrorLine(const char *tool, const std::string &message);

// The length of the valid UTF-8 sequence at text[i], or 0; with its code point.
size_t Utf8At(const std::string &text, size_t i, unsigned long *codePoint);

#endif
