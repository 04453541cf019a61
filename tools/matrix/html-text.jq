# Text from the programs under test or the platform, made safe inside HTML
# and XML, in text and in quoted attributes alike.
include "results";

# Long text is cut, so that one hostile string cannot make a page huge.
def clip($n): if length > $n then .[:$n] + "…" else . end;

# Control and format characters (terminal escapes, direction overrides)
# show as "?" as in the other reports; noncharacters, which XML refuses and
# HTML reports, as U+FFFD; invalid UTF-8 jq has already made U+FFFD.
def h: if . == null then "" else
    safe | explode
    | map(if (. >= 64976 and . <= 65007) or (. % 65536) >= 65534 then 65533 else . end)
    | implode | @html end;

# The same, cut to $n characters first.
def hc($n): if . == null then "" else tostring | clip($n) | h end;
