// The checker's verdict, in each of the forms it is read in: text for
// people, JSON, TAP and JUnit XML for CI. Text from the program under test
// is escaped for each.
#ifndef CHECK_REPORT_H
#define CHECK_REPORT_H

#include "check/checkrun.h"
#include "check/options.h"
#include "check/results.h"
#include "outside/provenance.h"

#include <string>
#include <vector>

struct Report {
    const Options &options;
    const Run &run;
    const std::vector<std::string> &lines; // the log's
    const std::vector<ProbeResult> &probes;
    const Provenance &provenance;
    int status;
};

std::string TextReport(const Report &report);
std::string JsonReport(const Report &report);
std::string TapReport(const Report &report);
std::string JUnitReport(const Report &report);

#endif
