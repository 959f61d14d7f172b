#!/bin/bash
# The main window end to end: the real tandemix started in a fresh folder with a settings.ini, found
# by its title with xdotool, driven with keys, and the settings.ini it writes back checked.
#   e2e_window_test.sh <tandemix> <work folder> <shader folder>
set -u
TANDEMIX=$1
WORK=$2
SHADERS=$3
TITLE='^Tandemix build 002\.184\.016$'
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

write_settings() {  # fullscreen word
  cat > settings.ini <<SCRIPT
// written by the window test
window_width = 700;
window_height = 500;
fullscreen = $1;
show_channel = CHANNEL_LEFT;
encoder += "enc.hlsl";
decoder += "dec.hlsl";
refresh_rate = 30.00;
renderer_width = 320;
renderer_height = 240;
SCRIPT
}

# The visible main window of our process. Other tests may show windows with the same title on this
# display, and switching between framed and full screen gives the window a new X window.
wid() {
  xdotool search --pid "$PID" --onlyvisible --name "$TITLE" 2>/dev/null | head -1
}

start() {
  "$TANDEMIX" > out.txt 2>&1 &
  PID=$!
  for _ in $(seq 1 200); do
    [ -n "$(wid)" ] && break
    kill -0 "$PID" 2>/dev/null || break
    sleep 0.1
  done
  [ -n "$(wid)" ] || { fail "no window titled 'Tandemix build 002.184.016'"; cat out.txt; return 1; }
  sleep 0.5
}

geometry() {  # prints "x y width height" of the window
  xdotool getwindowgeometry --shell "$(wid)" 2>/dev/null | awk -F= '/^(X|Y|WIDTH|HEIGHT)=/ {printf "%s ", $2}'
}

wait_geometry() {  # expected "x y width height"
  for _ in $(seq 1 50); do
    [ "$(geometry)" = "$1 " ] && return 0
    sleep 0.1
  done
  fail "window at '$(geometry)', expected '$1'"
}

key() {
  timeout 2 xdotool windowfocus --sync "$(wid)" 2>/dev/null || true
  xdotool key --clearmodifiers "$1"
}

# Other tests may open windows on the same display and take the focus: a key that changed nothing
# is sent again after the window got the focus back.
key_until() {  # key, command that succeeds once the key took effect
  for _ in 1 2 3 4 5; do
    key "$1"
    for _ in $(seq 1 20); do
      eval "$2" && return 0
      sleep 0.1
    done
  done
  return 1
}

at_geometry() { [ "$(geometry)" = "$1 " ]; }
ended() { ! kill -0 "$PID" 2>/dev/null; }

wait_exit() {
  for _ in $(seq 1 100); do
    kill -0 "$PID" 2>/dev/null || { wait "$PID"; return $?; }
    sleep 0.1
  done
  fail "the player did not end"
  kill "$PID"
  return 1
}

pixel() {  # x y -> "r,g,b" of the screen (a capture can fail while another test's window goes away)
  for _ in 1 2 3 4 5; do
    xdotool windowraise "$(wid)" 2>/dev/null
    xwd -root -silent 2>/dev/null > screen.xwd &&
      convert screen.xwd -format "%[fx:int(255*p{$1,$2}.r)],%[fx:int(255*p{$1,$2}.g)],%[fx:int(255*p{$1,$2}.b)]" info: 2>/dev/null &&
      return 0
    sleep 0.2
  done
  echo "no capture"
}

rm -rf "$WORK"
mkdir -p "$WORK"
cd "$WORK" || exit 1
cp "$SHADERS/decoders/mono.hlsl" dec.hlsl
cp "$SHADERS/encoders/mono.hlsl" enc.hlsl

# A start-up step that fails prints its one terminal error line last, leaves settings.ini as it was
# and ends with exit code 0.
startup_failure() {  # expected error message
  cp settings.ini before.ini
  timeout 60 "$TANDEMIX" > out.txt 2> err.txt; rc=$?
  [ "$rc" -eq 0 ] || fail "exit code $rc"
  [ "$(tail -n 1 out.txt)" = "[TQ] Error: $1" ] || { fail "last line is not '[TQ] Error: $1'"; cat out.txt; }
  cmp -s before.ini settings.ini || fail "settings.ini was rewritten after '$1'"
}

echo "== start-up failures"
write_settings no
sed -i 's/^window_width = 700;/window_width = 0;/' settings.ini
startup_failure "Failed to initialize primary window (terminal failure)"
[ "$(cat out.txt)" = "[TQ] Error: Failed to initialize primary window (terminal failure)" ] ||
  fail "more than the one error line for a zero window width"
write_settings no
printf 'float4 main() : COLOR0 { return undefined_name; }\n' > broken.hlsl
sed -i 's/^decoder += "dec.hlsl";/decoder += "broken.hlsl";/' settings.ini
startup_failure "Failed to initialize renderer (terminal failure)"

echo "== windowed start, Escape ends the program and settings.ini is written back"
write_settings no
if start; then
  # Centred: (1920 - 700) / 2, (1080 - 500) / 2.
  wait_geometry "610 290 700 500"
  # The menu bar and the status bar are drawn light; the render area above the status bar is dark.
  [ "$(pixel 650 295)" != "0,0,0" ] || fail "no menu bar at the top of the window"
  [ "$(pixel 900 780)" != "0,0,0" ] || fail "no status bar at the bottom of the window"
  key_until Escape ended
  wait_exit; rc=$?
  [ "$rc" -eq 0 ] || fail "exit code $rc"
  expected=$(printf '%s\n' '//' '// Vantor Script' '//' '' 'version' 'window_width = 700;' \
    'window_height = 500;' 'fullscreen = no;' 'adapter' 'screen_diagonal' 'screen_aspect' \
    'show_channel = CHANNEL_BOTH;' 'temporal_interleave' 'viewer_distance' 'invert_channels' 'proscenium' \
    'separation' 'encoder += "enc.hlsl";' 'decoder += "dec.hlsl";' 'default_encoder' 'default_decoder' \
    'refresh_rate = 30.00;' 'renderer_width = 320;' 'renderer_height = 240;' 'default_content')
  actual=$(awk '{ if ($0 ~ / = / && $0 !~ /^(window_|fullscreen|show_channel|encoder|decoder|refresh_rate|renderer_)/) print $1; else print $0 }' settings.ini)
  [ "$actual" = "$expected" ] || { fail "settings.ini written back differs"; diff <(echo "$expected") <(echo "$actual"); }
fi

echo "== full screen at start, Escape returns to the centred framed window, Escape again ends"
write_settings yes
if start; then
  wait_geometry "0 0 1920 1080"
  key_until Escape 'at_geometry "610 290 700 500"' || fail "Escape left the window at '$(geometry)'"
  kill -0 "$PID" 2>/dev/null || fail "the first Escape ended the program"
  key_until Escape ended
  wait_exit; rc=$?
  [ "$rc" -eq 0 ] || fail "exit code $rc"
  grep -qx 'fullscreen = no;' settings.ini || fail "fullscreen not cleared: $(grep fullscreen settings.ini)"
  grep -qx 'window_width = 700;' settings.ini || fail "$(grep window_width settings.ini)"
  grep -qx 'window_height = 500;' settings.ini || fail "$(grep window_height settings.ini)"
fi

if [ "$failures" -eq 0 ]; then
  echo "1 passed, 0 failed"
  exit 0
fi
echo "0 passed, 1 failed"
exit 1
