# Whether a program's JSON report holds a real judgement. The report comes
# from the program under test's platform, so nothing in it is trusted: a
# run that printed braces, an empty object or "not judged" is no verdict.
include "results";

# The probes whose verdicts the checker counts, by its "probe" member.
def counted_probes:
    {"both": [["openFile", "Open dialog"], ["chooseFont", "Font dialog"]],
     "open": [["openFile", "Open dialog"]], "font": [["chooseFont", "Font dialog"]]}[.probe | strings] // null;

def named: type == "string" and . != "";

# check_fault: null for a real judgement, else what it lacks.
def check_fault:
    if type != "object" then "its report is not a JSON object"
    elif (.checker | named | not) then "its report names no checker"
    elif (.platform | type != "object" or (.name | named | not) or (.version | named | not)) then "its report names no platform"
    elif counted_probes == null then "its report names no probe that counts"
    else . as $report
        | [counted_probes[] as [$member, $title]
           | ($report[$member] | if type == "object" then . else {} end) as $probe
           | select($probe.verdict != "released" and $probe.verdict != "held")
           | "\($title) \($probe.verdict | verdict_text)" + (if $probe.reason | named then " (\($probe.reason))" else "" end)]
        | if length > 0 then join(", ") + (if $report.error | named then "; \($report.error)" else "" end)
          # A run that failed (TEST.exe's exit code, say) measured nothing
          # to be trusted, whatever its verdicts.
          elif $report.error | named then "its run failed: \($report.error)"
          else null end
    end;

# survey_fault: the same for the survey's report: every kind judged.
def survey_fault:
    if type != "object" then "its report is not a JSON object"
    elif (.survey | type != "string" and type != "number") then "its report names no survey"
    elif (.platform | type != "object" or (.name | named | not) or (.version | named | not)) then "its report names no platform"
    elif (.kinds | type != "array" or length == 0) then "its report holds no kind"
    else [.kinds[] | select(type != "object" or (.verdict | named | not)) | (.kind? // "?" | tostring) + " has no verdict"]
        | if length == 0 then null else join(", ") end
    end;
