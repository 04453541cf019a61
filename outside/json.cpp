#include "outside/json.h"
#include "outside/escape.h"

#include <stdio.h>

// Escaped beyond what JSON needs: C1 controls, which some terminals obey,
// the line separators, and the two non-characters YAML forbids, so that the
// string is also a safe YAML double-quoted scalar.
static bool EscapedAnyway(unsigned long point)
{
    return point == 0x7f || (point >= 0x80 && point <= 0x9f) || point == 0x2028 ||
           point == 0x2029 || point == 0xfffe || point == 0xffff;
}

std::string JsonString(const std::string &text)
{
    std::string out = "\"";
    for (size_t i = 0; i < text.size();) {
        unsigned long point = 0;
        size_t length = Utf8At(text, i, &point);
        if (length == 0)
            point = (unsigned char)text[i]; // a stray byte keeps its value
        if (point == '"' || point == '\\') {
            out += '\\';
            out += (char)point;
        } else if (length == 0 || point < 0x20 || EscapedAnyway(point)) {
            char escaped[8];
            snprintf(escaped, sizeof(escaped), "\\u%04lx", point);
            out += escaped;
        } else {
            out.append(text, i, length);
        }
        i += length ? length : 1;
    }
    return out + "\"";
}

std::string JsonStringOrNull(const std::string &text)
{
    return text.empty() ? "null" : JsonString(text);
}
