#include "outside/escape.h"

#include <stdio.h>

size_t Utf8At(const std::string &text, size_t i, unsigned long *codePoint)
{
    unsigned char c = (unsigned char)text[i];
    size_t length = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xe ? 3 : (c >> 3) == 0x1e ? 4 : 0;
    if (length == 0 || i + length > text.size())
        return 0;
    unsigned long point = length == 1 ? c : c & (0x3f >> (length - 1));
    for (size_t k = 1; k < length; k++) {
        unsigned char next = (unsigned char)text[i + k];
        if ((next >> 6) != 0x2)
            return 0;
        point = point << 6 | (next & 0x3f);
    }
    // Overlong forms, surrogates and points past U+10FFFF are not UTF-8.
    static const unsigned long least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (point < least[length] || (point >= 0xd800 && point <= 0xdfff) || point > 0x10ffff)
        return 0;
    *codePoint = point;
    return length;
}

static std::string Hex(unsigned char c)
{
    char text[8];
    snprintf(text, sizeof(text), "\\x%02x", c);
    return text;
}

std::string Visible(const std::string &text)
{
    std::string out;
    for (size_t i = 0; i < text.size();) {
        unsigned long point = 0;
        size_t length = Utf8At(text, i, &point);
        if (length == 0 || point < 0x20 || (point >= 0x7f && point <= 0x9f)) {
            // A C1 control is shown by its code point, a stray byte by itself.
            out += Hex(length == 0 ? (unsigned char)text[i] : (unsigned char)point);
            i += length ? length : 1;
            continue;
        }
        out.append(text, i, length);
        i += length;
    }
    return out;
}

std::string ErrorLine(const char *tool, const std::string &message)
{
    return std::string(tool) + ": " + Visible(message) + "\n";
}

static bool XmlAllows(unsigned long point)
{
    return point == 0x9 || point == 0xa || point == 0xd || (point >= 0x20 && point <= 0xd7ff) ||
           (point >= 0xe000 && point <= 0xfffd) || (point >= 0x10000 && point <= 0x10ffff);
}

std::string XmlText(const std::string &text)
{
    std::string out;
    int replaced = 0;
    for (size_t i = 0; i < text.size();) {
        unsigned long point = 0;
        size_t length = Utf8At(text, i, &point);
        if (length == 0 || !XmlAllows(point)) {
            out += "\xef\xbf\xbd";
            replaced++;
            i += length ? length : 1;
            continue;
        }
        switch (point) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default: out.append(text, i, length);
        }
        i += length;
    }
    if (replaced)
        out += " [" + std::to_string(replaced) + " character" + (replaced == 1 ? "" : "s") +
               " that XML cannot hold replaced by U+FFFD]";
    return out;
}
