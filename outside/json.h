// JSON text for the tools' machine-readable output.
#ifndef OUTSIDE_JSON_H
#define OUTSIDE_JSON_H

#include <string>

// A quoted JSON string. The text is UTF-8; control characters are escaped,
// and so is every byte that is not part of valid UTF-8 (as \u00NN, its
// value), so the result is always valid JSON, and a valid YAML
// double-quoted scalar too.
std::string JsonString(const std::string &text);

// A JSON string, or null for an empty text.
std::string JsonStringOrNull(const std::string &text);

#endif
