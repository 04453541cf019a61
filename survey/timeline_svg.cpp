// The timelines as one SVG picture: a lane per kind, with a bar along the
// whole message sequence coloured by who held the capture, the landmarks
// and the release as ticks, and the messages around the release one by one.
// Every text from the platform goes through the XML escape.
#include "survey/timeline.h"
#include "outside/escape.h"

#include <algorithm>
#include <stdio.h>

enum { WIDTH = 1100, LEFT = 20, RIGHT = WIDTH - 20, BAR = 18, LINE = 13, CELL = 24, AROUND = 20 };

static const char *Colour(const Holder &capture)
{
    return capture.kind == HOLDER_OURS ? "#d62728" : capture.kind == HOLDER_NOBODY ? "#2ca02c" : "#1f77b4";
}

static std::string HolderLabel(const Holder &capture)
{
    std::string name = HolderName(capture.kind);
    return capture.kind == HOLDER_OTHER ? name + " " + capture.className : name;
}

static bool SameHolder(const Holder &a, const Holder &b)
{
    return a.kind == b.kind && a.className == b.className;
}

static std::string Number(double value)
{
    char text[32];
    snprintf(text, sizeof(text), "%.1f", value);
    return text;
}

static std::string Text(double x, double y, const std::string &text, const std::string &extra = "")
{
    return "<text x=\"" + Number(x) + "\" y=\"" + Number(y) + "\"" + extra + ">" + XmlText(text) + "</text>\n";
}

static std::string Rect(double x, double y, double width, double height, const char *fill,
                        const std::string &title)
{
    return "<rect x=\"" + Number(x) + "\" y=\"" + Number(y) + "\" width=\"" + Number(width) +
           "\" height=\"" + Number(height) + "\" fill=\"" + fill + "\"><title>" + XmlText(title) +
           "</title></rect>\n";
}

static std::string Tick(double x, double top, double bottom, const char *colour, int width)
{
    return "<line x1=\"" + Number(x) + "\" y1=\"" + Number(top) + "\" x2=\"" + Number(x) + "\" y2=\"" +
           Number(bottom) + "\" stroke=\"" + colour + "\" stroke-width=\"" + std::to_string(width) + "\"/>\n";
}

struct Scale {
    size_t count;
    double At(size_t i) const { return LEFT + (double)(RIGHT - LEFT) * i / (count ? count : 1); }
};

// The whole sequence: one rectangle for each stretch with the same holder.
static std::string Bar(const Timeline &t, const Scale &scale, double y)
{
    std::string svg;
    const std::vector<Record> &r = t.records;
    for (size_t start = 0, end = 0; start < r.size(); start = end) {
        while (end < r.size() && SameHolder(r[end].capture, r[start].capture))
            end++;
        svg += Rect(scale.At(start), y, std::max(scale.At(end) - scale.At(start), 0.5), BAR,
                    Colour(r[start].capture),
                    HolderLabel(r[start].capture) + ": messages " + std::to_string(r[start].sequence) +
                        " to " + std::to_string(r[end - 1].sequence));
    }
    return svg;
}

struct Mark {
    size_t at;
    std::string label;
    bool release;
};

static std::vector<Mark> Marks(const Timeline &t)
{
    std::vector<Mark> marks;
    for (const Landmark &landmark : t.landmarks)
        marks.push_back({landmark.at, LandmarkName(landmark), false});
    if (t.release.cause < RELEASE_AFTER)
        marks.push_back({t.release.by, "release: " + MessageName(t.records[t.release.by].message) +
                                           (t.release.cause == RELEASE_TAKEN ? " (taken by " + t.release.className + ")" : ""),
                         true});
    std::stable_sort(marks.begin(), marks.end(), [](const Mark &a, const Mark &b) { return a.at < b.at; });
    return marks;
}

// Ticks through the bar, each label on a line of its own below it, since
// the landmarks often stand a few messages apart in thousands.
static std::string Ticks(const Timeline &t, const Scale &scale, double barY, double *y)
{
    std::string svg;
    for (const Mark &mark : Marks(t)) {
        double x = scale.At(mark.at) + 0.5;
        *y += LINE;
        const char *colour = mark.release ? "#000" : "#555";
        svg += Tick(x, barY - (mark.release ? 6 : 2), *y - 3, colour, mark.release ? 2 : 1);
        bool right = x > WIDTH / 2;
        std::string label = "#" + std::to_string(t.records[mark.at].sequence) + " " + mark.label;
        svg += Text(right ? x - 4 : x + 4, *y, label,
                    std::string(right ? " text-anchor=\"end\"" : "") + (mark.release ? " font-weight=\"bold\"" : ""));
    }
    return svg;
}

// The messages within AROUND of the release, one cell each, named below.
static std::string AroundRelease(const Timeline &t, double *y)
{
    if (t.release.cause >= RELEASE_AFTER)
        return "";
    size_t first = t.release.by > AROUND ? t.release.by - AROUND : 0;
    size_t last = std::min(t.release.at + AROUND + 1, t.records.size());
    *y += LINE + 6;
    std::string svg = Text(LEFT, *y, "around the release, one message a cell, posted ones in italics "
                                     "(hover for the target):");
    double top = *y + 6;
    for (size_t i = first; i < last; i++) {
        const Record &r = t.records[i];
        double x = LEFT + (double)(i - first) * CELL;
        std::string target = RoleName(r.role) + (r.targetClass.empty() ? "" : " " + r.targetClass);
        svg += Rect(x, top, CELL - 2, BAR, Colour(r.capture),
                    "#" + std::to_string(r.sequence) + " " + (r.posted ? "posted " : "sent ") +
                        MessageName(r.message) + " to " + target + "; capture: " + HolderLabel(r.capture));
        if (i == t.release.by)
            svg += Tick(x - 1, top - 4, top + BAR + 4, "#000", 2);
        std::string name = MessageName(r.message) + (r.message == WM_NOTIFY && !r.posted ? " " + NotifyName(r.code) : "") +
                           (r.role == ROLE_HOLDER ? " > holder" : "");
        svg += Text(x + CELL / 2 - 4, top + BAR + 4, name,
                    " transform=\"rotate(90 " + Number(x + CELL / 2 - 4) + " " + Number(top + BAR + 4) +
                        ")\" font-size=\"10\"" + (i == t.release.by ? " font-weight=\"bold\"" : "") +
                        (r.posted ? " font-style=\"italic\"" : ""));
    }
    *y = top + BAR + 4 + 170;
    return svg;
}

static std::string LaneSvg(const Lane &lane, double *y)
{
    const Timeline &t = *lane.timeline;
    *y += LINE + 10;
    std::string svg = Text(LEFT, *y, lane.kind, " font-weight=\"bold\" font-size=\"13\"");
    *y += LINE + 2;
    if (!t.recorded || t.records.empty()) {
        svg += Text(LEFT, *y, t.recorded ? "no message was recorded" : "no timeline: " + t.error);
        return svg;
    }
    svg += Text(LEFT, *y, t.sentence);
    svg += Text(RIGHT, *y + LINE, std::to_string(t.records.size()) + " messages" +
                                      (t.dropped ? ", " + std::to_string(t.dropped) + " more not kept" : ""),
                " text-anchor=\"end\" fill=\"#555\"");
    double barY = *y + LINE + 8;
    Scale scale = {t.records.size()};
    svg += Bar(t, scale, barY);
    *y = barY + BAR + 2;
    svg += Ticks(t, scale, barY, y);
    svg += AroundRelease(t, y);
    return svg;
}

static std::string Legend(double y)
{
    std::string svg;
    const struct {
        const char *colour, *label;
    } keys[] = {{"#d62728", "the holder has the capture"},
                {"#2ca02c", "nobody has it"},
                {"#1f77b4", "another window has it"}};
    double x = LEFT;
    for (const auto &key : keys) {
        svg += Rect(x, y - 10, 12, 12, key.colour, key.label) + Text(x + 16, y, key.label);
        x += 16 + 7 * std::string(key.label).size() + 20;
    }
    return svg + Tick(x + 4, y - 11, y + 3, "#000", 2) + Text(x + 10, y, "the release");
}

std::string TimelineSvg(const std::vector<Lane> &lanes, const std::string &heading)
{
    double y = 22;
    std::string body = Text(LEFT, y, heading, " font-weight=\"bold\" font-size=\"15\"");
    y += LINE + 8;
    body += Legend(y);
    for (const Lane &lane : lanes)
        body += LaneSvg(lane, &y);
    y += 20;
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(WIDTH) + "\" height=\"" +
           std::to_string((long)y) + "\" viewBox=\"0 0 " + std::to_string(WIDTH) + " " + std::to_string((long)y) +
           "\" font-family=\"sans-serif\" font-size=\"11\">\n"
           "<rect width=\"100%\" height=\"100%\" fill=\"#fff\"/>\n" + body + "</svg>\n";
}
