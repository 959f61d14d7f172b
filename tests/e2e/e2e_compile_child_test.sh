#!/bin/bash
# The compile process end to end: the real tandemix in a fresh folder compiles its shaders in a child
# process (tandemix-hlslc) and loads neither glslang nor SPIRV-Cross itself. The child is killed with
# SIGKILL while the player runs; switching the encoder in the Stereo Encoder Viewer then still works (a
# new child compiles it). Then an encoder that crashes glslang is activated: the compile fails with the
# compile process's message and the player runs on. Escape ends the program with its settings written
# back.
#   e2e_compile_child_test.sh <tandemix> <work folder> <shader folder> <glslang crash fixture>
set -u
TANDEMIX=$1
WORK=$2
SHADERS=$3
CRASHER=$4
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

rm -rf "$WORK"
mkdir -p "$WORK"
cd "$WORK" || exit 1

# A still: left half red, right half blue, 320x180 each.
ffmpeg -nostdin -loglevel error -y -f lavfi -i "color=c=red:s=320x180,format=rgb24[l];color=c=blue:s=320x180,format=rgb24[r];[l][r]hstack" \
  -frames:v 1 -update 1 pair.png || exit 1
cat > settings.ini <<SCRIPT
// written by the compile child test
window_width = 1000;
window_height = 600;
fullscreen = no;
show_channel = CHANNEL_LEFT;
encoder += "$SHADERS/encoders/mono.hlsl";
encoder += "$SHADERS/encoders/side-by-side-half.hlsl";
encoder += "$CRASHER";
decoder += "$SHADERS/decoders/mono.hlsl";
default_encoder = 0;
default_decoder = 0;
refresh_rate = 30.00;
renderer_width = 640;
renderer_height = 180;
content += "pair.png";
default_content = 0;
SCRIPT

"$TANDEMIX" > out.txt 2>&1 &
PID=$!
MAIN=""
for _ in $(seq 1 300); do
  MAIN=$(xdotool search --onlyvisible --name '^Tandemix build 002\.184\.016$' 2>/dev/null | head -1)
  [ -n "$MAIN" ] && break
  sleep 0.1
done
if [ -z "$MAIN" ]; then
  echo "FAIL: the main window never showed"
  cat out.txt
  kill "$PID" 2>/dev/null
  exit 1
fi
eval "$(xdotool getwindowgeometry --shell "$MAIN")"
MX=$X MY=$Y MW=$WIDTH MH=$HEIGHT

pixel() {  # x y -> "r g b" of the screen
  import -window root -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null |
    sed -n 's/^0,0: *(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3/p'
}

wait_pixel() {  # x y "r g b" what
  for _ in $(seq 1 100); do
    [ "$(pixel "$1" "$2")" = "$3" ] && return 0
    sleep 0.1
  done
  fail "$4: pixel ($1,$2) is '$(pixel "$1" "$2")', expected '$3'"
}

compile_child() {  # the player's compile child, if one runs
  local child
  for child in $(pgrep -P "$PID"); do
    case "$(readlink "/proc/$child/exe")" in
      */tandemix-hlslc) echo "$child"; return ;;
    esac
  done
}

# At 3/8 of the width the mono encoder shows the left part of the pair (red); the half side-by-side
# encoder shows the squeezed pair there, whose right part is blue. Low in the picture, where the viewer
# does not cover it.
PROBE_X=$((MX + MW * 3 / 8))
PROBE_Y=$((MY + MH * 7 / 8))
wait_pixel $PROBE_X $PROBE_Y "255 0 0" "mono encoder at start"

if grep -qE 'glslang|spirv-cross|SPIRV' "/proc/$PID/maps"; then
  fail "the player's own process has the shader compiler loaded: $(grep -oE '[^ ]*(glslang|spirv-cross|SPIRV)[^ ]*' "/proc/$PID/maps" | sort -u | tr '\n' ' ')"
fi

CHILD=$(compile_child)
if [ -z "$CHILD" ]; then
  fail "no tandemix-hlslc child runs after start-up"
else
  kill -KILL "$CHILD"
  for _ in $(seq 1 50); do
    [ -d "/proc/$CHILD" ] && [ "$(awk '{print $3}' "/proc/$CHILD/stat" 2>/dev/null)" != "Z" ] || break
    sleep 0.1
  done
fi

# Stereoscopy > Encoder Viewer... (third item from the end of the menu), second row.
xdotool mousemove --sync $((MX + 60)) $((MY + MH / 2))
xdotool windowfocus --sync "$MAIN" 2>/dev/null || true
sleep 0.2
xdotool key alt+s
sleep 0.4
xdotool key Up Up Up Return
VIEWER=""
for _ in $(seq 1 100); do
  VIEWER=$(xdotool search --onlyvisible --name '^Stereo Encoder Viewer$' 2>/dev/null | head -1)
  [ -n "$VIEWER" ] && break
  sleep 0.1
done
if [ -z "$VIEWER" ]; then
  fail "Stereoscopy > Encoder Viewer... opened no viewer"
else
  eval "$(xdotool getwindowgeometry --shell "$VIEWER")"
  VX=$X VY=$Y
  sleep 0.5
  H=0
  while [ $H -lt 60 ] && [ "$(pixel $((VX + 32)) $((VY + H)))" = "100 100 100" ]; do H=$((H + 1)); done
  if [ "$H" -lt 8 ]; then
    fail "no header row in the viewer (row height $H)"
  else
    xdotool mousemove --sync $((VX + 80)) $((VY + 2 * H + H / 2)) click --repeat 2 --delay 60 1
    wait_pixel $PROBE_X $PROBE_Y "0 0 255" "half side-by-side encoder after the compile child was killed"
  fi
fi
NEW_CHILD=$(compile_child)
[ -n "$NEW_CHILD" ] && [ "$NEW_CHILD" != "${CHILD:-}" ] || fail "no new compile child runs after the switch"

# Row 3: the encoder that crashes glslang. The compile fails (the picture goes, as after any failed
# compile), the player stays.
if [ -n "$VIEWER" ] && [ "$H" -ge 8 ]; then
  xdotool mousemove --sync $((VX + 80)) $((VY + 3 * H + H / 2)) click --repeat 2 --delay 60 1
  for _ in $(seq 1 100); do
    grep -q "the shader compiler stopped while compiling $CRASHER" out.txt && break
    sleep 0.1
  done
  grep -q "the shader compiler stopped while compiling $CRASHER" out.txt ||
    fail "no 'stopped while compiling' line after the crashing encoder"
  kill -0 "$PID" 2>/dev/null || fail "the player ended after the crashing encoder"
  NEW_CHILD=""  # that child crashed; the player starts none until its next compile
fi

# Escape in the main window ends the program, which writes its settings back.
xdotool mousemove --sync $((MX + 60)) $((MY + MH / 2))
xdotool windowfocus --sync "$MAIN" 2>/dev/null || true
sleep 0.2
xdotool key Escape
for _ in $(seq 1 100); do
  kill -0 "$PID" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$PID" 2>/dev/null; then
  fail "the player did not end on Escape"
  kill "$PID"
fi
wait "$PID"
STATUS=$?
[ $STATUS -eq 0 ] || fail "the player ended with status $STATUS"
grep -qx 'default_encoder = 2;' settings.ini || fail "settings.ini holds no 'default_encoder = 2;'"
if [ -n "$NEW_CHILD" ]; then
  for _ in $(seq 1 20); do
    [ -d "/proc/$NEW_CHILD" ] || break
    sleep 0.1
  done
  [ -d "/proc/$NEW_CHILD" ] && fail "the compile child outlived the player"
fi

if [ $failures -ne 0 ]; then
  echo "--- settings.ini"
  cat settings.ini
  echo "--- output"
  cat out.txt
  exit 1
fi
echo "compile child end to end: passed"
