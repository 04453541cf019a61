// The log pane: the program's only output.
#include "app/app.h"

#include <stdlib.h>
#include <string.h>

// One character more than the pane keeps, for the terminating null, and one
// more still: the caret position handed to EM_SETSEL lies past the end.
enum { LOG_BUFFER_SIZE = LOG_CAPACITY + 2 };

static size_t Smaller(size_t x, size_t y)
{
    return x < y ? x : y;
}

void AppendLog(const char *text)
{
    if (!g_hwndLog)
        return;
    size_t oldLength = (size_t)GetWindowTextLengthA(g_hwndLog);
    size_t pieceLength = strlen(text);
    size_t size = Smaller(oldLength + pieceLength + 1, LOG_BUFFER_SIZE);

    // The user can type more into the pane than the program ever writes;
    // such a pane is read whole, so that its newest characters can be kept.
    size_t capacity = oldLength < LOG_BUFFER_SIZE ? size : oldLength + 1;
    char *buffer = (char *)malloc(capacity);
    if (!buffer)
        return;
    buffer[0] = '\0';
    GetWindowTextA(g_hwndLog, buffer, (int)capacity);
    size_t copied = strnlen(buffer, capacity - 1);

    // Keep the newest LOG_CAPACITY characters of the old text and the piece.
    size_t pieceKept = Smaller(pieceLength, LOG_CAPACITY);
    size_t oldKept = Smaller(copied, LOG_CAPACITY - pieceKept);
    memmove(buffer, buffer + copied - oldKept, oldKept);
    memcpy(buffer + oldKept, text + pieceLength - pieceKept, pieceKept + 1);

    SetWindowTextA(g_hwndLog, buffer);
    SendMessageA(g_hwndLog, EM_SETSEL, size, size);
    free(buffer);
}
