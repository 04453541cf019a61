#include "survey/survey.h"

// The survey's own rule for one row, where nothing is expected of it.
static Outcome PlainOutcome(const Row &row, bool strict)
{
    static const Outcome byStatus[] = {OUTCOME_PASSED, OUTCOME_FAILED, OUTCOME_UNJUDGED};
    return byStatus[SurveyStatus({row}, strict)];
}

int CompareWithExpected(std::vector<Row> *rows, const Expectations &expectations, bool strict)
{
    std::vector<Outcome> outcomes;
    for (Row &row : *rows) {
        auto expected = expectations.find(row.kind);
        row.expected = expected == expectations.end() ? "" : expected->second;
        row.comparison = Compare(VerdictName(row.verdict), row.expected, PlainOutcome(row, strict));
        outcomes.push_back(row.comparison.outcome);
    }
    return StatusOf(outcomes, false, 2);
}
