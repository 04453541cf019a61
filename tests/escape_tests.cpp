// The rules the checker and the survey share, without windows: the
// command line's dialect and the escapes for each reader.
#include "tests/checker_process.h"
#include "outside/commandline.h"
#include "outside/escape.h"
#include "outside/json.h"

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
    };
    for (const auto &c : cases) {
        EXPECT_EQ(Visible(c.text), c.terminal) << c.text;
        EXPECT_EQ(JsonString(c.text), c.json) << c.text;
        EXPECT_EQ(XmlText(c.text), c.xml) << c.text;
        EXPECT_TRUE(IsOneJsonObject("{\"s\": " + c.json + "}\n")) << c.json;
    }
}

TEST(EscapeTest, TheStrictJsonReaderRefusesWhatJsonDoesNotHave)
{
    for (const char *wrong : {"{\"s\": \"\\x1b\"}\n", "{\"s\": \"\\u12\"}\n", "{\"s\": \"\\u12g4\"}\n",
                              "{\"s\": \"\x01\"}\n", "{\"s\": \"\\'\"}\n", "{\"n\": 01}\n",
                              "{\"n\": .5}\n", "{\"s\": \"a\"}", "{\"s\" \"a\"}\n", "{\"s\": nul}\n"})
        EXPECT_FALSE(IsOneJsonObject(wrong)) << wrong;
    EXPECT_TRUE(IsOneJsonObject("{\"s\": \"\\\"\\\\\\/\\b\\f\\n\\r\\t\\u00e9\", \"n\": [-1.5, 0, true, null]}\n"));
}

// The options of a small tool in the shared dialect, and what it was given.
struct Parsed {
    ParseResult result;
    std::string error, given;
};

Parsed Parse(const std::vector<std::string> &args)
{
    Parsed parsed;
    auto note = [&](const std::string &what) { parsed.given += what + ";"; return std::string(); };
    std::vector<OptionRule> rules = {
        {"--flag", VALUE_NONE, [&](const std::string &) { return note("flag"); }},
        {"--value", VALUE_REQUIRED, [&](const std::string &v) { return v == "bad" ? "bad value" : note("value=" + v); }},
        {"--file", VALUE_OPTIONAL, [&](const std::string &v) { return note("file=" + v); },
         [](const std::string &next) { return next.size() > 5 && next.substr(next.size() - 5) == ".json"; }},
    };
    parsed.result = ParseCommandLine(args, rules, [&](const std::string &arg) { return note("arg " + arg); },
                                     &parsed.error);
    return parsed;
}

TEST(CommandLineTest, OneDialectForEveryTool)
{
    const struct {
        std::vector<std::string> args;
        ParseResult result;
        const char *error, *given;
    } cases[] = {
        {{}, PARSE_RUN, "", ""},
        {{"--value", "5", "--value=6", "x"}, PARSE_RUN, "", "value=5;value=6;arg x;"},
        {{"--value="}, PARSE_RUN, "", "value=;"},
        {{"--file", "out.json", "--file", "prog.exe"}, PARSE_RUN, "", "file=out.json;file=;arg prog.exe;"},
        {{"--file=any.txt"}, PARSE_RUN, "", "file=any.txt;"},
        {{"--", "--flag", "-h"}, PARSE_RUN, "", "arg --flag;arg -h;"},
        {{"-"}, PARSE_RUN, "", "arg -;"},
        {{"/?"}, PARSE_HELP, "", ""},
        {{"-h", "--version"}, PARSE_HELP, "", ""},
        {{"--version", "--help"}, PARSE_VERSION, "", ""},
        {{"--value"}, PARSE_ERROR, "--value needs a value", ""},
        {{"--flag=1"}, PARSE_ERROR, "--flag takes no value", ""},
        {{"--value", "bad", "--flag"}, PARSE_ERROR, "bad value", "flag;"},
        {{"--nope", "--flag"}, PARSE_ERROR, "unknown option --nope", "flag;"},
        {{"-x"}, PARSE_ERROR, "unknown option -x", ""},
        {{"--help", "--nope"}, PARSE_ERROR, "unknown option --nope", ""},
    };
    for (const auto &c : cases) {
        Parsed parsed = Parse(c.args);
        std::string line;
        for (const std::string &arg : c.args)
            line += arg + " ";
        EXPECT_EQ(parsed.result, c.result) << line;
        EXPECT_EQ(parsed.error, c.error) << line;
        EXPECT_EQ(parsed.given, c.given) << line;
    }
}

TEST(CommandLineTest, NumbersAreWholeAndWithinTheirBounds)
{
    unsigned long ms = 0;
    EXPECT_TRUE(ReadSeconds("0.0001", 10, &ms));
    EXPECT_EQ(ms, 1u);
    EXPECT_TRUE(ReadSeconds("10", 10, &ms));
    EXPECT_EQ(ms, 10000u);
    for (const char *wrong : {"", "0", "-1", "10.001", "5x", "nan", "inf", "1e400"})
        EXPECT_FALSE(ReadSeconds(wrong, 10, &ms)) << wrong;
    long value = 0;
    EXPECT_TRUE(ReadWholeNumber("255", 0, 255, &value));
    EXPECT_EQ(value, 255);
    EXPECT_TRUE(ReadWholeNumber("0", 0, 255, &value));
    EXPECT_EQ(value, 0);
    for (const char *wrong : {"", "256", "-1", "1.0", "7 "})
        EXPECT_FALSE(ReadWholeNumber(wrong, 0, 255, &value)) << wrong;
}

} // namespace
