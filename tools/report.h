// The checker's verdict, in each of the forms it is read in: text for
// people, JSON, TAP and JUnit XML for CI.
#ifndef TOOLS_REPORT_H
#define TOOLS_REPORT_H

#include "tools/checkrun.h"
#include "tools/options.h"
#include "tools/provenance.h"
#include "tools/verdict.h"

#include <string>

struct Report {
    const Options &options;
    const Run &run;
    const Judgement &judgement;
    const Provenance &provenance;
    int status;
};

std::string TextReport(const Report &report);
std::string JsonReport(const Report &report);
std::string TapReport(const Report &report);
std::string JUnitReport(const Report &report);

#endif
