#!/bin/sh
# The first-installation settings file is copied where none exists and never
# over a user's own file.
#   copy_if_absent.sh CMAKE SCRIPT
set -eu
cmake=$1
script=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
printf 'shipped\n' > "$dir/src.ini"
"$cmake" -DSRC="$dir/src.ini" -DDST="$dir/out/sysini.ini" -P "$script"
[ "$(cat "$dir/out/sysini.ini")" = shipped ] || { echo "not copied"; exit 1; }
printf 'mine\n' > "$dir/out/sysini.ini"
"$cmake" -DSRC="$dir/src.ini" -DDST="$dir/out/sysini.ini" -P "$script"
[ "$(cat "$dir/out/sysini.ini")" = mine ] || { echo "user's file replaced"; exit 1; }
echo ok
