#!/bin/bash
# The tool windows end to end: the real tandemix in a fresh folder, driven from its menu bar with real
# keys and clicks. The Stereo Decoder Viewer switches the decoder live (the picture changes), the
# Stereoscopic Settings window changes the lateral separation live (the picture shifts), and both
# changes are in the settings.ini written back at the end.
#   e2e_toolwindows_test.sh <tandemix> <work folder> <shader folder>
set -u
TANDEMIX=$1
WORK=$2
SHADERS=$3
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

rm -rf "$WORK"
mkdir -p "$WORK"
cd "$WORK" || exit 1

# A side-by-side still: left view red, right view blue, 320x180 each.
ffmpeg -nostdin -loglevel error -y -f lavfi -i "color=c=red:s=320x180,format=rgb24[l];color=c=blue:s=320x180,format=rgb24[r];[l][r]hstack" \
  -frames:v 1 -update 1 pair.png || exit 1
cat > settings.ini <<SCRIPT
// written by the tool windows test
window_width = 1000;
window_height = 600;
fullscreen = no;
show_channel = CHANNEL_BOTH;
proscenium = 0.00;
separation = 0.00;
encoder += "$SHADERS/encoders/mono.hlsl";
decoder += "$SHADERS/decoders/mono.hlsl";
decoder += "$SHADERS/decoders/side-by-side-left-first.hlsl";
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

focus_main() {  # pointer and focus on the main window, away from the tool windows
  xdotool mousemove --sync $((MX + 60)) $((MY + MH / 2))
  xdotool windowfocus --sync "$MAIN" 2>/dev/null || true
  sleep 0.2
}

find_window() {  # title -> window id, waiting for it
  local id=""
  for _ in $(seq 1 100); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1)
    [ -n "$id" ] && break
    sleep 0.1
  done
  echo "$id"
}

# The height of a list row, measured on the screen: the run of header-grey (or zebra-grey) pixels
# that starts at the top of a list, taken in the cell's left padding where no text is drawn.
row_height() {  # x y0 "r g b"
  local h=0
  while [ $h -lt 60 ] && [ "$(pixel "$1" $(($2 + h)))" = "$3" ]; do h=$((h + 1)); done
  echo $h
}

# Mono encoder, left eye: with the mono decoder the left eye is the whole pair (red | blue); with the
# side-by-side decoder it is the red view alone, stretched over the picture.
PROBE_X=$((MX + MW * 7 / 8))
PROBE_Y=$((MY + MH / 2))
EDGE_X=$((MX + MW - 8))
wait_pixel $PROBE_X $PROBE_Y "0 0 255" "mono decoder, right part of the picture"

# Stereoscopy > Decoder Viewer... (second item from the end of the menu).
focus_main
xdotool key alt+s
sleep 0.4
xdotool key Up Up Return
VIEWER=$(find_window "Stereo Decoder Viewer")
if [ -z "$VIEWER" ]; then
  fail "Stereoscopy > Decoder Viewer... opened no viewer"
else
  eval "$(xdotool getwindowgeometry --shell "$VIEWER")"
  VX=$X VY=$Y
  sleep 0.5
  H=$(row_height $((VX + 32)) "$VY" "100 100 100")
  if [ "$H" -lt 8 ]; then
    fail "no header row in the viewer (row height $H)"
  else
    # Row 2 is the second decoder.
    xdotool mousemove --sync $((VX + 80)) $((VY + 2 * H + H / 2)) click --repeat 2 --delay 60 1
    wait_pixel $PROBE_X $PROBE_Y "255 0 0" "side-by-side decoder after the double click"
    [ "$(pixel $((VX + 32)) $((VY + 2 * H + H / 2)))" = "160 230 160" ] ||
      fail "the activated decoder's row is not green"
    [ "$(pixel $((VX + 32)) $((VY + H + H / 2)))" = "255 255 255" ] ||
      fail "the decoder that was active before is still green"
  fi
fi

# Stereoscopy > Settings..., lateral separation (row 7) to 20 %: the left eye moves left by a tenth of
# the picture, leaving black at the right edge.
wait_pixel $EDGE_X $PROBE_Y "255 0 0" "right edge before the separation"
focus_main
xdotool key alt+s
sleep 0.4
xdotool key s
SETTINGS=$(find_window "Stereoscopic Settings")
if [ -z "$SETTINGS" ]; then
  fail "Stereoscopy > Settings... opened no window"
else
  eval "$(xdotool getwindowgeometry --shell "$SETTINGS")"
  SX=$X SY=$Y
  sleep 0.5
  H=$(row_height $((SX + 2)) "$SY" "230 230 230")
  if [ "$H" -lt 8 ]; then
    fail "no grey first row in the settings window (row height $H)"
  else
    xdotool mousemove --sync $((SX + 170)) $((SY + 7 * H + H / 2)) click 1
    sleep 0.5
    xdotool key ctrl+a
    xdotool type --delay 30 20
    xdotool key Return
    wait_pixel $EDGE_X $PROBE_Y "0 0 0" "right edge after a separation of 20"
  fi
fi

# Escape in the main window ends the program, which writes its settings back.
focus_main
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
grep -qx 'separation = 0.20;' settings.ini || fail "settings.ini holds no 'separation = 0.20;'"
grep -qx 'default_decoder = 1;' settings.ini || fail "settings.ini holds no 'default_decoder = 1;'"

if [ $failures -ne 0 ]; then
  echo "--- settings.ini"
  cat settings.ini
  echo "--- output"
  cat out.txt
  exit 1
fi
echo "tool windows end to end: passed"
