#include "outside/expectfile.h"
#include "outside/text.h"

#include <stdio.h>

// Larger than any expectations file; a bigger one is not one.
static const size_t MAX_FILE_BYTES = 1 << 20;

static bool ReadSmallFile(const std::wstring &path, std::string *text)
{
    FILE *file = _wfopen(path.c_str(), L"rb");
    if (!file)
        return false;
    char chunk[4096];
    size_t got;
    while (text->size() <= MAX_FILE_BYTES && (got = fread(chunk, 1, sizeof(chunk), file)) > 0)
        text->append(chunk, got);
    bool whole = !ferror(file) && text->size() <= MAX_FILE_BYTES;
    fclose(file);
    return whole;
}

static bool FromFile(const std::wstring &path, const std::string &version,
                     const ExpectVocabulary &vocabulary, Expectations *expectations,
                     std::string *error)
{
    std::string name = Utf8(path), text;
    if (!ReadSmallFile(path, &text)) {
        *error = "the expectations file " + name + " could not be read; check its path";
        return false;
    }
    std::vector<ExpectLine> lines;
    if (!ParseExpectFile(text, &lines, error)) {
        *error = name + ", " + *error;
        return false;
    }
    const ExpectLine *line = LineFor(lines, version);
    if (!line) {
        *error = name + " has no line for the platform's version \"" + version +
                 "\"; add one that starts with a pattern for it, such as " + version + "*";
        return false;
    }
    *expectations = ExpectationsOf(*line, vocabulary);
    return true;
}

bool LoadExpectations(const std::wstring &path, const std::string &version,
                      const ExpectVocabulary &vocabulary, const Expectations &list,
                      Expectations *expectations, std::string *error)
{
    if (!path.empty() && !FromFile(path, version, vocabulary, expectations, error))
        return false;
    for (const auto &item : list)
        (*expectations)[item.first] = item.second;
    return true;
}
