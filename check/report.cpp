#include "check/report.h"
#include "check/outcome.h"
#include "outside/json.h"
#include "outside/version.h"

#include <stdarg.h>
#include <stdio.h>

static std::vector<ProbeResult> Probes(const Report &report)
{
    return ProbeResults(report.judgement, report.options);
}

static std::string Explain(const ProbeVerdict &probe)
{
    switch (probe.verdict) {
    case VERDICT_RELEASED:
        return "released: no window held the mouse capture while the dialog was running" +
               (probe.reason.empty() ? std::string() : " (" + probe.reason + ")");
    case VERDICT_HELD:
        return "HELD: the mouse capture was still held" +
               (probe.holder.empty() ? std::string() : " by window " + probe.holder) +
               " while the dialog was running; the platform did not release it";
    default:
        return "not judged: " + probe.reason;
    }
}

static std::string Format(const char *format, ...)
{
    char text[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    return text;
}

static std::string Provenance(const Report &report)
{
    std::string bitness = report.run.bitness ? std::to_string(report.run.bitness) + "-bit" : "unknown";
    return ProvenanceText(report.provenance) + "; " + bitness + " TEST.exe; check " + TOOLS_VERSION;
}

std::string TextReport(const Report &report)
{
    const Run &run = report.run;
    std::string out;
    if (run.logRead) {
        if (!report.options.quiet) {
            for (const std::string &line : report.judgement.lines)
                out += line + "\n";
            out += "\n";
        }
        for (const ProbeResult &probe : Probes(report)) {
            out += Format("%-31s%s%s\n", (std::string(probe.title) + ":").c_str(),
                          Explain(probe.verdict).c_str(), probe.counted ? "" : " [not counted]");
            std::string note = ExpectationNote(probe);
            out += note.empty() ? "" : "  " + note + "\n";
        }
    }
    out += "platform: " + Provenance(report) + "\n";
    if (run.ended)
        out += Format("%s ended with %s after %.2f s; check status %d\n", run.program.c_str(),
                      ExitText(run.exitCode).c_str(), run.seconds, report.status);
    else
        out += Format("%s: check status %d\n", run.program.c_str(), report.status);
    return out;
}

static std::string JsonProbe(const ProbeResult &result)
{
    const ProbeVerdict &probe = result.verdict;
    return std::string("{\"verdict\": ") + JsonString(VerdictName(probe.verdict)) +
           ", \"holder\": " + JsonStringOrNull(probe.holder) +
           ", \"reason\": " + JsonStringOrNull(probe.reason) + ", " +
           ExpectationJsonMembers(result.expected, result.comparison) + "}";
}

std::string JsonReport(const Report &report)
{
    const Run &run = report.run;
    std::string lines;
    for (const std::string &line : report.judgement.lines)
        lines += (lines.empty() ? "" : ", ") + JsonString(line);
    return "{\"checker\": " + JsonString(TOOLS_VERSION) + ", \"program\": " + JsonString(run.program) +
           ", " + ProvenanceJsonMembers(report.provenance, run.bitness) +
           ", \"probe\": " + JsonString(ProbeName(report.options.probe)) +
           ", \"status\": " + std::to_string(report.status) +
           ", \"error\": " + JsonStringOrNull(run.error) +
           ", \"exitCode\": " + (run.ended ? std::to_string(run.exitCode) : "null") +
           Format(", \"seconds\": %.3f, \"peakMemoryKiB\": %lu", run.seconds, run.peakMemoryKiB) +
           ", \"screenshot\": " + JsonStringOrNull(run.screenshot) +
           ", \"screenshotError\": " + JsonStringOrNull(run.screenshotError) +
           ", \"openFile\": " + JsonProbe(Probes(report)[0]) +
           ", \"chooseFont\": " + JsonProbe(Probes(report)[1]) + ", \"log\": [" + lines +
           "]}\n";
}

// A YAML scalar in single quotes, which only need their own quote doubled.
static std::string YamlString(const std::string &text)
{
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("''") : std::string(1, c == '\n' || c == '\r' ? ' ' : c);
    return out + "'";
}

// SKIP for a probe that does not count; TODO for a known result that is not
// a pass, and for a pass that was not expected, which TAP readers call an
// unexpected pass.
static std::string TapDirective(const Report &report, const ProbeResult &probe)
{
    if (!probe.counted)
        return Format(" # SKIP not counted with --probe %s", ProbeName(report.options.probe));
    Outcome outcome = probe.comparison.outcome;
    bool knownFailure = outcome == OUTCOME_MATCHES && probe.verdict.verdict != VERDICT_RELEASED;
    if (knownFailure || outcome == OUTCOME_FIX)
        return " # TODO expected: " + probe.expected;
    return "";
}

static std::string YamlOrNull(const std::string &text)
{
    return text.empty() ? "null" : YamlString(text);
}

std::string TapReport(const Report &report)
{
    std::string out = "TAP version 13\n1..2\n";
    int number = 0;
    for (const ProbeResult &probe : Probes(report)) {
        const ProbeVerdict &verdict = probe.verdict;
        bool ok = verdict.verdict == VERDICT_RELEASED;
        out += Format("%s %d - %s: %s", ok || !probe.counted ? "ok" : "not ok", ++number, probe.title,
                      VerdictName(verdict.verdict));
        out += TapDirective(report, probe) + "\n";
        out += "  ---\n  verdict: " + std::string(VerdictName(verdict.verdict)) + "\n";
        out += "  holder: " + YamlOrNull(verdict.holder) + "\n";
        out += "  reason: " + YamlOrNull(verdict.reason) + "\n";
        out += "  expected: " + YamlOrNull(probe.expected) + "\n";
        out += "  note: " + YamlOrNull(ExpectationNote(probe)) + "\n";
        out += "  ...\n";
    }
    if (!report.run.error.empty())
        out += "# error: " + report.run.error + "\n";
    out += "# platform: " + Provenance(report) + "\n";
    return out;
}

// Text for XML content and attributes; characters XML does not allow are left out.
static std::string Xml(const std::string &text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default:
            if ((unsigned char)c >= 0x20 || c == '\t' || c == '\n')
                out += c;
        }
    }
    return out;
}

// A known result passes, with what was expected as a property; a
// difference from it fails, named as a regression or a fix.
static std::string JUnitCase(const Report &report, const ProbeResult &probe)
{
    std::string out = "    <testcase classname=\"capture\" name=\"" + Xml(probe.title) + "\">";
    if (!probe.expected.empty())
        out += "<properties><property name=\"expected\" value=\"" + Xml(probe.expected) +
               "\"/></properties>";
    std::string explained = Xml(Explain(probe.verdict));
    std::string note = Xml(ExpectationNote(probe));
    Outcome outcome = probe.comparison.outcome;
    const char *change = ChangeName(outcome);
    if (!probe.counted)
        out += "<skipped message=\"not counted with --probe " +
               std::string(ProbeName(report.options.probe)) + "\"/>";
    else if (change)
        out += "<failure type=\"" + std::string(change) + "\" message=\"" + note + "\">" + explained +
               "</failure>";
    else if (outcome == OUTCOME_FAILED)
        out += "<failure type=\"held\" message=\"" + explained + "\">" + explained + "</failure>";
    else if (outcome == OUTCOME_UNJUDGED)
        out += "<error type=\"not_judged\" message=\"" + explained + "\">" + explained + "</error>";
    return out + "</testcase>\n";
}

std::string JUnitReport(const Report &report)
{
    int failures = 0, errors = 0, skipped = 0;
    std::string cases;
    for (const ProbeResult &probe : Probes(report)) {
        Outcome outcome = probe.comparison.outcome;
        skipped += !probe.counted;
        failures += probe.counted && !Passes(outcome) && outcome != OUTCOME_UNJUDGED;
        errors += probe.counted && outcome == OUTCOME_UNJUDGED;
        cases += JUnitCase(report, probe);
    }
    std::string log;
    for (const std::string &line : report.judgement.lines)
        log += line + "\n";
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites>\n" +
           Format("  <testsuite name=\"mouse capture in modal dialogs\" tests=\"2\" failures=\"%d\" "
                  "errors=\"%d\" skipped=\"%d\" time=\"%.3f\">\n",
                  failures, errors, skipped, report.run.seconds) +
           "    <properties><property name=\"platform\" value=\"" + Xml(Provenance(report)) +
           "\"/></properties>\n" + cases + "    <system-out>" + Xml(log) + "</system-out>\n" +
           "    <system-err>" + Xml(report.run.error) + "</system-err>\n  </testsuite>\n</testsuites>\n";
}
