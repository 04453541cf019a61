// The checker's verdict, in each of the forms it is read in: text for
// people, JSON, TAP and JUnit XML for CI.
#ifndef CHECK_REPORT_H
#define CHECK_REPORT_H

#include "check/checkrun.h"
#include "check/options.h"
#include "outside/provenance.h"
#include "check/verdict.h"

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
