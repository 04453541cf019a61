// What the stand-ins for TEST.exe show, for the tests that look at it.
#ifndef TESTS_STANDINS_STANDINS_H
#define TESTS_STANDINS_STANDINS_H

// The pane sits in the client area's top left corner, on the class's red
// background, for tests of the picture.
#define STANDIN_BACKGROUND RGB(255, 0, 0)
enum { STANDIN_PANE_WIDTH = 300, STANDIN_PANE_HEIGHT = 200 };

// A dialog title that forges TAP lines and hides text on a terminal.
#define HOSTILE_TITLE "Open\nok 3 - injected\nBail out! \x1b[8mhidden \x1b]0;title\x07\"'\\"

#endif
