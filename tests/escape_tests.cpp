// The rules the checker and the survey share, without windows: the
// command line's dialect, the escapes for each reader, and how their
// files are written.
#include "tests/checker_process.h"
#include "outside/commandline.h"
#include "outside/escape.h"
#include "outside/files.h"
#include "outside/json.h"
#include "outside/text.h"

#include <gtest/gtest.h>

namespace {

TEST(EscapeTest, EachReaderGetsItsOwnEscapes)
{
    const struct {
        std::string text, terminal, json, xml;
    } cases[] = {
        {"plain \xc3\xa9", "plain \xc3\xa9", "\"plain \xc3\xa9\"", "plain \xc3\xa9"},
        {"\x1b[8m\x07", "\\x1b[8m\\x07", "\"\\u001b[8m\\u0007\"",
         "\xef\xbf\xbd[8m\xef\xbf\xbd [2 characters that XML cannot hold replaced by U+FFFD]"},
        {"a\r\nb\t", "a\\x0d\\x0ab\\x09", "\"a\\u000d\\u000ab\\u0009\"", "a\r\nb\t"},
        {"\"'\\<&>", "\"'\\<&>", "\"\\\"'\\\\<&>\"", "&quot;&apos;\\&lt;&amp;&gt;"},
        {"\x7f\xc2\x9b", "\\x7f\\x9b", "\"\\u007f\\u009b\"", "\x7f\xc2\x9b"},
        {"\xef\xbf\xbe\xef\xbf\xbf\xe2\x80\xa8", "\xef\xbf\xbe\xef\xbf\xbf\xe2\x80\xa8",
         "\"\\ufffe\\uffff\\u2028\"",
         "\xef\xbf\xbd\xef\xbf\xbd\xe2\x80\xa8 [2 characters that XML cannot hold replaced by U+FFFD]"},
        // A stray byte, a cut sequence, an overlong slash, a surrogate.
        {"\xff" "a\xe6\xa4" "\xc0\xaf\xed\xa0\x80", "\\xffa\\xe6\\xa4\\xc0\\xaf\\xed\\xa0\\x80",
         "\"\\u00ffa\\u00e6\\u00a4\\u00c0\\u00af\\u00ed\\u00a0\\u0080\"",
         "\xef\xbf\xbd" "a" "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"
         "\xef\xbf\xbd [8 characters that XML cannot hold replaced by U+FFFD]"},
        {"\xf0\x9f\x98\x80", "\xf0\x9f\x98\x80", "\"\xf0\x9f\x98\x80\"", "\xf0\x9f\x98\x80"},
        // The last C0 control and the first character after it; the last C1
        // control and the first character after it.
        {"\x1f \xc2\x9f\xc2\xa0", "\\x1f \\x9f\xc2\xa0", "\"\\u001f \\u009f\xc2\xa0\"",
         "\xef\xbf\xbd \xc2\x9f\xc2\xa0 [1 character that XML cannot hold replaced by U+FFFD]"},
        // Around the surrogates: U+D7FF, the last surrogate, U+E000.
        {"\xed\x9f\xbf\xed\xbf\xbf\xee\x80\x80", "\xed\x9f\xbf\\xed\\xbf\\xbf\xee\x80\x80",
         "\"\xed\x9f\xbf\\u00ed\\u00bf\\u00bf\xee\x80\x80\"",
         "\xed\x9f\xbf\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xee\x80\x80 [3 characters that XML cannot hold replaced by U+FFFD]"},
        // The longest overlong form of three bytes, and the first true one.
        {"\xe0\x9f\xbf\xe0\xa0\x80", "\\xe0\\x9f\\xbf\xe0\xa0\x80", "\"\\u00e0\\u009f\\u00bf\xe0\xa0\x80\"",
         "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xe0\xa0\x80 [3 characters that XML cannot hold replaced by U+FFFD]"},
        // The highest code point there is, and the first past it.
        {"\xf4\x8f\xbf\xbf\xf4\x90\x80\x80", "\xf4\x8f\xbf\xbf\\xf4\\x90\\x80\\x80",
         "\"\xf4\x8f\xbf\xbf\\u00f4\\u0090\\u0080\\u0080\"",
         "\xf4\x8f\xbf\xbf\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"
         " [4 characters that XML cannot hold replaced by U+FFFD]"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(Visible(c.text), c.terminal) << c.text;
        EXPECT_EQ(JsonString(c.text), c.json) << c.text;
        EXPECT_EQ(XmlText(c.text), c.xml) << c.text;
        EXPECT_TRUE(IsOneJsonObject("{\"s\": " + c.json + "}\n")) << c.json;
    }
}

// Both tools' errors on standard error go through this one line.
TEST(EscapeTest, AnErrorLineIsOneLineWithNothingATerminalObeys)
{
    const struct {
        const char *tool, *message, *line;
    } cases[] = {
        {"check", "plain \xc3\xa9", "check: plain \xc3\xa9\n"},
        {"survey", "the file Z:\\a\x1b[31m\xc2\x9b.txt", "survey: the file Z:\\a\\x1b[31m\\x9b.txt\n"},
        {"check", "two\nlines\r", "check: two\\x0alines\\x0d\n"},
        {"survey", "\xff", "survey: \\xff\n"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ErrorLine(c.tool, c.message), c.line) << c.message;
}

TEST(EscapeTest, TheStrictJsonReaderRefusesWhatJsonDoesNotHave)
{
    for (const char *wrong : {"{\"s\": \"\\x1b\"}\n", "{\"s\": \"\\u12\"}\n", "{\"s\": \"\\u12g4\"}\n", "{\"s\": \"\x01\"}\n",
                              "{\"s\": \"\\'\"}\n", "{\"n\": 01}\n", "{\"n\": .5}\n", "{\"s\": \"a\"}", "{\"s\" \"a\"}\n", "{\"s\": nul}\n"})
        EXPECT_FALSE(IsOneJsonObject(wrong)) << wrong;
    EXPECT_TRUE(IsOneJsonObject("{\"s\": \"\\\"\\\\\\/\\b\\f\\n\\r\\t\\u00e9\", \"n\": [-1.5, 0, true, null]}\n"));
}

// The options of a small tool in the shared dialect; what it was given is
// noted as "value=5;arg x;".
TEST(CommandLineTest, OneDialectForEveryTool)
{
    const struct {
        std::vector<std::string> args;
        ParseResult result;
        const char *error, *given;
    } cases[] = {
        {{"--value", "5", "--value=6", "--value=", "x"}, PARSE_RUN, "", "value=5;value=6;value=;arg x;"},
        {{"--file", "out.json", "--file", "prog.exe", "--file=any.txt"}, PARSE_RUN, "",
         "file=out.json;file=;arg prog.exe;file=any.txt;"},
        {{"-", "--", "--flag", "-h"}, PARSE_RUN, "", "arg -;arg --flag;arg -h;"},
        {{"/?", "--version"}, PARSE_HELP, "", ""},
        {{"--version", "-h"}, PARSE_VERSION, "", ""},
        {{"--value"}, PARSE_ERROR, "--value needs a value", ""},
        {{"--flag=1"}, PARSE_ERROR, "--flag takes no value", ""},
        {{"--value", "bad", "--flag"}, PARSE_ERROR, "bad value", "flag;"},
        {{"--nope", "--flag", "-x"}, PARSE_ERROR, "unknown option --nope", "flag;"},
        {{"--help", "--nope"}, PARSE_ERROR, "unknown option --nope", ""},
        // A value holds '=' (as --expect=open=held does) or looks like one.
        {{"--value=open=held", "--file=x.txt", "y.json"}, PARSE_RUN, "", "value=open=held;file=x.txt;arg y.json;"},
        {{"--flag", "/?", "x"}, PARSE_HELP, "", "flag;arg x;"},
    };
    for (const auto &c : cases) {
        std::string given, error, line = ::testing::PrintToString(c.args);
        auto note = [&](const std::string &what) { given += what + ";"; return std::string(); };
        std::vector<OptionRule> rules = {
            {"--flag", VALUE_NONE, [&](const std::string &) { return note("flag"); }},
            {"--value", VALUE_REQUIRED, [&](const std::string &v) { return v == "bad" ? "bad value" : note("value=" + v); }},
            {"--file", VALUE_OPTIONAL, [&](const std::string &v) { return note("file=" + v); },
             [](const std::string &next) { return next.size() > 5 && next.substr(next.size() - 5) == ".json"; }},
        };
        EXPECT_EQ(ParseCommandLine(c.args, rules, [&](const std::string &arg) { return note("arg " + arg); }, &error),
                  c.result) << line;
        EXPECT_EQ(error, c.error) << line;
        EXPECT_EQ(given, c.given) << line;
    }
}

TEST(CommandLineTest, NumbersAreWholeAndWithinTheirBounds)
{
    unsigned long ms = 0;
    EXPECT_TRUE(ReadSeconds("0.0001", 10, &ms) && ms == 1u) << ms;
    EXPECT_TRUE(ReadSeconds("10", 10, &ms) && ms == 10000u) << ms;
    for (const char *wrong : {"", "0", "-1", "10.001", "5x", "nan", "inf", "1e400"})
        EXPECT_FALSE(ReadSeconds(wrong, 10, &ms)) << wrong;
    long value = 0;
    EXPECT_TRUE(ReadWholeNumber("255", 0, 255, &value) && value == 255) << value;
    EXPECT_TRUE(ReadWholeNumber("0", 0, 255, &value) && value == 0) << value;
    for (const char *wrong : {"", "256", "-1", "1.0", "7 "})
        EXPECT_FALSE(ReadWholeNumber(wrong, 0, 255, &value)) << wrong;
}

// A device or a pipe cannot be replaced; everything else is replaced whole.
TEST(FilesTest, OnlyWhatIsNoFileOnDiskIsWrittenInPlace)
{
    const struct {
        bool exists;
        DWORD type;
        WriteWay way;
    } cases[] = {
        {false, FILE_TYPE_UNKNOWN, WRITE_BESIDE_THEN_RENAME}, {true, FILE_TYPE_DISK, WRITE_BESIDE_THEN_RENAME},
        {true, FILE_TYPE_CHAR, WRITE_IN_PLACE},               {true, FILE_TYPE_PIPE, WRITE_IN_PLACE},
        {true, FILE_TYPE_UNKNOWN, WRITE_IN_PLACE},
    };
    for (const auto &c : cases)
        EXPECT_EQ(WayToWrite(c.exists, c.type), c.way) << c.exists << " " << c.type;
}

// A file is replaced whole; one that cannot be written leaves nothing at
// its path, neither a part nor an earlier file; a device stays a device.
TEST(FilesTest, AReportFileIsWholeOrNotThere)
{
    std::string folder = BesideThisProgram("written"), file = folder + "\\report.json";
    std::string error;
    ASSERT_TRUE(::WriteWholeFile(Wide(file), "first\n", &error)) << error;
    ASSERT_TRUE(::WriteWholeFile(Wide(file), "second\n", &error)) << error;
    EXPECT_EQ(ReadWholeFile(file), "second\n");
    // A folder where the file should be: nothing can take its place.
    std::string blocked = folder + "\\blocked";
    ASSERT_TRUE(CreateDirectoryA(blocked.c_str(), nullptr));
    EXPECT_FALSE(::WriteWholeFile(Wide(blocked), "third\n", &error));
    EXPECT_NE(error.find("could not take the place of the old one"), std::string::npos) << error;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*.partial").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE) << found.cFileName;
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    // The full device refuses the text, and is still the device after.
    EXPECT_FALSE(::WriteWholeFile(L"Z:\\dev\\full", "text", &error));
    EXPECT_NE(error.find("error 112"), std::string::npos) << error;
    HANDLE device = CreateFileW(L"Z:\\dev\\full", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(GetFileType(device), (DWORD)FILE_TYPE_CHAR);
    CloseHandle(device);
    RemoveDirectoryA(blocked.c_str());
    DeleteFileA(file.c_str());
    RemoveDirectoryA(folder.c_str());
}

} // namespace
