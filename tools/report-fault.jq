# Why a checker's or the survey's JSON report (slurped: an array of the
# values in the file) is not a judgement of a run that ended with $status,
# or nothing when it is one. $program: check or survey.
def verdicts: if $program == "check" then ["released", "held", "not_judged"]
              else ["released", "released_late", "held", "taken", "not_shown", "not_judged"] end;
def known: . as $v | verdicts | index([$v]) != null;
def counted: {open: ["openFile"], font: ["chooseFont"], both: ["openFile", "chooseFont"]}[.probe // ""];
def said: if (.error | type) == "string" then "; it said: \(.error)" else "" end;

if length != 1 or (.[0] | type) != "object" then "its report is not one JSON object"
else .[0] |
    if $program == "check" and ((.checker | type) != "string" or .checker == "") then "its report names no checker\(said)"
    elif $program == "survey" and .survey != 1 then "its report is not the survey's\(said)"
    elif (.platform.name | type) != "string" or (.platform.version | type) != "string" then "its report names no platform\(said)"
    elif .status != $status then "its report says status \(.status | tojson), and it ended with \($status)\(said)"
    elif $program == "check" then
        if counted == null then "its report names no probe\(said)"
        else [counted[] as $p | select(.[$p].verdict | known | not) | $p] as $missing
            | if $missing != [] then "its report gives no verdict for \($missing | join(" and "))\(said)" else empty end
        end
    elif (.kinds | type) != "array" or .kinds == [] then "its report holds no kinds\(said)"
    elif any(.kinds[]; .verdict | known | not) then "its report gives a kind no verdict\(said)"
    else empty end
end
