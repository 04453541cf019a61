#include "outside/json.h"

#include <stdio.h>

// The length of the valid UTF-8 sequence starting at text[i], or 0.
static size_t Utf8SequenceLength(const std::string &text, size_t i)
{
    unsigned char c = (unsigned char)text[i];
    size_t length = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xe ? 3 : (c >> 3) == 0x1e ? 4 : 0;
    if (length == 0 || i + length > text.size())
        return 0;
    for (size_t k = 1; k < length; k++)
        if (((unsigned char)text[i + k] >> 6) != 0x2)
            return 0;
    return length;
}

std::string JsonString(const std::string &text)
{
    std::string out = "\"";
    for (size_t i = 0; i < text.size();) {
        unsigned char c = (unsigned char)text[i];
        size_t length = Utf8SequenceLength(text, i);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += (char)c;
        } else if (c < 0x20 || c == 0x7f || length == 0) {
            char escaped[8];
            snprintf(escaped, sizeof(escaped), "\\u%04x", c);
            out += escaped;
        } else {
            out.append(text, i, length);
            i += length;
            continue;
        }
        i++;
    }
    return out + "\"";
}

std::string JsonStringOrNull(const std::string &text)
{
    return text.empty() ? "null" : JsonString(text);
}
