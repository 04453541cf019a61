// The timeline's rules: naming the recorded windows, finding the release
// and the landmarks, and saying it in one sentence. Pure, so that they are
// tested on fixed records without windows.
#include "survey/timeline.h"

#include <stdio.h>

static const WindowFacts *FactsOf(const RawTimeline &raw, HWND hwnd)
{
    for (const WindowFacts &facts : raw.windows)
        if (facts.hwnd == hwnd)
            return &facts;
    return NULL;
}

// A window that is, or stands inside, a top-level window the main window
// owns belongs to the modal: the survey's own windows own nothing else.
static Role RoleOf(const RawTimeline &raw, HWND hwnd, std::string *className)
{
    if (!hwnd)
        return ROLE_THREAD;
    if (hwnd == raw.holder)
        return ROLE_HOLDER;
    if (hwnd == raw.main)
        return ROLE_MAIN;
    const WindowFacts *facts = FactsOf(raw, hwnd);
    *className = facts ? facts->className : "";
    if (!facts || !raw.main || facts->rootOwner != raw.main)
        return ROLE_OTHER;
    if (facts->root != hwnd)
        return ROLE_MODAL_CHILD;
    className->clear();
    return ROLE_MODAL;
}

static Holder CaptureOf(const RawTimeline &raw, HWND hwnd)
{
    Holder holder;
    holder.kind = !hwnd ? HOLDER_NOBODY : hwnd == raw.holder ? HOLDER_OURS : HOLDER_OTHER;
    const WindowFacts *facts = FactsOf(raw, hwnd);
    if (holder.kind == HOLDER_OTHER && facts)
        holder.className = facts->className;
    return holder;
}

std::vector<Record> NameRecords(const RawTimeline &raw)
{
    std::vector<Record> records;
    records.reserve(raw.records.size());
    for (const RawRecord &from : raw.records) {
        Record record;
        record.sequence = from.sequence;
        record.posted = from.posted;
        record.message = from.message;
        record.wParam = from.wParam;
        record.code = from.code;
        record.role = RoleOf(raw, from.target, &record.targetClass);
        record.capture = CaptureOf(raw, from.capture);
        records.push_back(record);
    }
    return records;
}

static bool IsSentTo(const Record &record, UINT message, Role role)
{
    return !record.posted && record.message == message && record.role == role;
}

// A posted WM_CANCELMODE cancels as well as a sent one, once it is dispatched.
static bool IsCancelToHolder(const Record &record)
{
    return record.message == WM_CANCELMODE && record.role == ROLE_HOLDER;
}

static ReleaseCause CauseAt(const std::vector<Record> &records, size_t at)
{
    if (records[at].capture.kind == HOLDER_OTHER)
        return RELEASE_TAKEN;
    if (at > 0 && IsCancelToHolder(records[at - 1]))
        return RELEASE_CANCEL_MODE;
    if (IsSentTo(records[at], WM_CAPTURECHANGED, ROLE_HOLDER))
        return RELEASE_CAPTURE_CHANGED;
    return RELEASE_UNSEEN;
}

// The capture is read as each message arrives, before the window handles
// it: a WM_CANCELMODE still sees the holder, and the WM_CAPTURECHANGED it
// causes is the first record without it.
Release FindRelease(const std::vector<Record> &records, unsigned long dropped, const Holder &after)
{
    Release release;
    for (size_t i = 0; i < records.size(); i++) {
        if (records[i].capture.kind == HOLDER_OURS)
            continue;
        release.at = release.by = i;
        release.cause = CauseAt(records, i);
        if (release.cause == RELEASE_CANCEL_MODE)
            release.by = i - 1;
        if (release.cause == RELEASE_TAKEN)
            release.className = records[i].capture.className;
        return release;
    }
    release.cause = dropped ? RELEASE_NOT_RECORDED : after.kind == HOLDER_OURS ? RELEASE_NEVER : RELEASE_AFTER;
    return release;
}

static bool IsCommonDialogNotification(UINT code)
{
    return code <= (UINT)CDN_FIRST && code >= (UINT)CDN_LAST;
}

static bool InModal(const Record &record)
{
    return record.role == ROLE_MODAL || record.role == ROLE_MODAL_CHILD;
}

// The landmark a record is, if any; `seen` says which single ones came already.
static bool LandmarkAt(const Record &r, const bool seen[], LandmarkKind *kind)
{
    if (r.posted)
        return false;
    const struct {
        LandmarkKind kind;
        bool is;
    } rules[] = {
        {MARK_INIT_DIALOG, r.message == WM_INITDIALOG && r.role == ROLE_MODAL},
        {MARK_INIT_MENU, r.message == WM_INITMENUPOPUP},
        {MARK_NOTIFY, r.message == WM_NOTIFY && InModal(r) && IsCommonDialogNotification(r.code)},
        {MARK_CTLCOLOR, r.message == WM_CTLCOLORDLG && InModal(r)},
        {MARK_SHOWN, r.message == WM_SHOWWINDOW && r.role == ROLE_MODAL && r.wParam},
        {MARK_ENTER_IDLE, r.message == WM_ENTERIDLE},
    };
    for (const auto &rule : rules) {
        if (rule.is && (rule.kind == MARK_NOTIFY || !seen[rule.kind])) {
            *kind = rule.kind;
            return true;
        }
    }
    return false;
}

// The modal's end is its last WM_DESTROY: a box the platform showed on
// the way is destroyed before it.
static void AddEnd(const std::vector<Record> &records, std::vector<Landmark> *landmarks)
{
    for (size_t i = records.size(); i-- > 0;) {
        if (IsSentTo(records[i], WM_DESTROY, ROLE_MODAL)) {
            landmarks->push_back({MARK_END, i, 1, 0});
            return;
        }
    }
}

std::vector<Landmark> FindLandmarks(const std::vector<Record> &records)
{
    std::vector<Landmark> landmarks;
    bool seen[MARK_END + 1] = {false};
    int notifications = 0;
    for (size_t i = 0; i < records.size(); i++) {
        LandmarkKind kind;
        if (!LandmarkAt(records[i], seen, &kind))
            continue;
        seen[kind] = true;
        int ordinal = kind == MARK_NOTIFY ? ++notifications : 1;
        landmarks.push_back({kind, i, ordinal, kind == MARK_NOTIFY ? records[i].code : 0});
    }
    AddEnd(records, &landmarks);
    return landmarks;
}

static const Landmark *First(const std::vector<Landmark> &landmarks, LandmarkKind kind)
{
    for (const Landmark &landmark : landmarks)
        if (landmark.kind == kind)
            return &landmark;
    return NULL;
}

// The modal runs from its WM_SHOWWINDOW, or, for one that is never shown
// that way, from its loop's first idle message.
Phase PhaseOf(const Release &release, const std::vector<Landmark> &landmarks)
{
    if (release.cause >= RELEASE_AFTER)
        return PHASE_UNKNOWN;
    const Landmark *end = First(landmarks, MARK_END);
    const Landmark *running = First(landmarks, MARK_SHOWN);
    if (!running)
        running = First(landmarks, MARK_ENTER_IDLE);
    const Landmark *init = First(landmarks, MARK_INIT_DIALOG);
    if (!init)
        init = First(landmarks, MARK_INIT_MENU);
    if (end && release.by > end->at)
        return PHASE_AFTER_END;
    if (running && release.by > running->at)
        return PHASE_RUNNING;
    if (init && release.by < init->at)
        return PHASE_BEFORE_INIT;
    return init && running ? PHASE_INIT : PHASE_UNKNOWN;
}

static std::string Ordinal(int n)
{
    static const char *const words[] = {"first", "second", "third", "fourth", "fifth",
                                        "sixth", "seventh", "eighth", "ninth", "tenth"};
    if (n >= 1 && n <= 10)
        return words[n - 1];
    static const char *const suffixes[] = {"th", "st", "nd", "rd"};
    int last = n % 10, tens = n / 10 % 10;
    return std::to_string(n) + suffixes[tens == 1 || last > 3 ? 0 : last];
}

// How the sentence names a landmark.
static std::string Reference(const Landmark &landmark)
{
    switch (landmark.kind) {
    case MARK_INIT_DIALOG:
        return "its WM_INITDIALOG";
    case MARK_INIT_MENU:
        return "WM_INITMENUPOPUP";
    case MARK_NOTIFY:
        return "its " + Ordinal(landmark.ordinal) + " WM_NOTIFY (" + NotifyName(landmark.code) + ")";
    case MARK_CTLCOLOR:
        return "its first WM_CTLCOLORDLG";
    case MARK_SHOWN:
        return "its WM_SHOWWINDOW";
    case MARK_ENTER_IDLE:
        return "the first WM_ENTERIDLE";
    case MARK_END:
        break;
    }
    return "its end (WM_DESTROY)";
}

static std::string Messages(unsigned long count)
{
    return std::to_string(count) + (count == 1 ? " message" : " messages");
}

// "1 message after X and 2 before Y", from the nearest landmarks on each side.
static std::string Between(const Release &release, const std::vector<Landmark> &landmarks,
                           const std::vector<Record> &records)
{
    const Landmark *before = NULL, *after = NULL;
    for (const Landmark &landmark : landmarks) {
        if (landmark.at < release.by && (!before || landmark.at >= before->at))
            before = &landmark;
        if (landmark.at > release.by && (!after || landmark.at < after->at))
            after = &landmark;
    }
    unsigned long at = records[release.by].sequence;
    std::string text;
    if (before)
        text = Messages(at - records[before->at].sequence) + " after " + Reference(*before);
    if (after)
        text += (before ? " and " + std::to_string(records[after->at].sequence - at) + " before "
                        : Messages(records[after->at].sequence - at) + " before ") +
                Reference(*after);
    return text;
}

static std::string How(const Release &release, const std::vector<Record> &records)
{
    switch (release.cause) {
    case RELEASE_CANCEL_MODE:
        return "released by WM_CANCELMODE to the holder";
    case RELEASE_CAPTURE_CHANGED:
        return "released by WM_CAPTURECHANGED alone, with no cancel before it";
    case RELEASE_TAKEN:
        return "taken by " + (release.className.empty() ? std::string("a window of no known class")
                                                         : release.className);
    default:
        break;
    }
    return "gone at " + MessageName(records[release.at].message) + ", with no message to the holder";
}

std::string Sentence(const std::string &title, const Release &release,
                     const std::vector<Landmark> &landmarks, const std::vector<Record> &records)
{
    switch (release.cause) {
    case RELEASE_NEVER:
        return title + ": never released, not even after the modal returned";
    case RELEASE_AFTER:
        return title + ": never released while the modal ran; free once it returned";
    case RELEASE_NOT_RECORDED:
        return title + ": not released within the " + Messages(records.size()) +
               " recorded; the later ones were not kept";
    default:
        break;
    }
    static const char *const phases[] = {"", ": before its initialisation", ": during initialisation",
                                         ": while it ran", ": after its end"};
    std::string between = Between(release, landmarks, records);
    return title + ": " + How(release, records) + (between.empty() ? "" : ", " + between) +
           phases[PhaseOf(release, landmarks)];
}

Timeline MakeTimeline(const RawTimeline &raw, const std::string &title, const Holder &after)
{
    Timeline timeline;
    timeline.recorded = raw.recorded && raw.error.empty();
    timeline.error = raw.error;
    if (!timeline.recorded)
        return timeline;
    timeline.records = NameRecords(raw);
    timeline.dropped = raw.dropped;
    timeline.release = FindRelease(timeline.records, raw.dropped, after);
    timeline.landmarks = FindLandmarks(timeline.records);
    timeline.sentence = Sentence(title, timeline.release, timeline.landmarks, timeline.records);
    return timeline;
}

// Names.

static std::string HexName(UINT value, int digits)
{
    char text[16];
    snprintf(text, sizeof(text), "0x%0*x", digits, value);
    return text;
}

std::string MessageName(UINT message)
{
    static const struct {
        UINT message;
        const char *name;
    } names[] = {
#define M(name) {name, #name}
        M(WM_NULL), M(WM_CREATE), M(WM_DESTROY), M(WM_MOVE), M(WM_SIZE), M(WM_ACTIVATE),
        M(WM_SETFOCUS), M(WM_KILLFOCUS), M(WM_ENABLE), M(WM_SETREDRAW), M(WM_SETTEXT),
        M(WM_GETTEXT), M(WM_GETTEXTLENGTH), M(WM_PAINT), M(WM_CLOSE), M(WM_ERASEBKGND),
        M(WM_SHOWWINDOW), M(WM_ACTIVATEAPP), M(WM_CANCELMODE), M(WM_SETCURSOR),
        M(WM_MOUSEACTIVATE), M(WM_CHILDACTIVATE), M(WM_GETMINMAXINFO), M(WM_NEXTDLGCTL),
        M(WM_DRAWITEM), M(WM_MEASUREITEM), M(WM_SETFONT), M(WM_GETFONT),
        M(WM_WINDOWPOSCHANGING), M(WM_WINDOWPOSCHANGED), M(WM_NOTIFY), M(WM_NOTIFYFORMAT),
        M(WM_STYLECHANGING), M(WM_STYLECHANGED), M(WM_GETICON), M(WM_SETICON), M(WM_NCCREATE),
        M(WM_NCDESTROY), M(WM_NCCALCSIZE), M(WM_NCHITTEST), M(WM_NCPAINT), M(WM_NCACTIVATE),
        M(WM_GETDLGCODE), M(WM_NCMOUSEMOVE), M(WM_KEYDOWN), M(WM_KEYUP), M(WM_CHAR),
        M(WM_INITDIALOG), M(WM_COMMAND), M(WM_SYSCOMMAND), M(WM_TIMER), M(WM_INITMENU),
        M(WM_INITMENUPOPUP), M(WM_MENUSELECT), M(WM_ENTERIDLE), M(WM_UNINITMENUPOPUP),
        M(WM_CHANGEUISTATE), M(WM_UPDATEUISTATE), M(WM_QUERYUISTATE), M(WM_CTLCOLOREDIT),
        M(WM_CTLCOLORLISTBOX), M(WM_CTLCOLORBTN), M(WM_CTLCOLORDLG), M(WM_CTLCOLORSTATIC),
        M(WM_MOUSEMOVE), M(WM_LBUTTONDOWN), M(WM_LBUTTONUP), M(WM_PARENTNOTIFY),
        M(WM_ENTERMENULOOP), M(WM_EXITMENULOOP), M(WM_CAPTURECHANGED), M(WM_IME_SETCONTEXT),
        M(WM_IME_NOTIFY), M(WM_MOUSELEAVE), M(WM_PRINTCLIENT),
#undef M
    };
    for (const auto &known : names)
        if (known.message == message)
            return known.name;
    return HexName(message, 4);
}

std::string NotifyName(UINT code)
{
    static const char *const names[] = {"CDN_INITDONE", "CDN_SELCHANGE",  "CDN_FOLDERCHANGE",
                                        "CDN_SHAREVIOLATION", "CDN_HELP", "CDN_FILEOK",
                                        "CDN_TYPECHANGE", "CDN_INCLUDEITEM"};
    UINT index = (UINT)CDN_FIRST - code;
    return index < sizeof(names) / sizeof(names[0]) ? names[index] : HexName(code, 8);
}

std::string LandmarkName(const Landmark &landmark)
{
    static const char *const messages[] = {"WM_INITDIALOG", "WM_INITMENUPOPUP", "WM_NOTIFY",
                                           "WM_CTLCOLORDLG", "WM_SHOWWINDOW", "WM_ENTERIDLE",
                                           "WM_DESTROY"};
    std::string name = messages[landmark.kind];
    return landmark.kind == MARK_NOTIFY ? name + " (" + NotifyName(landmark.code) + ")" : name;
}

const char *RoleName(Role role)
{
    static const char *const names[] = {"thread", "holder", "main", "modal", "modal_child", "other"};
    return names[role];
}

const char *ReleaseCauseName(ReleaseCause cause)
{
    static const char *const names[] = {"cancel_mode", "capture_changed", "taken",       "unseen",
                                        "after",       "never",           "not_recorded"};
    return names[cause];
}

const char *PhaseName(Phase phase)
{
    static const char *const names[] = {"unknown", "before_init", "init", "running", "after_end"};
    return names[phase];
}
