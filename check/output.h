// Every report of one run written where it was asked for: the report
// files, then standard output. They tell one story: a report that cannot
// be written is the run's error, and every other report says so too.
#ifndef CHECK_OUTPUT_H
#define CHECK_OUTPUT_H

#include "check/report.h"

std::string Render(OutputFormat format, const Report &report);

// A report that cannot be written adds its error to the run's and makes
// the status the unjudged one.
void WriteReports(Report *report, Run *run);

#endif
