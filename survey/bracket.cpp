// The bracket around one modal: the holder takes the capture, the modal
// runs, the checkpoints record who holds the capture, the modal is closed
// once its loop runs, and the capture is released.
#include "survey/survey.h"
#include "survey/guard.h"

// A modal loop that dispatches timers runs this soon after it starts, and
// again every so often until the modal is running.
enum { RUNNING_TIMER_MS = 200 };
enum { SETTLE_MS = 100 };

static Row *g_row; // the row being recorded, NULL outside a bracket
static UINT_PTR g_runningTimer;

Holder CurrentHolder()
{
    Holder holder;
    HWND hwnd = GetCapture();
    holder.kind = !hwnd ? HOLDER_NOBODY : hwnd == g_surveyHolder ? HOLDER_OURS : HOLDER_OTHER;
    if (holder.kind == HOLDER_OTHER) {
        char name[64] = "";
        GetClassNameA(hwnd, name, sizeof(name));
        holder.className = name;
    }
    return holder;
}

void NoteInit()
{
    if (g_row && g_row->init.kind == HOLDER_UNSEEN)
        g_row->init = CurrentHolder();
}

// A loop that runs before the modal's initialisation is the platform's
// own box (a warning, an error) shown on the way: it is closed, named, and
// the modal's own loop is waited for.
static void CloseBoxBeforeInit()
{
    HWND box = VisibleDialogOf(GetCurrentThreadId());
    if (!box)
        return;
    if (g_row->box.empty()) {
        char title[128] = "";
        GetWindowTextA(box, title, sizeof(title));
        g_row->box = title[0] ? title : "(untitled)";
    }
    PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
}

void NoteRunning()
{
    if (!g_row || g_row->running.kind != HOLDER_UNSEEN)
        return;
    if (g_row->init.kind == HOLDER_UNSEEN) {
        CloseBoxBeforeInit();
        return;
    }
    g_row->running = CurrentHolder();
    KillTimer(NULL, g_runningTimer);
    CloseModalsOf(GetCurrentThreadId());
}

static void CALLBACK RunningTimerProc(HWND, UINT, UINT_PTR, DWORD)
{
    NoteRunning();
}

// Closing a modal leaves focus changes on their way from the display; one
// that arrives while the next modal runs cancels a menu. They are let in
// first: the queue is emptied until it stays quiet for a moment.
static void Settle()
{
    MSG msg;
    do {
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    } while (MsgWaitForMultipleObjects(0, NULL, FALSE, SETTLE_MS, QS_ALLINPUT) != WAIT_TIMEOUT);
}

Row RunBracket(const Kind &kind, UINT limitMs, bool timeline)
{
    Settle();
    Row row;
    row.kind = kind.name;
    g_row = &row;
    SetCapture(g_surveyHolder);
    g_runningTimer = SetTimer(NULL, 0, RUNNING_TIMER_MS, RunningTimerProc);
    StartGuard(row, limitMs);
    if (timeline)
        StartRecording(TIMELINE_LIMIT);
    row.error = kind.run(g_surveyMain);
    RawTimeline raw = timeline ? StopRecording(g_surveyHolder, g_surveyMain) : RawTimeline();
    row.guarded = StopGuard();
    KillTimer(NULL, g_runningTimer);
    row.after = CurrentHolder();
    g_row = NULL;
    ReleaseCapture();
    row.verdict = Judge(row);
    if (timeline)
        row.timeline = MakeTimeline(raw, kind.title ? kind.title : kind.name, row.after);
    return row;
}
