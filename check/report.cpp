#include "check/report.h"
#include "outside/json.h"
#include "outside/version.h"

#include <stdarg.h>
#include <stdio.h>

struct ProbeEntry {
    const char *title;
    const ProbeVerdict &verdict;
    bool counted; // chosen to decide the status
};

static std::vector<ProbeEntry> Probes(const Report &report)
{
    ProbeChoice choice = report.options.probe;
    return {{"Open dialog (GetOpenFileName)", report.judgement.openFile, Counts(choice, PROBE_OPEN)},
            {"Font dialog (ChooseFont)", report.judgement.chooseFont, Counts(choice, PROBE_FONT)}};
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
        for (const ProbeEntry &probe : Probes(report))
            out += Format("%-31s%s%s\n", (std::string(probe.title) + ":").c_str(),
                          Explain(probe.verdict).c_str(), probe.counted ? "" : " [not counted]");
    }
    out += "platform: " + Provenance(report) + "\n";
    if (run.ended)
        out += Format("%s ended with %s after %.2f s; check status %d\n", run.program.c_str(),
                      ExitText(run.exitCode).c_str(), run.seconds, report.status);
    else
        out += Format("%s: check status %d\n", run.program.c_str(), report.status);
    return out;
}

static std::string JsonProbe(const ProbeVerdict &probe)
{
    return std::string("{\"verdict\": ") + JsonString(VerdictName(probe.verdict)) +
           ", \"holder\": " + JsonStringOrNull(probe.holder) +
           ", \"reason\": " + JsonStringOrNull(probe.reason) + "}";
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
           ", \"openFile\": " + JsonProbe(report.judgement.openFile) +
           ", \"chooseFont\": " + JsonProbe(report.judgement.chooseFont) + ", \"log\": [" + lines +
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

std::string TapReport(const Report &report)
{
    std::string out = "TAP version 13\n1..2\n";
    int number = 0;
    for (const ProbeEntry &probe : Probes(report)) {
        const ProbeVerdict &verdict = probe.verdict;
        bool ok = verdict.verdict == VERDICT_RELEASED;
        out += Format("%s %d - %s: %s", ok || !probe.counted ? "ok" : "not ok", ++number, probe.title,
                      VerdictName(verdict.verdict));
        out += probe.counted ? "\n" : Format(" # SKIP not counted with --probe %s\n",
                                             ProbeName(report.options.probe));
        out += "  ---\n  verdict: " + std::string(VerdictName(verdict.verdict)) + "\n";
        out += "  holder: " + (verdict.holder.empty() ? "null" : YamlString(verdict.holder)) + "\n";
        out += "  reason: " + (verdict.reason.empty() ? "null" : YamlString(verdict.reason)) + "\n";
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

static std::string JUnitCase(const Report &report, const ProbeEntry &probe)
{
    const ProbeVerdict &verdict = probe.verdict;
    std::string out = "    <testcase classname=\"capture\" name=\"" + Xml(probe.title) + "\">";
    std::string explained = Xml(Explain(verdict));
    if (!probe.counted)
        out += "<skipped message=\"not counted with --probe " +
               std::string(ProbeName(report.options.probe)) + "\"/>";
    else if (verdict.verdict == VERDICT_HELD)
        out += "<failure type=\"held\" message=\"" + explained + "\">" + explained + "</failure>";
    else if (verdict.verdict == VERDICT_NOT_JUDGED)
        out += "<error type=\"not_judged\" message=\"" + explained + "\">" + explained + "</error>";
    return out + "</testcase>\n";
}

std::string JUnitReport(const Report &report)
{
    int failures = 0, errors = 0, skipped = 0;
    std::string cases;
    for (const ProbeEntry &probe : Probes(report)) {
        skipped += !probe.counted;
        failures += probe.counted && probe.verdict.verdict == VERDICT_HELD;
        errors += probe.counted && probe.verdict.verdict == VERDICT_NOT_JUDGED;
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
