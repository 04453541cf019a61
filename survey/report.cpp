// The survey's output: a table for people, one JSON object for machines.
#include "survey/survey.h"
#include "outside/escape.h"
#include "outside/json.h"

#include <stdio.h>

const char *HolderName(HolderKind kind)
{
    switch (kind) {
    case HOLDER_NOBODY:
        return "nobody";
    case HOLDER_OURS:
        return "holder";
    case HOLDER_OTHER:
        return "other";
    case HOLDER_UNSEEN:
        break;
    }
    return "-";
}

std::string HolderText(const Holder &holder)
{
    std::string text = HolderName(holder.kind);
    return holder.kind == HOLDER_OTHER ? text + " " + holder.className : text;
}

const char *VerdictName(Verdict verdict)
{
    static const char *const names[] = {"released", "released_late", "held",
                                        "taken",    "not_shown",     "not_judged"};
    return names[verdict];
}

static std::string Hex(DWORD value)
{
    char text[16];
    snprintf(text, sizeof(text), "%08lx", (unsigned long)value);
    return text;
}

static std::string VerdictText(const Row &row)
{
    std::string text = VerdictName(row.verdict);
    if (row.verdict == NOT_SHOWN)
        text += " (error " + Hex(row.error) + ")";
    if (!row.box.empty())
        text += " (after a box \"" + Visible(row.box) + "\")";
    if (row.guarded)
        text += " (closed by the guard)";
    // The verdict is already there: a match needs no more words.
    std::string note = row.comparison.outcome == OUTCOME_MATCHES
                           ? "as expected"
                           : ExpectationNote(row.expected, row.comparison);
    return note.empty() ? text : text + " [" + note + "]";
}

static std::string Cell(const std::string &text, size_t width)
{
    return Visible(text) + std::string(text.size() < width ? width - text.size() : 0, ' ') + " | ";
}

// The timeline's sentence, on a line of its own under the kind's row. A box
// the platform showed on the way is a window the main window owns, so its
// messages are the modal's landmarks too.
static std::string TimelineLine(const Row &row)
{
    std::string text = row.timeline.recorded ? row.timeline.sentence : row.timeline.error;
    if (text.empty())
        return "";
    if (!row.box.empty())
        text += " (the box \"" + row.box + "\" counts as the modal)";
    return "  timeline: " + Visible(text) + "\n";
}

std::string TableText(const std::vector<Row> &rows)
{
    std::string text = "kind          | init          | running       | after         | verdict\n"
                       "--------------|---------------|---------------|---------------|--------\n";
    for (const Row &row : rows)
        text += Cell(row.kind, 13) + Cell(HolderText(row.init), 13) +
                Cell(HolderText(row.running), 13) + Cell(HolderText(row.after), 13) +
                VerdictText(row) + "\n" + TimelineLine(row);
    return text;
}

static std::string HolderJson(const Holder &holder)
{
    if (holder.kind == HOLDER_UNSEEN)
        return "null";
    return "{\"holder\": " + JsonString(HolderName(holder.kind)) +
           ", \"class\": " + JsonStringOrNull(holder.className) + "}";
}

static std::string RowJson(const Row &row)
{
    return "{\"kind\": " + JsonString(row.kind) + ", \"init\": " + HolderJson(row.init) +
           ", \"running\": " + HolderJson(row.running) + ", \"after\": " + HolderJson(row.after) +
           ", \"verdict\": " + JsonString(VerdictName(row.verdict)) +
           ", \"error\": " + (row.error || row.verdict == NOT_SHOWN ? JsonString(Hex(row.error)) : "null") +
           ", \"box\": " + JsonStringOrNull(row.box) + ", \"guarded\": " + (row.guarded ? "true" : "false") +
           ", " + ExpectationJsonMembers(row.expected, row.comparison) +
           ", \"timeline\": " + TimelineJson(row.timeline) + "}";
}

std::string JsonText(const std::vector<Row> &rows, const std::string &provenanceMembers)
{
    std::string text = "{\"survey\": 1, " + provenanceMembers + ", \"kinds\": [";
    for (size_t i = 0; i < rows.size(); i++)
        text += (i ? ", " : "") + RowJson(rows[i]);
    return text + "]}";
}
