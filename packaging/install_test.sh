#!/bin/bash
# The installation end to end: a staged install (DESTDIR) puts every file in its place and names the
# final prefix in the default settings; an install under a real prefix is started through its
# launcher as from the desktop menu, with empty home and data folders, on this test's X display.
#   install_test.sh <build folder> <work folder>
set -u
BUILD=$1
WORK=$2
TITLE='^Tandemix build [0-9.]+$'
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

rm -rf "$WORK"
mkdir -p "$WORK"
cd "$WORK" || exit 1

echo "== staged install: files in their places, the default settings name the final prefix"
final=/opt/tandemix-staged-test
stage=$WORK/stage
DESTDIR=$stage cmake --install "$BUILD" --prefix "$final" > staged.log 2>&1 || { fail "staged install"; cat staged.log; }
root=$stage$final
for f in bin/tandemix share/tandemix/settings.ini share/tandemix/shaders/decoders/mono.hlsl \
         share/tandemix/shaders/encoders/mono.hlsl share/tandemix/stereo.mkv share/tandemix/stereo.png \
         share/applications/tandemix.desktop share/icons/hicolor/scalable/apps/tandemix.svg \
         share/icons/hicolor/48x48/apps/tandemix.png share/icons/hicolor/128x128/apps/tandemix.png \
         share/man/man1/tandemix.1.gz share/doc/tandemix/copyright; do
  [ -f "$root/$f" ] || fail "not installed: $f"
done
[ -x "$root/bin/tandemix-launch" ] || fail "the launcher is not installed as a program"
[ -L "$root/share/man/man1/tandemix-launch.1.gz" ] || fail "no manual page link for the launcher"
template=$root/share/tandemix/settings.ini
if grep -qF "$stage" "$template"; then fail "the default settings name the staging folder"; fi
for key in encoder decoder content; do
  grep -q "^$key += \"$final/share/tandemix/" "$template" || fail "no $key under the final prefix"
done
# A prefix that settings.ini cannot name is refused instead of giving settings that do not load.
DESTDIR=$WORK/bad cmake --install "$BUILD" --prefix '/opt/a;b' > bad.log 2>&1 && fail "a prefix with ';' was accepted"
grep -q "settings.ini cannot hold" bad.log || { fail "no reason given for refusing the prefix"; tail bad.log; }

echo "== install under a real prefix, first start from the menu with an empty home"
prefix=$WORK/prefix
cmake --install "$BUILD" --prefix "$prefix" > install.log 2>&1 || { fail "install"; cat install.log; }
home=$WORK/home
mkdir -p "$home" "$WORK/cache" "$WORK/config"
user_dir=$home/.local/share/tandemix
# What the player's libraries keep (Mesa's shader cache, Qt's configuration) goes elsewhere, so that
# the home folder shows what the launcher wrote.
launch() {  # environment assignments for the launcher
  env -u XDG_DATA_HOME HOME="$home" XDG_CACHE_HOME="$WORK/cache" XDG_CONFIG_HOME="$WORK/config" "$@" \
    "$prefix/bin/tandemix-launch"
}

wid() { xdotool search --onlyvisible --name "$TITLE" 2>/dev/null | head -1; }

kill_tree() {  # process id: ends the process and everything it started
  local child
  for child in $(pgrep -P "$1"); do kill_tree "$child"; done
  kill "$1" 2>/dev/null
}

# Starts the launcher in the background and waits for the main window. The window may be unmapped
# for a moment while it takes its final geometry, so it counts once it is seen twice in a row.
start() {
  launch > out.txt 2>&1 &
  PID=$!
  for _ in $(seq 1 200); do
    kill -0 "$PID" 2>/dev/null || break
    if [ -n "$(wid)" ]; then
      sleep 0.5
      [ -n "$(wid)" ] && return 0
    fi
    sleep 0.1
  done
  fail "no main window with the title"
  cat out.txt
  kill_tree "$PID"
  wait "$PID"
  return 1
}

window_width() { xdotool getwindowgeometry --shell "$(wid)" 2>/dev/null | sed -n 's/^WIDTH=//p'; }

escape_and_wait() {  # sends Escape until the launcher ends; its exit status must be 0
  for _ in 1 2 3 4 5; do
    timeout 2 xdotool windowfocus --sync "$(wid)" 2>/dev/null
    xdotool key --clearmodifiers Escape
    for _ in $(seq 1 30); do
      kill -0 "$PID" 2>/dev/null || break 2
      sleep 0.1
    done
  done
  if kill -0 "$PID" 2>/dev/null; then
    fail "Escape did not end the player"
    kill_tree "$PID"
  fi
  wait "$PID"
  rc=$?
  [ "$rc" -eq 0 ] || { fail "exit status $rc"; cat out.txt; }
}

if start; then
  player_pid=$(xdotool getwindowpid "$(wid)")
  [ "$(readlink "/proc/$player_pid/cwd")" = "$user_dir" ] || fail "the player does not run in $user_dir"
  cmp -s "$prefix/share/tandemix/settings.ini" "$user_dir/settings.ini" ||
    fail "the user's settings.ini is not the default settings"
  grep -q "^encoder += \"$prefix/share/tandemix/shaders/encoders/.*\.hlsl\";" "$user_dir/settings.ini" ||
    fail "the user's settings.ini lists no installed encoder"
  grep -q "^decoder += \"$prefix/share/tandemix/shaders/decoders/.*\.hlsl\";" "$user_dir/settings.ini" ||
    fail "the user's settings.ini lists no installed decoder"
  escape_and_wait
  grep -q "^decoder += \"$prefix/share/tandemix/shaders/decoders/" "$user_dir/settings.ini" ||
    fail "the settings written back lost the installed shaders"
fi
left=$(cd "$home" && find . -mindepth 1 | sort | tr '\n' ' ')
[ "$left" = "./.local ./.local/share ./.local/share/tandemix ./.local/share/tandemix/settings.ini ./.local/share/tandemix/tandemix.log " ] ||
  fail "the home folder holds: $left"

echo "== second start keeps the settings.ini edited in between"
sed -i 's/^window_width = .*/window_width = 900;/; s/^window_height = .*/window_height = 600;/' "$user_dir/settings.ini"
echo '// edited by the user' >> "$user_dir/settings.ini"
cp "$user_dir/settings.ini" edited.ini
if start; then
  cmp -s edited.ini "$user_dir/settings.ini" || fail "the edited settings.ini was replaced"
  for _ in $(seq 1 50); do [ "$(window_width)" = 900 ] && break; sleep 0.1; done
  [ "$(window_width)" = 900 ] || fail "the window is $(window_width) wide, not the edited 900"
  escape_and_wait
  grep -qx 'window_width = 900;' "$user_dir/settings.ini" || fail "$(grep window_width "$user_dir/settings.ini")"
fi

echo "== a start that fails: the error line in a dialog, or on standard error without a display"
data=$WORK/data
mkdir -p "$data/tandemix"
: > "$data/tandemix/settings.ini"
error='[TQ] Error: Failed to load configuration file (terminal failure)'
env -u DISPLAY -u WAYLAND_DISPLAY HOME="$home" XDG_DATA_HOME="$data" "$prefix/bin/tandemix-launch" \
  > out.txt 2> err.txt
rc=$?
[ "$rc" -eq 1 ] || fail "exit status $rc after a failed start"
grep -qxF "$error" err.txt || { fail "the error line is not on standard error"; cat err.txt; }
grep -qF "$data/tandemix/settings.ini" err.txt || fail "the message does not name the settings file"
[ -s "$data/tandemix/settings.ini" ] && fail "the broken settings.ini was replaced"

launch XDG_DATA_HOME="$data" > out.txt 2> err.txt &
PID=$!
dialog=
for _ in $(seq 1 100); do
  dialog=$(xdotool search --onlyvisible --name '^Tandemix$' 2>/dev/null | head -1)
  [ -n "$dialog" ] && break
  sleep 0.1
done
if [ -n "$dialog" ]; then
  timeout 2 xdotool windowfocus --sync "$dialog" 2>/dev/null
  xdotool key --clearmodifiers Return
else
  fail "no dialog titled Tandemix"
fi
for _ in $(seq 1 50); do kill -0 "$PID" 2>/dev/null || break; sleep 0.1; done
kill -0 "$PID" 2>/dev/null && { fail "the dialog did not close"; kill_tree "$PID"; }
wait "$PID"
rc=$?
[ "$rc" -eq 1 ] || fail "exit status $rc after a failed start with a dialog"

if [ "$failures" -eq 0 ]; then
  echo "1 passed, 0 failed"
  exit 0
fi
echo "0 passed, 1 failed"
exit 1
