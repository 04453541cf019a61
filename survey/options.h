// The survey's command line, in the checker's dialect.
#ifndef SURVEY_OPTIONS_H
#define SURVEY_OPTIONS_H

#include "survey/survey.h"
#include "outside/commandline.h"

struct Options {
    ParseResult result = PARSE_RUN;  // help, version or a usage error
    bool help = false;
    bool json = false;
    bool strict = false;
    UINT limitMs = 20000;            // per modal, before the guard closes it
    std::vector<const Kind *> kinds; // in the order given; all by default
    Expectations expectations;       // from --expect
    std::string expectFile;          // empty for none
    bool timeline = false;           // record every message of each modal
    std::string timelineSvg;         // draw the timelines there; empty for none
    std::string error;               // a usage error, for people
};

Options ParseOptions(const std::vector<std::string> &args);

extern const char USAGE[];

#endif
