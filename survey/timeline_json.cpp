// A kind's timeline as one JSON object: the release, the landmarks and the
// records around the release.
#include "survey/timeline.h"
#include "outside/json.h"

#include <algorithm>

enum { RECORDS_AROUND_RELEASE = 20 };

static const char *LandmarkKindName(LandmarkKind kind)
{
    static const char *const names[] = {"init_dialog", "init_menu", "notify", "ctlcolor",
                                        "shown",       "enter_idle", "end"};
    return names[kind];
}

static bool Released(const Release &release)
{
    return release.cause < RELEASE_AFTER;
}

static std::string ReleaseJson(const Timeline &t)
{
    const Release &release = t.release;
    bool released = Released(release);
    auto sequence = [&](size_t i) { return released ? std::to_string(t.records[i].sequence) : "null"; };
    return "{\"cause\": " + JsonString(ReleaseCauseName(release.cause)) +
           ", \"at\": " + sequence(release.at) + ", \"by\": " + sequence(release.by) +
           ", \"message\": " + (released ? JsonString(MessageName(t.records[release.by].message)) : "null") +
           ", \"class\": " + JsonStringOrNull(release.className) +
           ", \"phase\": " + JsonString(PhaseName(PhaseOf(release, t.landmarks))) + "}";
}

static std::string LandmarkJson(const Timeline &t, const Landmark &landmark)
{
    return "{\"landmark\": " + JsonString(LandmarkKindName(landmark.kind)) +
           ", \"name\": " + JsonString(LandmarkName(landmark)) +
           ", \"code\": " + (landmark.kind == MARK_NOTIFY ? JsonString(NotifyName(landmark.code)) : "null") +
           ", \"ordinal\": " + std::to_string(landmark.ordinal) +
           ", \"sequence\": " + std::to_string(t.records[landmark.at].sequence) + "}";
}

static std::string RecordJson(const Record &record)
{
    bool notify = record.message == WM_NOTIFY && !record.posted;
    return "{\"sequence\": " + std::to_string(record.sequence) +
           ", \"delivery\": " + (record.posted ? "\"posted\"" : "\"sent\"") +
           ", \"message\": " + JsonString(MessageName(record.message)) +
           ", \"code\": " + (notify ? JsonString(NotifyName(record.code)) : "null") +
           ", \"target\": " + JsonString(RoleName(record.role)) +
           ", \"targetClass\": " + JsonStringOrNull(record.targetClass) +
           ", \"capture\": " + JsonString(HolderName(record.capture.kind)) +
           ", \"captureClass\": " + JsonStringOrNull(record.capture.className) + "}";
}

template <typename T, typename F> static std::string JsonList(const std::vector<T> &items, F toJson)
{
    std::string text = "[";
    for (size_t i = 0; i < items.size(); i++)
        text += (i ? ", " : "") + toJson(items[i]);
    return text + "]";
}

static std::vector<Record> AroundRelease(const Timeline &t)
{
    if (!Released(t.release))
        return {};
    size_t first = t.release.by > RECORDS_AROUND_RELEASE ? t.release.by - RECORDS_AROUND_RELEASE : 0;
    size_t last = std::min(t.release.at + RECORDS_AROUND_RELEASE + 1, t.records.size());
    return std::vector<Record>(t.records.begin() + first, t.records.begin() + last);
}

std::string TimelineJson(const Timeline &t)
{
    if (!t.recorded && t.error.empty())
        return "null";
    if (!t.recorded)
        return "{\"error\": " + JsonString(t.error) +
               ", \"release\": null, \"sentence\": null, \"landmarks\": [], \"records\": [], "
               "\"recorded\": 0, \"dropped\": 0}";
    return "{\"error\": null, \"release\": " + ReleaseJson(t) + ", \"sentence\": " + JsonString(t.sentence) +
           ", \"landmarks\": " +
           JsonList(t.landmarks, [&](const Landmark &landmark) { return LandmarkJson(t, landmark); }) +
           ", \"records\": " + JsonList(AroundRelease(t), RecordJson) +
           ", \"recorded\": " + std::to_string(t.records.size()) +
           ", \"dropped\": " + std::to_string(t.dropped) + "}";
}
