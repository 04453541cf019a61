# A display that does not answer is named as such, before anything runs.
source "$(dirname "$0")/helpers.sh"
number=399
while [ -e "/tmp/.X11-unix/X$number" ]; do number=$((number + 1)); done
DISPLAY=":$number" expect_run 3 120 "$ROOT/tools/run.sh" --build "$BUILD" --64
expect_said "error: checking the display failed: the display :$number does not answer"
