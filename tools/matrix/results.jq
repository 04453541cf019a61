# What the matrix's reports share: the words for verdicts and holders, a
# cell's results by name, and text made safe to print. Every string here
# comes from the programs under test, so none is printed unescaped.

# Control and format characters (escapes, bidi overrides) would act on the
# terminal; a "|" would split a Markdown cell.
def safe: tostring | gsub("[\\p{Cc}\\p{Cf}]"; "?");
def safe_cell: safe | gsub("\\|"; "\\|");

def verdict_text: {"released": "released", "held": "HELD", "not_judged": "not judged"}[. // ""] // "?";

# "holder", "nobody", "other CLASS", or "-" where the checkpoint never came.
def holder_text: if . == null then "-" else .holder + (if .class == null then "" else " " + .class end) end;
def holders_text: [.init, .running, .after] | map(holder_text) | join(" → ");

def cell_name: "\(.release), \(.bitness)-bit, \(.config)";

# A cell is skipped (not tried, and why), an error (it ran and gave no
# verdict) or ran. A skipped cell is no result, so it changes nothing.
def state:
    if (.skipped // null) != null then "skipped"
    elif (.reason // null) != null or .check == null or (has("survey") and .survey == null) then "error"
    else "ran" end;

# Why a cell that is no result has none.
def why_not: if state == "skipped" then .skipped else [.reason, .surveyReason] | map(values) | join("; ") end;

# A cell's results as [name, verdict] pairs: the two dialogs, then each
# survey kind, in the order the programs gave them.
def results:
    if state == "skipped" then [] else
    (if .check == null then [] else
        [["Open dialog", (.check.openFile.verdict | verdict_text)],
         ["Font dialog", (.check.chooseFont.verdict | verdict_text)]] end)
    + (if (.survey // null) == null then [] else
        [.survey.kinds[]? | ["survey \(.kind)", (.verdict // "?")]] end)
    | map(map(safe)) end;

# How a survey kind's timeline says the holder lost the capture, such as
# "released by WM_CANCELMODE during initialisation".
def release_text:
    ({cancel_mode: "released by WM_CANCELMODE", capture_changed: "released by WM_CAPTURECHANGED alone",
      taken: "taken by \(.class // "a window of no known class")", unseen: "released with no message to the holder",
      after: "never released while it ran", never: "never released",
      not_recorded: "not released within the messages recorded"}[.cause // ""] // "?")
    + ({before_init: " before its initialisation", init: " during initialisation", running: " while it ran",
        after_end: " after its end"}[.phase // ""] // "");

# A cell's releases as ["survey KIND release", how] pairs, for each survey
# kind with a timeline (survey.exe --timeline). Named by the kind, as its
# verdict is: a kind's title can be a checker's result's name.
def releases:
    if state == "skipped" or (.survey // null) == null then [] else
    [.survey.kinds[]? | select((.timeline.release? | type) == "object")
     | ["survey \(.kind) release", (.timeline.release | release_text)]]
    | map(map(safe)) end;

# One value for many cells: the value when they agree, else each value with
# its count, in a fixed order.
def summary: unique as $values
    | if ($values | length) == 1 then $values[0]
      else . as $all | "mixed: " + ($values | map(. as $v | "\($v) ×\($all | map(select(. == $v)) | length)") | join(", ")) end;

# A version's name with the platform it ran, such as "Debian 11 (5.0.3)".
def version_name($cells): .release as $release
    | ([$cells[] | select(.release == $release) | .check.platform.version // empty] | first) as $platform
    | if $platform == null then $release
      elif $release | endswith(")") then $release[:-1] + ", \($platform))"
      else $release + " (\($platform))" end
    | safe;
