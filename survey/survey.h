// The capture survey: for each kind of modal loop the platform has, who
// holds the mouse capture at the modal's initialisation, once its loop is
// running, and after it has returned.
#ifndef SURVEY_SURVEY_H
#define SURVEY_SURVEY_H

#include "survey/platform.h"
#include "survey/timeline.h"
#include "outside/expect.h"

#include <string>
#include <vector>

enum Verdict { RELEASED, RELEASED_LATE, HELD, TAKEN, NOT_SHOWN, NOT_JUDGED };

struct Row {
    std::string kind;
    Holder init, running, after;
    DWORD error = 0;       // the call's extended error code, 0 for none
    std::string box;       // title of a box the platform showed before the modal
    bool guarded = false;  // the guard had to close the modal
    Verdict verdict = NOT_JUDGED;
    std::string expected;             // the verdict expected of this kind, empty for none
    Comparison comparison = {OUTCOME_PASSED, ""}; // against it, or by the survey's own rule
    Timeline timeline;                // recorded only when asked for
};

// One kind of modal: runs it owned by the owner window and returns the
// call's extended error code (0 when it ran, or was cancelled).
typedef DWORD (*ModalFunction)(HWND owner);
struct Kind {
    const char *name;
    ModalFunction run;
    const char *title; // for people: "Open dialog (explorer)"; NULL: the name
};
const std::vector<Kind> &AllKinds();
const Kind *FindKind(const std::string &name);

// The program's windows. The main window owns every modal; the hidden
// holder takes the capture before each one.
extern HWND g_surveyMain;
extern HWND g_surveyHolder;
bool CreateSurveyWindows(HINSTANCE instance);
void DestroySurveyWindows();

// The bracket around one modal. limitMs bounds how long it may stay open;
// with a timeline, every message of the modal's thread is recorded too.
Row RunBracket(const Kind &kind, UINT limitMs, bool timeline = false);

// Called from the guard's thread when a modal would not close even after
// the guard's Cancel: the call may never return. NULL: keep waiting.
extern void (*g_onStuckModal)(const Row &row);

// Checkpoints, called from inside the modal; only the first of each counts.
void NoteInit();
void NoteRunning();

// Closes whatever modal is open on the given thread: Cancel for dialogs,
// the end of menu mode for menus. Safe from any thread.
void CloseModalsOf(DWORD threadId);
// The thread's visible dialog window, or NULL.
HWND VisibleDialogOf(DWORD threadId);

Holder CurrentHolder();

// The judgement (judge.cpp): the row's verdict from its checkpoints, and
// the exit status of a survey: 0 nothing held when running, 1 something
// held (strict: or released late), 2 a kind that could not be judged.
Verdict Judge(const Row &row);
int SurveyStatus(const std::vector<Row> &rows, bool strict);

// Output.
std::string HolderText(const Holder &holder);
const char *VerdictName(Verdict verdict);
std::string TableText(const std::vector<Row> &rows);
std::string JsonText(const std::vector<Row> &rows, const std::string &provenanceMembers);

// Compares each row with what is expected of its kind (by the survey's own
// rule where nothing is) and returns the status of them all.
int CompareWithExpected(std::vector<Row> *rows, const Expectations &expectations, bool strict);

#endif
