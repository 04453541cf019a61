#include "outside/expectfile.h"
#include "outside/text.h"

#include <stdio.h>

// Larger than any expectations file; a bigger one is not one.
static const size_t MAX_FILE_BYTES = 1 << 20;

enum ReadResult { READ_WHOLE, READ_FAILED, READ_TOO_LARGE };

static ReadResult ReadSmallFile(const std::wstring &path, std::string *text)
{
    FILE *file = _wfopen(path.c_str(), L"rb");
    if (!file)
        return READ_FAILED;
    char chunk[4096];
    size_t got;
    while (text->size() <= MAX_FILE_BYTES && (got = fread(chunk, 1, sizeof(chunk), file)) > 0)
        text->append(chunk, got);
    bool failed = ferror(file) != 0;
    fclose(file);
    return text->size() > MAX_FILE_BYTES ? READ_TOO_LARGE : failed ? READ_FAILED : READ_WHOLE;
}

static bool FromFile(const std::wstring &path, const std::string &version,
                     const ExpectVocabulary &vocabulary, Expectations *expectations,
                     std::string *error)
{
    std::string name = Utf8(path), text;
    switch (ReadSmallFile(path, &text)) {
    case READ_FAILED:
        *error = "the expectations file " + name + " could not be read; check its path";
        return false;
    case READ_TOO_LARGE:
        *error = "the expectations file " + name + " is larger than " + std::to_string(MAX_FILE_BYTES) +
                 " bytes (1 MiB), more than any expectations file holds; check its path";
        return false;
    case READ_WHOLE:
        break;
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
