// The survey's door to the platform: the program's own boundary, plus the
// shell's folder browser, which TEST.exe does not need.
#ifndef SURVEY_PLATFORM_H
#define SURVEY_PLATFORM_H

#include "platform/platform.h"
#include <shlobj.h>

#endif
