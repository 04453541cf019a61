// The recording hooks: every message the thread sends or takes from its
// queue, with who held the capture then. The hooks gather handles only,
// plus what must be read while a window lives; naming comes afterwards.
#include "survey/timeline.h"

#include <utility>

enum { MAX_WINDOWS = 512 };

static RawTimeline g_raw;
static size_t g_limit;
static unsigned long g_sequence;
static HHOOK g_sentHook, g_postedHook;

static bool Known(HWND hwnd)
{
    for (const WindowFacts &facts : g_raw.windows)
        if (facts.hwnd == hwnd)
            return true;
    return false;
}

// Once per window, at its first message: its class and where it stands,
// which are set before a window gets its first message.
static void NoteWindow(HWND hwnd)
{
    if (!hwnd || g_raw.windows.size() >= MAX_WINDOWS || Known(hwnd))
        return;
    char name[128] = "";
    GetClassNameA(hwnd, name, sizeof(name));
    WindowFacts facts{};
    facts.hwnd = hwnd;
    facts.className = name;
    facts.root = GetAncestor(hwnd, GA_ROOT);
    facts.rootOwner = facts.root ? GetWindow(facts.root, GW_OWNER) : NULL;
    g_raw.windows.push_back(facts);
}

static void Note(bool posted, HWND target, UINT message, WPARAM wParam, LPARAM lParam)
{
    unsigned long sequence = g_sequence++;
    if (g_raw.records.size() >= g_limit) {
        g_raw.dropped++;
        return;
    }
    RawRecord record;
    ZeroMemory(&record, sizeof(record));
    record.sequence = sequence;
    record.posted = posted;
    record.message = message;
    record.wParam = wParam;
    // The notification's header lives only while it is being sent.
    record.code = message == WM_NOTIFY && !posted && lParam ? ((const NMHDR *)lParam)->code : 0;
    record.target = target;
    record.capture = GetCapture();
    g_raw.records.push_back(record);
    NoteWindow(target);
    NoteWindow(record.capture);
}

static LRESULT CALLBACK SentHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION) {
        const CWPSTRUCT *sent = (const CWPSTRUCT *)lParam;
        Note(false, sent->hwnd, sent->message, sent->wParam, sent->lParam);
    }
    return CallNextHookEx(g_sentHook, code, wParam, lParam);
}

// A message looked at and left in the queue is counted when it is taken.
static LRESULT CALLBACK PostedHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        const MSG *msg = (const MSG *)lParam;
        Note(true, msg->hwnd, msg->message, msg->wParam, msg->lParam);
    }
    return CallNextHookEx(g_postedHook, code, wParam, lParam);
}

void StartRecording(size_t limit)
{
    g_raw = RawTimeline();
    g_raw.recorded = true;
    g_raw.records.reserve(limit);
    g_raw.windows.reserve(MAX_WINDOWS);
    g_limit = limit;
    g_sequence = 0;
    g_sentHook = SetWindowsHookExA(WH_CALLWNDPROC, SentHook, NULL, GetCurrentThreadId());
    DWORD sentError = g_sentHook ? 0 : GetLastError();
    g_postedHook = SetWindowsHookExA(WH_GETMESSAGE, PostedHook, NULL, GetCurrentThreadId());
    DWORD postedError = g_postedHook ? 0 : GetLastError();
    // Half a timeline would read as messages that never came.
    if (sentError || postedError)
        g_raw.error = "the message hooks could not be set (error " +
                      std::to_string(sentError ? sentError : postedError) + ")";
}

RawTimeline StopRecording(HWND holder, HWND main)
{
    if (g_sentHook)
        UnhookWindowsHookEx(g_sentHook);
    if (g_postedHook)
        UnhookWindowsHookEx(g_postedHook);
    g_sentHook = g_postedHook = NULL;
    RawTimeline raw = std::move(g_raw);
    g_raw = RawTimeline();
    raw.holder = holder;
    raw.main = main;
    return raw;
}
