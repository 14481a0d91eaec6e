#!/bin/sh
# Runs the real program in a real X server: a first start in an empty
# settings folder asks for the administrator, a typed name opens the main
# window, and the name is stored. Leaves a screenshot of the main window.
#   first_start.sh PROGRAM SCREENSHOT
# Meant to run under xvfb-run.
set -eu
program=$1
screenshot=$2
config=$(mktemp -d)
trap 'kill $pid 2>/dev/null || true; rm -rf "$config"' EXIT

"$program" --config-dir "$config" &
pid=$!

dialog=$(timeout 20 xdotool search --sync --onlyvisible --name '^Please Input The Administrators$' | head -n 1)
[ -n "$dialog" ] || { echo "no administrator dialog"; exit 1; }
xdotool windowfocus --sync "$dialog"
xdotool type --delay 20 'Dealer'
xdotool key Return

main=$(timeout 20 xdotool search --sync --onlyvisible --name '^PW-100$' | head -n 1)
[ -n "$main" ] || { echo "no main window"; exit 1; }
grep -q '^name=Dealer' "$config/userini.ini" || { echo "name not stored"; cat "$config/userini.ini"; exit 1; }
kill -0 "$pid" || { echo "program ended"; exit 1; }
sleep 1
import -window root "$screenshot"
echo "main window $main shown; screenshot in $screenshot"
