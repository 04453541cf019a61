// The timeline's rules on fixed records, without windows: where the holder
// lost the capture and how, the landmarks, the sentence, and what the JSON
// and the picture make of hostile class names.
#include "survey/timeline.h"
#include "tests/checker_process.h"
#include "outside/escape.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <string.h>

namespace {

const Role H = ROLE_HOLDER, W = ROLE_MAIN, M = ROLE_MODAL, C = ROLE_MODAL_CHILD, T = ROLE_THREAD,
           X = ROLE_OTHER;
const HolderKind OURS = HOLDER_OURS, NOBODY = HOLDER_NOBODY, OTHER = HOLDER_OTHER;

// One record: the message, its target, the capture then; a notification's
// code or WM_SHOWWINDOW's flag; another holder's class; posted or sent.
struct R {
    UINT message;
    Role role;
    HolderKind capture;
    UINT detail = 0;
    const char *captureClass = "";
    bool posted = false;
};

std::vector<Record> Records(const std::vector<R> &list)
{
    std::vector<Record> records;
    for (const R &r : list) {
        Record record;
        record.sequence = 100 + records.size();
        record.posted = r.posted;
        record.message = r.message;
        record.code = r.message == WM_NOTIFY ? r.detail : 0;
        record.wParam = r.message == WM_SHOWWINDOW ? r.detail : 0;
        record.role = r.role;
        record.targetClass = r.role == C || r.role == X ? "Button" : "";
        record.capture.kind = r.capture;
        record.capture.className = r.captureClass;
        records.push_back(record);
    }
    return records;
}

std::string ReleaseText(const Release &release)
{
    std::string text = ReleaseCauseName(release.cause);
    if (release.cause < RELEASE_AFTER)
        text += " at " + std::to_string(release.at) + " by " + std::to_string(release.by);
    return release.className.empty() ? text : text + " " + release.className;
}

// What an explorer-style Open dialog does on this platform: three
// notifications, then the cancel, then the dialog is shown.
std::vector<R> Explorer()
{
    return {{WM_INITDIALOG, M, OURS},          {WM_INITDIALOG, C, OURS},
            {WM_NOTIFY, C, OURS, CDN_INITDONE}, {WM_NOTIFY, C, OURS, CDN_FOLDERCHANGE},
            {WM_NOTIFY, C, OURS, CDN_SELCHANGE}, {WM_CANCELMODE, H, OURS},
            {WM_CAPTURECHANGED, H, NOBODY},     {WM_SHOWWINDOW, M, NOBODY, TRUE},
            {WM_CTLCOLORDLG, M, NOBODY},        {WM_ENTERIDLE, W, NOBODY},
            {WM_DESTROY, M, NOBODY}};
}

// Each window by what the hooks noted of it: the modal is a top-level
// window the main window owns, and whatever stands inside it is its child;
// a window another holds the capture with is named by its class.
TEST(TimelineNamingTest, EachWindowByItsRoleAndAnotherHoldersClass)
{
    auto hwnd = [](uintptr_t n) { return (HWND)n; };
    RawTimeline raw;
    raw.holder = hwnd(1);
    raw.main = hwnd(2);
    raw.windows = {{hwnd(3), "#32770", hwnd(3), hwnd(2)}, {hwnd(4), "Button", hwnd(3), hwnd(2)},
                   {hwnd(5), "#32768", hwnd(5), NULL},    {hwnd(6), "#32770", hwnd(6), hwnd(7)}};
    const struct {
        uintptr_t target, capture;
        Role role;
        const char *targetClass;
        HolderKind holder;
        const char *holderClass;
    } cases[] = {
        {0, 1, T, "", OURS, ""},       {1, 0, H, "", NOBODY, ""},          {2, 5, W, "", OTHER, "#32768"},
        {3, 1, M, "", OURS, ""},       {4, 4, C, "Button", OTHER, "Button"}, {5, 5, X, "#32768", OTHER, "#32768"},
        {6, 8, X, "#32770", OTHER, ""}, {8, 1, X, "", OURS, ""},
    };
    for (const auto &c : cases)
        raw.records.push_back({0, false, WM_NULL, 0, 0, hwnd(c.target), hwnd(c.capture)});
    std::vector<Record> records = NameRecords(raw);
    ASSERT_EQ(records.size(), sizeof(cases) / sizeof(cases[0]));
    for (size_t i = 0; i < records.size(); i++) {
        EXPECT_EQ(records[i].role, cases[i].role) << i;
        EXPECT_EQ(records[i].targetClass, cases[i].targetClass) << i;
        EXPECT_EQ(records[i].capture.kind, cases[i].holder) << i;
        EXPECT_EQ(records[i].capture.className, cases[i].holderClass) << i;
    }
}

TEST(TimelineReleaseTest, TheFirstRecordWithoutTheHolderAndWhatDidIt)
{
    const Holder freeAfter = {NOBODY, ""}, heldAfter = {OURS, ""};
    const struct {
        const char *name;
        std::vector<R> records;
        unsigned long dropped;
        Holder after;
        const char *release;
    } cases[] = {
        {"explorer", Explorer(), 0, freeAfter, "cancel_mode at 6 by 5"},
        {"posted cancel",
         {{WM_CANCELMODE, H, OURS, 0, "", true}, {WM_CAPTURECHANGED, H, NOBODY}}, 0, freeAfter,
         "cancel_mode at 1 by 0"},
        {"no cancel", {{WM_INITDIALOG, M, OURS}, {WM_CAPTURECHANGED, H, NOBODY}}, 0, freeAfter,
         "capture_changed at 1 by 1"},
        {"a cancel with a message between is not what released it",
         {{WM_CANCELMODE, H, OURS}, {WM_NCACTIVATE, W, OURS}, {WM_CAPTURECHANGED, H, NOBODY}}, 0,
         freeAfter, "capture_changed at 2 by 2"},
        {"a cancel to another window",
         {{WM_CANCELMODE, M, OURS}, {WM_CAPTURECHANGED, H, NOBODY}}, 0, freeAfter, "capture_changed at 1 by 1"},
        {"menu", {{WM_INITMENUPOPUP, W, OURS}, {WM_CAPTURECHANGED, H, OTHER, 0, "#32768"}}, 0, freeAfter,
         "taken at 1 by 1 #32768"},
        {"taken even after a cancel",
         {{WM_CANCELMODE, H, OURS}, {WM_CAPTURECHANGED, H, OTHER, 0, "#32770"}}, 0, freeAfter,
         "taken at 1 by 1 #32770"},
        {"unseen", {{WM_INITDIALOG, M, OURS}, {WM_TIMER, T, NOBODY, 0, "", true}}, 0, freeAfter,
         "unseen at 1 by 1"},
        {"not held from the start", {{WM_CANCELMODE, H, NOBODY}}, 0, freeAfter, "unseen at 0 by 0"},
        {"after", {{WM_INITDIALOG, M, OURS}, {WM_DESTROY, M, OURS}}, 0, freeAfter, "after"},
        {"never", {{WM_INITDIALOG, M, OURS}}, 0, heldAfter, "never"},
        {"no records", {}, 0, freeAfter, "after"},
        {"dropped", {{WM_INITDIALOG, M, OURS}}, 5, heldAfter, "not_recorded"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ReleaseText(FindRelease(Records(c.records), c.dropped, c.after)), c.release) << c.name;
}

std::string LandmarksText(const std::vector<Record> &records)
{
    std::string text;
    for (const Landmark &landmark : FindLandmarks(records))
        text += (text.empty() ? "" : ", ") + LandmarkName(landmark) + " #" +
                std::to_string(landmark.ordinal) + " @" + std::to_string(landmark.at);
    return text;
}

TEST(TimelineLandmarkTest, EachLandmarkOnceButNotificationsAndTheLastDestroy)
{
    const UINT LVN = (UINT)-101; // a list view's notification: no landmark
    const struct {
        const char *name;
        std::vector<R> records;
        const char *landmarks;
    } cases[] = {
        {"explorer", Explorer(),
         "WM_INITDIALOG #1 @0, WM_NOTIFY (CDN_INITDONE) #1 @2, WM_NOTIFY (CDN_FOLDERCHANGE) #2 @3, "
         "WM_NOTIFY (CDN_SELCHANGE) #3 @4, WM_SHOWWINDOW #1 @7, WM_CTLCOLORDLG #1 @8, WM_ENTERIDLE #1 @9, "
         "WM_DESTROY #1 @10"},
        {"only the modal's and its children's",
         {{WM_INITDIALOG, C, OURS}, {WM_INITDIALOG, X, OURS}, {WM_NOTIFY, X, OURS, CDN_INITDONE},
          {WM_CTLCOLORDLG, X, OURS}, {WM_SHOWWINDOW, C, OURS, TRUE}, {WM_DESTROY, C, OURS},
          {WM_DESTROY, W, OURS}},
         ""},
        {"sent only, and a notification of the common dialogs only",
         {{WM_INITDIALOG, M, OURS, 0, "", true}, {WM_NOTIFY, C, OURS, LVN}, {WM_NOTIFY, M, OURS, (UINT)CDN_LAST},
          {WM_NOTIFY, M, OURS, (UINT)CDN_LAST - 1}, {WM_NOTIFY, M, OURS, (UINT)CDN_FIRST + 1},
          {WM_NOTIFY, C, OURS, CDN_FILEOK, "", true}},
         "WM_NOTIFY (0xfffffd45) #1 @2"},
        {"hidden, then shown; the first of each; the last destroy ends it",
         {{WM_SHOWWINDOW, M, OURS, FALSE}, {WM_SHOWWINDOW, M, OURS, TRUE}, {WM_SHOWWINDOW, M, OURS, TRUE},
          {WM_CTLCOLORDLG, C, OURS}, {WM_CTLCOLORDLG, M, OURS}, {WM_DESTROY, M, OURS},
          {WM_ENTERIDLE, W, OURS}, {WM_ENTERIDLE, W, OURS}, {WM_DESTROY, M, OURS}},
         "WM_SHOWWINDOW #1 @1, WM_CTLCOLORDLG #1 @3, WM_ENTERIDLE #1 @6, WM_DESTROY #1 @8"},
        {"menu", {{WM_INITMENUPOPUP, W, OURS}, {WM_INITMENUPOPUP, W, OURS}, {WM_ENTERIDLE, W, OTHER}},
         "WM_INITMENUPOPUP #1 @0, WM_ENTERIDLE #1 @2"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(LandmarksText(Records(c.records)), c.landmarks) << c.name;
}

std::string SentenceOf(const std::vector<R> &list, unsigned long dropped = 0, HolderKind after = NOBODY)
{
    std::vector<Record> records = Records(list);
    return Sentence("Kind", FindRelease(records, dropped, {after, ""}), FindLandmarks(records), records);
}

TEST(TimelineSentenceTest, TheReleaseBetweenTheNearestLandmarksAndThePhase)
{
    std::vector<R> eleven;
    for (int i = 0; i < 11; i++)
        eleven.push_back({WM_NOTIFY, C, OURS, CDN_SELCHANGE});
    eleven.push_back({WM_CANCELMODE, H, OURS});
    eleven.push_back({WM_CAPTURECHANGED, H, NOBODY});
    const struct {
        const char *name;
        std::string sentence, expected;
    } cases[] = {
        {"explorer", SentenceOf(Explorer()),
         "Kind: released by WM_CANCELMODE to the holder, 1 message after its third WM_NOTIFY (CDN_SELCHANGE) "
         "and 2 before its WM_SHOWWINDOW: during initialisation"},
        {"font: what WM_INITDIALOG sends counts",
         SentenceOf({{WM_INITDIALOG, M, OURS}, {WM_SETFONT, C, OURS}, {WM_CANCELMODE, H, OURS},
                     {WM_CAPTURECHANGED, H, NOBODY}, {WM_SHOWWINDOW, M, NOBODY, TRUE}, {WM_CTLCOLORDLG, M, NOBODY}}),
         "Kind: released by WM_CANCELMODE to the holder, 2 messages after its WM_INITDIALOG and 2 before its "
         "WM_SHOWWINDOW: during initialisation"},
        {"menu: running from its first idle message",
         SentenceOf({{WM_INITMENUPOPUP, W, OURS}, {WM_PAINT, M, OURS}, {WM_CAPTURECHANGED, H, OTHER, 0, "#32768"},
                     {WM_ENTERIDLE, W, OTHER, 0, "#32768"}}),
         "Kind: taken by #32768, 2 messages after WM_INITMENUPOPUP and 1 before the first WM_ENTERIDLE: "
         "during initialisation"},
        {"while it ran",
         SentenceOf({{WM_INITDIALOG, M, OURS}, {WM_SHOWWINDOW, M, OURS, TRUE}, {WM_ENTERIDLE, W, OURS},
                     {WM_CAPTURECHANGED, H, NOBODY}, {WM_DESTROY, M, NOBODY}}),
         "Kind: released by WM_CAPTURECHANGED alone, with no cancel before it, 1 message after the first "
         "WM_ENTERIDLE and 1 before its end (WM_DESTROY): while it ran"},
        {"after its end",
         SentenceOf({{WM_INITDIALOG, M, OURS}, {WM_SHOWWINDOW, M, OURS, TRUE}, {WM_DESTROY, M, OURS},
                     {WM_TIMER, T, NOBODY, 0, "", true}}),
         "Kind: gone at WM_TIMER, with no message to the holder, 1 message after its end (WM_DESTROY): "
         "after its end"},
        {"before its initialisation",
         SentenceOf({{WM_CANCELMODE, H, OURS}, {WM_CAPTURECHANGED, H, NOBODY}, {WM_INITDIALOG, M, NOBODY}}),
         "Kind: released by WM_CANCELMODE to the holder, 2 messages before its WM_INITDIALOG: before its "
         "initialisation"},
        {"gone at its showing, which is still its initialisation",
         SentenceOf({{WM_INITDIALOG, M, OURS}, {WM_SHOWWINDOW, M, NOBODY, TRUE}, {WM_ENTERIDLE, W, NOBODY}}),
         "Kind: gone at WM_SHOWWINDOW, with no message to the holder, 1 message after its WM_INITDIALOG and 1 "
         "before the first WM_ENTERIDLE: during initialisation"},
        {"no landmark at all", SentenceOf({{WM_CAPTURECHANGED, H, NOBODY}}),
         "Kind: released by WM_CAPTURECHANGED alone, with no cancel before it"},
        {"taken by no known class", SentenceOf({{WM_CAPTURECHANGED, H, OTHER}}),
         "Kind: taken by a window of no known class"},
        {"the eleventh notification", SentenceOf(eleven),
         "Kind: released by WM_CANCELMODE to the holder, 1 message after its 11th WM_NOTIFY (CDN_SELCHANGE)"},
        {"after", SentenceOf({{WM_INITDIALOG, M, OURS}}),
         "Kind: never released while the modal ran; free once it returned"},
        {"never", SentenceOf({{WM_INITDIALOG, M, OURS}}, 0, OURS),
         "Kind: never released, not even after the modal returned"},
        {"dropped", SentenceOf({{WM_INITDIALOG, M, OURS}}, 7, OURS),
         "Kind: not released within the 1 message recorded; the later ones were not kept"},
        {"all dropped", SentenceOf({}, 7, OURS),
         "Kind: not released within the 0 messages recorded; the later ones were not kept"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.sentence, c.expected) << c.name;
}

// Well-formed enough for a reader: every tag closed in order, attribute
// values quoted without '<', and '&' only in the five entities.
bool IsWellFormed(const std::string &xml, std::string *why)
{
    std::vector<std::string> open;
    for (size_t i = 0; i < xml.size(); i++) {
        if (xml[i] == '&') {
            static const char *const entities[] = {"&amp;", "&lt;", "&gt;", "&quot;", "&apos;"};
            bool known = false;
            for (const char *entity : entities)
                known = known || xml.compare(i, strlen(entity), entity) == 0;
            if (!known)
                return *why = "a bare & at " + std::to_string(i), false;
        }
        if (xml[i] != '<' || xml.compare(i, 2, "<?") == 0)
            continue;
        size_t end = xml.find('>', i);
        std::string tag = xml.substr(i + 1, end - i - 1);
        size_t quotes = std::count(tag.begin(), tag.end(), '"');
        if (end == std::string::npos || quotes % 2 || tag.find('<') != std::string::npos)
            return *why = "a broken tag at " + std::to_string(i), false;
        std::string name = tag.substr(tag[0] == '/', tag.find_first_of(" />", 1) - (tag[0] == '/'));
        if (tag[0] == '/' && (open.empty() || open.back() != name))
            return *why = "</" + name + "> closes nothing open at " + std::to_string(i), false;
        if (tag[0] == '/')
            open.pop_back();
        else if (tag.back() != '/')
            open.push_back(name);
        i = end;
    }
    return open.empty() || (*why = "<" + open.back() + "> is never closed", false);
}

TEST(TimelineOutputTest, HostileClassNamesStayTextInTheJsonAndThePicture)
{
    const std::string hostile = "</text><script>&x;\"'\x1b[8m\x01\xff]]>\xf4\x8f\xbf\xbf";
    std::vector<Record> records = Records({{WM_INITMENUPOPUP, W, OURS}, {WM_PAINT, C, OURS},
                                           {0x0401, X, OURS}, {WM_CAPTURECHANGED, H, OTHER},
                                           {WM_ENTERIDLE, W, OTHER}});
    for (Record &record : records) {
        if (!record.targetClass.empty())
            record.targetClass = hostile;
        if (record.capture.kind == OTHER)
            record.capture.className = hostile;
    }
    Timeline t;
    t.recorded = true;
    t.records = records;
    t.release = FindRelease(records, 0, {NOBODY, ""});
    t.landmarks = FindLandmarks(records);
    t.sentence = Sentence(hostile, t.release, t.landmarks, records);

    std::string json = TimelineJson(t);
    EXPECT_TRUE(IsOneJsonObject("{\"timeline\": " + json + "}\n")) << json;
    EXPECT_NE(json.find("\"message\": \"0x0401\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"release\": {\"cause\": \"taken\", \"at\": 103, \"by\": 103, "
                        "\"message\": \"WM_CAPTURECHANGED\", \"class\": \"</text><script>&x;\\\"'\\u001b[8m\\u0001\\u00ff]]>"),
              std::string::npos) << json;

    Timeline missing;
    missing.error = "the message hooks could not be set (error 5)";
    std::vector<Lane> lanes = {{hostile, &t}, {"missing", &missing}};
    std::string svg = TimelineSvg(lanes, "heading " + hostile), why;
    EXPECT_TRUE(IsWellFormed(svg, &why)) << why << "\n" << svg;
    EXPECT_EQ(svg.find(hostile), std::string::npos);
    EXPECT_EQ(svg.find("<script>"), std::string::npos);
    EXPECT_NE(svg.find(XmlText(hostile)), std::string::npos) << svg;
    EXPECT_NE(svg.find("no timeline: the message hooks could not be set (error 5)"), std::string::npos);
    // Nothing XML forbids: no control character but the line ends, and valid UTF-8 throughout.
    for (size_t i = 0; i < svg.size();) {
        unsigned long point = 0;
        size_t length = Utf8At(svg, i, &point);
        ASSERT_TRUE(length && (point >= 0x20 || point == '\n')) << "at " << i;
        i += length;
    }
}

} // namespace
