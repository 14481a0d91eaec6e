#!/bin/sh
# Builds the Debian package in the build folder and checks it as a user
# meets it: the desktop entry and the metainfo validate; the package
# installs; the installed programs run as an ordinary user with an empty
# home (ktprog-cli --help, ktprog-cli show, ktprog under Xvfb up to its
# administrator dialog and its main window); the user's settings land in
# ~/.config/KT-700/; removing the package leaves none of its files behind.
# Runs as root (it installs a package and adds a user).
#   tools/package-check.sh            (KT_BUILD_DIR for another build folder)
set -eu

top=$(cd "$(dirname "$0")/.." && pwd)
build=${KT_BUILD_DIR:-$top/build}
user=ktcheck
step() { echo "== package check: $*"; }
fail() {
    echo "package check FAILED: $*" >&2
    exit 1
}

[ "$(id -u)" = 0 ] || fail "must run as root (it installs the package and adds a user)"

step "tools"
need=""
for p in desktop-file-utils appstream dpkg-dev xvfb xauth xdotool; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need="$need $p"
done
if [ -n "$need" ]; then
    apt-get update >/dev/null
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $need >/dev/null ||
        fail "cannot install$need"
fi

step "building the package"
rm -f "$build"/ktprog_*.deb
(cd "$build" && cpack -G DEB >/dev/null) || fail "cpack -G DEB in $build"
deb=$(ls "$build"/ktprog_*_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || fail "no ktprog_<version>_<arch>.deb in $build"
dpkg-deb -c "$deb"

step "validating the desktop entry and the metainfo"
out=$(desktop-file-validate "$top"/data/desktop/*.desktop 2>&1) || fail "desktop-file-validate: $out"
[ -z "$out" ] || fail "desktop-file-validate: $out"
appstreamcli validate --no-net "$top"/data/desktop/*.metainfo.xml ||
    fail "appstreamcli validate of the metainfo"

step "installing $deb"
if dpkg-query -W -f='${Status}' ktprog 2>/dev/null | grep -q "install ok installed"; then
    DEBIAN_FRONTEND=noninteractive apt-get remove -y ktprog >/dev/null
fi
DEBIAN_FRONTEND=noninteractive apt-get install -y "$deb" >/dev/null || fail "apt-get install $deb"
files=$(mktemp)
dpkg -L ktprog >"$files"
for program in ktprog ktprog-cli ktprog-radio; do
    [ -x "/usr/bin/$program" ] || fail "/usr/bin/$program not installed"
done
[ ! -e /usr/bin/sysini.ini ] || fail "sysini.ini installed beside the programs"

step "running the installed programs as $user with an empty home"
home=$(mktemp -d)
id "$user" >/dev/null 2>&1 || useradd --no-create-home --home-dir "$home" "$user"
usermod --home "$home" "$user"
chown "$user" "$home"
work=$(mktemp -d)
cp "$top/tests/data/files/example.q42" "$work/"
chmod -R a+rX "$work"
cd "$work"
as_user() { runuser -u "$user" -- env -i HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8 "$@"; }

as_user ktprog-cli --help | grep -q "ktprog-cli" || fail "ktprog-cli --help"
# English column names: the language files were found in the data folder.
as_user ktprog-cli show "$work/example.q42" --lang 2 | grep -q "^CH  RX Freq" ||
    fail "ktprog-cli show of a channel file (in English, from the installed language files)"

cat >"$work/start.sh" <<'SCRIPT'
#!/bin/sh
# Under xvfb-run: the program from its desktop entry's command, up to its
# administrator dialog, a name typed, the main window, then closed.
set -eu
exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/org.ktprog.KtProg.desktop)
command=$(echo "$exec_line" | sed 's/ *%f//')
$command &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
dialog=$(timeout 30 xdotool search --sync --onlyvisible --name '^Please Input The Administrators$' | head -n 1)
[ -n "$dialog" ] || { echo "no administrator dialog"; exit 1; }
xdotool windowfocus --sync "$dialog"
xdotool type --delay 20 'Dealer'
xdotool key Return
main=$(timeout 30 xdotool search --sync --onlyvisible --name '^PW-100$' | head -n 1)
[ -n "$main" ] || { echo "no main window"; exit 1; }
# No window manager to ask for a close: File › Exit (the menu's last item).
xdotool mousemove 20 9 click 1
sleep 1
xdotool key Up Return
timeout 20 sh -c "while kill -0 $pid 2>/dev/null; do sleep 0.2; done" || { echo "did not end"; exit 1; }
trap - EXIT
SCRIPT
chmod a+rx "$work/start.sh"
as_user xvfb-run -a -s "-screen 0 1280x900x24" "$work/start.sh" ||
    fail "the installed ktprog under Xvfb (administrator dialog, main window, closing)"

step "the user's settings in ~/.config/KT-700/"
grep -q '^name=Dealer' "$home/.config/KT-700/userini.ini" 2>/dev/null ||
    fail "no userini.ini with the administrator in $home/.config/KT-700"
grep -q '^combo0=' "$home/.config/KT-700/sysini.ini" 2>/dev/null ||
    fail "no sysini.ini with the band list in $home/.config/KT-700"

step "removing the package"
DEBIAN_FRONTEND=noninteractive apt-get remove -y ktprog >/dev/null || fail "apt-get remove ktprog"
left=""
while read -r path; do
    # Folders the package shares with others stay; its files must not.
    if [ -e "$path" ] && [ ! -d "$path" ]; then
        left="$left $path"
    fi
done <"$files"
[ -z "$left" ] || fail "files left behind:$left"
[ ! -e /usr/share/ktprog ] || fail "/usr/share/ktprog left behind"

cd /
userdel "$user" 2>/dev/null || true
rm -rf "$home" "$work" "$files"
step "passed"
