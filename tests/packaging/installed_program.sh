#!/usr/bin/env bash
# The program as installed: installs the build into a temporary root with
# DESTDIR, checks that every file lands where the desktop looks for it, asks
# the installed program for its version without a display, and then, under a
# virtual X display, starts it on a list file, opens Help from the menu, and
# closes it; once with the help file in place and once without it. The
# command line program is checked too: it runs without a display, links no
# GUI library, and comes with its manual page and bash completion.
#
#   installed_program.sh BUILD_FOLDER VERSION
# Exit 77 (skipped) for the display part when Xvfb or xdotool is missing.
set -euo pipefail
build="$1"
version="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
root="$work/root"
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR="$root" cmake --install "$build" --prefix /usr >/dev/null
share="$root/usr/share"
for file in \
  "$root/usr/bin/quindle" \
  "$root/usr/bin/quindle-cli" \
  "$share/man/man1/quindle-cli.1.gz" \
  "$share/bash-completion/completions/quindle-cli" \
  "$share/quindle/Quindle.qch" \
  "$share/applications/example.corvane.Quindle.desktop" \
  "$share/metainfo/example.corvane.Quindle.metainfo.xml" \
  "$share/icons/hicolor/scalable/apps/example.corvane.Quindle.svg" \
  "$share/man/man1/quindle.1.gz"; do
  [ -s "$file" ] || fail "not installed: ${file#$root}"
done
for size in 16 22 24 32 48 64 128 256; do
  png="$share/icons/hicolor/${size}x${size}/apps/example.corvane.Quindle.png"
  [ -s "$png" ] || fail "not installed: ${png#$root}"
  # Bytes 16 to 23 of a PNG hold its width and height.
  [ "$(od -An -tu1 -j16 -N8 "$png" | tr -s ' ')" = " 0 0 $((size / 256)) $((size % 256)) 0 0 $((size / 256)) $((size % 256))" ] \
    || fail "$size pixel icon has another size"
done
gzip -dc "$share/man/man1/quindle.1.gz" | grep -q "Quindle $version" || fail "manual page without the version"
grep -q "version=\"$version\"" "$share/metainfo/example.corvane.Quindle.metainfo.xml" || fail "metainfo without the version"

out="$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/quindle" --version)"
[ "$out" = "Quindle $version" ] || fail "installed quindle --version printed: $out"

# The command line beside it: no display, no GUI library, its manual page and
# its completion.
out="$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/quindle-cli" --version)"
[ "$out" = "quindle-cli $version" ] || fail "installed quindle-cli --version printed: $out"
if ldd "$root/usr/bin/quindle-cli" | grep -Eq 'libQt6(Gui|Widgets|PrintSupport|Help)'; then
  fail "quindle-cli links more of Qt than its core: $(ldd "$root/usr/bin/quindle-cli" | grep -o 'libQt6[A-Za-z]*' | tr '\n' ' ')"
fi
gzip -dc "$share/man/man1/quindle-cli.1.gz" | grep -q "Quindle $version" || fail "quindle-cli manual page without the version"
gzip -dc "$share/man/man1/quindle-cli.1.gz" | grep -q "merge-driver" || fail "quindle-cli manual page without the merge driver"
completions="$(bash -c 'source "$1"; COMP_WORDS=(quindle-cli fi); COMP_CWORD=1; _quindle_cli; echo "${COMPREPLY[*]}"' _ \
  "$share/bash-completion/completions/quindle-cli")"
[ "$completions" = "find fix" ] || fail "completion of 'quindle-cli fi' gave: $completions"
cli_list="$work/cli/Projects.txt"
mkdir -p "$(dirname "$cli_list")"
printf '001     Garden shed\r\n' >"$cli_list"
out="$(XDG_CONFIG_HOME="$work/cli-config" XDG_STATE_HOME="$work/cli-state" "$root/usr/bin/quindle-cli" -f "$cli_list" add Roof)"
[ "$out" = "002" ] || fail "installed quindle-cli add printed: $out"
[ "$(cat "$cli_list")" = "$(printf '001     Garden shed\r\n002     Roof\r')" ] || fail "installed quindle-cli add left: $(cat -A "$cli_list")"

if ! command -v xvfb-run >/dev/null || ! command -v xdotool >/dev/null || ! command -v xprop >/dev/null; then
  echo "SKIP: the display part needs xvfb-run, xdotool and xprop"
  exit 77
fi

wmclass="$(sed -n 's/^StartupWMClass=//p' "$share/applications/example.corvane.Quindle.desktop")"
[ -n "$wmclass" ] || fail "the desktop entry names no window class"

# Everything the program keeps goes to this test's folder.
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" XDG_DATA_HOME="$work/data"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
# In the sanitizer build, what the X11 and font libraries keep until the
# process ends is not this program's leak; the offscreen suites check ours.
# The keyboard library of X11 hands strndup a buffer without an end byte,
# which the strict string checks take for an overflow of ours.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0:strict_string_checks=0"
list="$work/lists/Projects of mine.txt"
mkdir -p "$(dirname "$list")"
printf '001     Garden shed\r\n002     Roof\r\n' >"$list"

# Starts the installed program on the list under the X display given,
# presses Alt+H H (Help > Help) and reports the windows it saw.
cat >"$work/session.sh" <<'SESSION'
set -u
program="$1"; list="$2"; expect="$3"; wmclass="$4"
"$program" "$list" >"$XDG_RUNTIME_DIR/program.log" 2>&1 &
pid=$!
main="$(timeout 30 xdotool search --sync --onlyvisible --name '^Quindle Version ' | head -1)"
[ -n "$main" ] || { echo "no main window"; cat "$XDG_RUNTIME_DIR/program.log"; kill "$pid"; exit 1; }
# The desktop matches the window to its entry by the window class.
classes="$(xprop -id "$main" WM_CLASS)"
case "$classes" in
  *"\"$wmclass\""*) ;;
  *) echo "window class $classes, the desktop entry says $wmclass"; kill "$pid"; exit 1 ;;
esac
sleep 1
xdotool windowfocus --sync "$main"
xdotool key --delay 200 alt+h h
case "$expect" in
  viewer) timeout 30 xdotool search --sync --onlyvisible --name '^Quindle Help$' >/dev/null \
            || { echo "no help viewer"; kill "$pid"; exit 1; } ;;
  message) timeout 30 xdotool search --sync --onlyvisible --name '^Quindle$' >/dev/null \
            || { echo "no message about the help file"; kill "$pid"; exit 1; }
           xdotool key Return ;;
esac
sleep 1
xdotool windowfocus --sync "$main"
xdotool key --delay 200 alt+f e
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
if kill -0 "$pid" 2>/dev/null; then echo "did not close"; kill "$pid"; exit 1; fi
wait "$pid"
SESSION

xvfb-run -a -s "-screen 0 1280x1024x24" bash "$work/session.sh" "$root/usr/bin/quindle" "$list" viewer "$wmclass" \
  || fail "help from the installed layout"
# The list named on the command line became the one in use and was stored.
grep -qF "Current=$list" "$XDG_CONFIG_HOME/Corvane/Vantorel.conf" \
  || fail "the list named was not stored: $(cat "$XDG_CONFIG_HOME/Corvane/Vantorel.conf")"

rm "$share/quindle/Quindle.qch"
xvfb-run -a -s "-screen 0 1280x1024x24" bash "$work/session.sh" "$root/usr/bin/quindle" "$list" message "$wmclass" \
  || fail "a missing help file told on Help"
echo "installed layout, version, help and the list named: all fine"
