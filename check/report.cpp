#include "check/report.h"
#include "outside/escape.h"
#include "outside/json.h"
#include "outside/version.h"

#include <stdarg.h>
#include <stdio.h>

static std::string Explain(const ProbeResult &probe)
{
    const ProbeVerdict &verdict = probe.verdict;
    switch (verdict.verdict) {
    case VERDICT_RELEASED:
        return "released: no window held the mouse capture " + std::string(probe.checkpoint) +
               (verdict.reason.empty() ? std::string() : " (" + verdict.reason + ")");
    case VERDICT_HELD:
        return "HELD " + std::string(probe.checkpoint) + ": the mouse capture was still held" +
               (verdict.holder.empty() ? std::string() : " by window " + verdict.holder) +
               "; the platform did not release it";
    default:
        return "not judged: " + verdict.reason;
    }
}

// printf into a string of whatever length it takes.
static std::string Format(const char *format, ...)
{
    va_list args, again;
    va_start(args, format);
    va_copy(again, args);
    int length = vsnprintf(NULL, 0, format, args);
    std::string text(length > 0 ? length : 0, '\0');
    if (length > 0)
        vsnprintf(&text[0], length + 1, format, again);
    va_end(again);
    va_end(args);
    return text;
}

static std::string Bitness(const Report &report)
{
    return report.run.bitness ? std::to_string(report.run.bitness) + "-bit" : "unknown bitness";
}

static std::string ProvenanceLine(const Report &report)
{
    return ProvenanceText(report.provenance) + "; " + Bitness(report) + " TEST.exe; check " +
           TOOLS_VERSION;
}

std::string TextReport(const Report &report)
{
    const Run &run = report.run;
    std::string out;
    if (run.logRead) {
        if (!report.options.quiet) {
            for (const std::string &line : report.lines)
                out += Visible(line) + "\n";
            out += "\n";
        }
        for (const ProbeResult &probe : report.probes) {
            out += Format("%-31s", (std::string(probe.title) + ":").c_str()) +
                   Visible(Explain(probe)) + (probe.counted ? "" : " [not counted]") + "\n";
            std::string note = ExpectationNote(probe);
            out += note.empty() ? "" : "  " + note + "\n";
        }
    }
    out += "platform: " + Visible(ProvenanceLine(report)) + "\n";
    if (run.ended)
        out += Visible(run.program) + " ended with " + ExitText(run.exitCode) +
               Format(" after %.2f s; check status %d\n", run.seconds, report.status);
    else
        out += Visible(run.program) + Format(": check status %d\n", report.status);
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
    for (const std::string &line : report.lines)
        lines += (lines.empty() ? "" : ", ") + JsonString(line);
    std::string probes;
    for (const ProbeResult &probe : report.probes)
        probes += std::string(", ") + (probe.probe == PROBE_OPEN ? "\"openFile\": " : "\"chooseFont\": ") +
                  JsonProbe(probe);
    return "{\"checker\": " + JsonString(TOOLS_VERSION) + ", \"program\": " + JsonString(run.program) +
           ", " + ProvenanceJsonMembers(report.provenance, run.bitness) +
           ", \"probe\": " + JsonString(ProbeName(report.options.probe)) +
           ", \"status\": " + std::to_string(report.status) +
           ", \"error\": " + JsonStringOrNull(run.error) +
           ", \"exitCode\": " + (run.ended ? std::to_string(run.exitCode) : "null") +
           Format(", \"seconds\": %.3f", run.seconds) + ", \"peakMemoryKiB\": " +
           (run.peakMemoryKiB ? std::to_string(run.peakMemoryKiB) : "null") +
           ", \"screenshot\": " + JsonStringOrNull(run.screenshot) +
           ", \"screenshotError\": " + JsonStringOrNull(run.screenshotError) + probes +
           ", \"log\": [" + lines + "]}\n";
}

// A YAML double-quoted scalar: a JSON string is one, with every character
// that could end the line or the block escaped.
static std::string YamlString(const std::string &text)
{
    return text.empty() ? "null" : JsonString(text);
}

// SKIP for a probe that does not count; TODO for a known result that is not
// a pass, and for a pass that was not expected, which TAP readers call an
// unexpected pass.
static std::string TapDirective(const Report &report, const ProbeResult &probe)
{
    if (!probe.counted)
        return Format(" # SKIP not counted with --probe %s", ProbeName(report.options.probe));
    // A run that failed is not judged, whatever its probes found.
    if (!report.run.error.empty())
        return "";
    Outcome outcome = probe.comparison.outcome;
    bool knownFailure = outcome == OUTCOME_MATCHES && probe.verdict.verdict != VERDICT_RELEASED;
    if (knownFailure || outcome == OUTCOME_FIX)
        return " # TODO expected: " + probe.expected;
    return "";
}

std::string TapReport(const Report &report)
{
    std::string out = "TAP version 13\n1..2\n";
    int number = 0;
    for (const ProbeResult &probe : report.probes) {
        const ProbeVerdict &verdict = probe.verdict;
        bool ok = verdict.verdict == VERDICT_RELEASED && report.run.error.empty();
        out += Format("%s %d - %s: %s", ok || !probe.counted ? "ok" : "not ok", ++number, probe.title,
                      VerdictName(verdict.verdict));
        out += TapDirective(report, probe) + "\n";
        out += "  ---\n  verdict: " + std::string(VerdictName(verdict.verdict)) + "\n";
        out += "  holder: " + YamlString(verdict.holder) + "\n";
        out += "  reason: " + YamlString(verdict.reason) + "\n";
        out += "  expected: " + YamlString(probe.expected) + "\n";
        out += "  note: " + YamlString(ExpectationNote(probe)) + "\n";
        out += "  ...\n";
    }
    if (!report.run.error.empty())
        out += "# error: " + Visible(report.run.error) + "\n";
    out += "# platform: " + Visible(ProvenanceLine(report)) + "\n";
    return out;
}

// A known result passes, with what was expected as a property; a
// difference from it fails, named as a regression or a fix.
static std::string JUnitCase(const Report &report, const ProbeResult &probe, const std::string &suite)
{
    std::string out = "    <testcase classname=\"" + suite + "\" name=\"" + XmlText(probe.title) + "\">";
    if (!probe.expected.empty())
        out += "<properties><property name=\"expected\" value=\"" + XmlText(probe.expected) +
               "\"/></properties>";
    std::string explained = XmlText(Explain(probe));
    Outcome outcome = probe.comparison.outcome;
    const char *change = ChangeName(outcome);
    if (!probe.counted)
        out += "<skipped message=\"not counted with --probe " +
               std::string(ProbeName(report.options.probe)) + "\"/>";
    else if (!report.run.error.empty())
        out += "<error type=\"run_error\" message=\"" + XmlText(report.run.error) + "\">" + explained +
               "</error>";
    else if (change)
        out += "<failure type=\"" + std::string(change) + "\" message=\"" +
               XmlText(ExpectationNote(probe)) + "\">" + explained + "</failure>";
    else if (outcome == OUTCOME_FAILED)
        out += "<failure type=\"held\" message=\"" + explained + "\">" + explained + "</failure>";
    else if (outcome == OUTCOME_UNJUDGED)
        out += "<error type=\"not_judged\" message=\"" + explained + "\">" + explained + "</error>";
    return out + "</testcase>\n";
}

// The suite is named for the platform and the bitness, so that reports of
// several runs stay apart when a CI merges them.
std::string JUnitReport(const Report &report)
{
    const Provenance &platform = report.provenance;
    std::string suite =
        XmlText("capture (" + platform.name + " " + platform.version + ", " + Bitness(report) + ")");
    int failures = 0, errors = 0, skipped = 0;
    std::string cases;
    for (const ProbeResult &probe : report.probes) {
        Outcome outcome = probe.comparison.outcome;
        skipped += !probe.counted;
        bool error = outcome == OUTCOME_UNJUDGED || !report.run.error.empty();
        failures += probe.counted && !Passes(outcome) && !error;
        errors += probe.counted && error;
        cases += JUnitCase(report, probe, suite);
    }
    std::string log;
    for (const std::string &line : report.lines)
        log += line + "\n";
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites>\n" +
           Format("  <testsuite name=\"%s\" tests=\"%d\" failures=\"%d\" errors=\"%d\" skipped=\"%d\" "
                  "time=\"%.3f\">\n",
                  suite.c_str(), (int)report.probes.size(), failures, errors, skipped, report.run.seconds) +
           "    <properties><property name=\"platform\" value=\"" + XmlText(ProvenanceLine(report)) +
           "\"/></properties>\n" + cases + "    <system-out>" + XmlText(log) + "</system-out>\n" +
           "    <system-err>" + XmlText(report.run.error) + "</system-err>\n  </testsuite>\n</testsuites>\n";
}
