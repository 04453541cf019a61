// The timeline of one modal: every message its thread sent or posted while
// the modal ran, who held the capture at each, and when and how the
// holder lost it.
#ifndef SURVEY_TIMELINE_H
#define SURVEY_TIMELINE_H

#include "survey/platform.h"

#include <string>
#include <vector>

// Who held the capture at one moment.
enum HolderKind { HOLDER_UNSEEN, HOLDER_NOBODY, HOLDER_OURS, HOLDER_OTHER };
struct Holder {
    HolderKind kind = HOLDER_UNSEEN; // unseen: the moment never came
    std::string className;           // for another window
};

// What the hooks gather, raw: handles, to be named afterwards.
struct RawRecord {
    unsigned long sequence; // counts dropped records too
    bool posted;            // false: sent
    UINT message;
    WPARAM wParam;
    UINT code;              // a WM_NOTIFY's notification code
    HWND target;            // NULL for a message to the thread
    HWND capture;
};

// What is known of a window, taken when the hooks first see it, since it
// may be gone by the time the records are named.
struct WindowFacts {
    HWND hwnd;
    std::string className;
    HWND root;      // its top-level window (itself for one)
    HWND rootOwner; // the owner of that top-level window
};

struct RawTimeline {
    bool recorded = false;
    std::string error;         // why there is no timeline, for people
    std::vector<RawRecord> records;
    std::vector<WindowFacts> windows;
    unsigned long dropped = 0; // records past the limit
    HWND holder = NULL, main = NULL;
};

// Recording, on the calling thread (recorder.cpp).
void StartRecording(size_t limit);
RawTimeline StopRecording(HWND holder, HWND main);
enum { TIMELINE_LIMIT = 20000 };

// The role of a message's target window.
enum Role { ROLE_THREAD, ROLE_HOLDER, ROLE_MAIN, ROLE_MODAL, ROLE_MODAL_CHILD, ROLE_OTHER };

// A record, named.
struct Record {
    unsigned long sequence = 0;
    bool posted = false;
    UINT message = 0;
    WPARAM wParam = 0;
    UINT code = 0;
    Role role = ROLE_THREAD;
    std::string targetClass; // for a child of the modal and another window
    Holder capture;
};

enum ReleaseCause {
    RELEASE_CANCEL_MODE,     // WM_CANCELMODE sent to the holder, then the capture went
    RELEASE_CAPTURE_CHANGED, // WM_CAPTURECHANGED to the holder with no cancel before it
    RELEASE_TAKEN,           // another window took it
    RELEASE_UNSEEN,          // gone, with no message to the holder about it
    RELEASE_AFTER,           // kept while the modal ran, free once it returned
    RELEASE_NEVER,           // kept even after the modal returned
    RELEASE_NOT_RECORDED,    // not among the records kept; some were dropped
};

struct Release {
    ReleaseCause cause = RELEASE_NEVER;
    size_t at = 0;           // the first record without the holder's capture
    size_t by = 0;           // the record that did it: the WM_CANCELMODE, or `at`
    std::string className;   // the window that took it
};

enum LandmarkKind {
    MARK_INIT_DIALOG,   // the modal's WM_INITDIALOG
    MARK_INIT_MENU,     // WM_INITMENUPOPUP, a menu's initialisation
    MARK_NOTIFY,        // a common dialog notification (CDN_*) to the modal or a child
    MARK_CTLCOLOR,      // the first WM_CTLCOLORDLG
    MARK_SHOWN,         // the modal's first WM_SHOWWINDOW that shows it
    MARK_ENTER_IDLE,    // the first WM_ENTERIDLE
    MARK_END,           // the modal's WM_DESTROY, the last one
};

struct Landmark {
    LandmarkKind kind;
    size_t at;       // record index
    int ordinal;     // the nth of its kind: notifications are counted
    UINT code;       // a notification's code
};

struct Timeline {
    bool recorded = false;
    std::string error;
    std::vector<Record> records;
    unsigned long dropped = 0;
    Release release;
    std::vector<Landmark> landmarks; // in record order
    std::string sentence;
};

// The pure rules (timeline.cpp).
std::vector<Record> NameRecords(const RawTimeline &raw);
Release FindRelease(const std::vector<Record> &records, unsigned long dropped, const Holder &after);
std::vector<Landmark> FindLandmarks(const std::vector<Record> &records);
enum Phase { PHASE_UNKNOWN, PHASE_BEFORE_INIT, PHASE_INIT, PHASE_RUNNING, PHASE_AFTER_END };
Phase PhaseOf(const Release &release, const std::vector<Landmark> &landmarks);
std::string Sentence(const std::string &title, const Release &release,
                     const std::vector<Landmark> &landmarks, const std::vector<Record> &records);
Timeline MakeTimeline(const RawTimeline &raw, const std::string &title, const Holder &after);

// Names (timeline.cpp): "WM_CANCELMODE", else "0x0401"; "CDN_SELCHANGE", else hex.
std::string MessageName(UINT message);
std::string NotifyName(UINT code);
std::string LandmarkName(const Landmark &landmark);   // "WM_NOTIFY (CDN_SELCHANGE)"
const char *RoleName(Role role);
const char *ReleaseCauseName(ReleaseCause cause);
const char *PhaseName(Phase phase);
const char *HolderName(HolderKind kind);

// Output (timeline_json.cpp, timeline_svg.cpp). Every name from the
// platform is escaped for its reader.
std::string TimelineJson(const Timeline &timeline);
struct Lane {
    std::string kind;
    const Timeline *timeline;
};
std::string TimelineSvg(const std::vector<Lane> &lanes, const std::string &heading);

#endif
