#!/usr/bin/env bash
# Makes the calibration pictures for stereo displays with the ffmpeg CLI, each in three stereo layouts:
# full-width side by side (3840x1080, left view first; decoder side-by-side-left-first), top and bottom
# (1920x2160, left on top; decoder top-bottom-left-first) and HDMI frame packing (1920x2205; decoder
# frame-packing). Usage: make-calibration.sh [folder], default ./calibration.
#   crosstalk-<red|green|blue>-*.png  how much of one eye's picture leaks into the other, per channel:
#       each view is black but for a patch of one channel at full intensity (top left in the left view,
#       bottom left in the right view) and, beside the other view's patch, a strip of reference patches of
#       that channel at 1..10 % of full intensity in linear light. With one eye closed, the ghost of the
#       other view's patch matches one reference patch: that is the display's leak for the channel.
#   gamma-*.png  a checker of 0/255 pixels around solid grey patches: the patch that melts into the
#       checker tells the display's gamma (shown 1:1, full screen at the display's size).
#   alignment-*.png  a grid, a frame and a centre cross, red in the left view and cyan in the right view,
#       for lining up two projectors or checking that the eyes are not swapped or shifted.
set -euo pipefail
dest="${1:-calibration}"
mkdir -p "$dest"
font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
W=1920
H=1080

# 8-bit sRGB code of a linear-light fraction, by the exact piecewise sRGB curve.
srgb() { awk -v l="$1" 'BEGIN { v = l <= 0.0031308 ? 12.92 * l : 1.055 * l ^ (1 / 2.4) - 0.055; printf "%d", v * 255 + 0.5 }'; }
box() { echo "drawbox=x=$1:y=$2:w=$3:h=$4:c=$5:t=fill"; }
text() { echo "drawtext=fontfile=$font:text='$1':x=$2:y=$3:fontsize=$4:fontcolor=$5"; }
hex() { printf '0x%02X%02X%02X' "$1" "$2" "$3"; }

# Texts go through two levels of filter-graph parsing: they hold no ':', ',', "'" or '%'.
# Writes the three layouts of a stereo picture from a filter graph that ends in the labels [l] and [r]
# (two W x H views) and from the file name stem.
layouts() {
  local graph="$1" stem="$2"
  ffmpeg -loglevel error -y -filter_complex "$graph;[l][r]hstack" -frames:v 1 "$dest/$stem-side-by-side.png"
  ffmpeg -loglevel error -y -filter_complex "$graph;[l][r]vstack" -frames:v 1 "$dest/$stem-top-bottom.png"
  ffmpeg -loglevel error -y -filter_complex \
    "$graph;color=c=black:s=${W}x$((H / 24)):d=1,format=rgb24[band];[l][band][r]vstack=inputs=3" \
    -frames:v 1 "$dest/$stem-frame-packed.png"
}

# ---- Crosstalk -----------------------------------------------------------------------------------------
# Patch of full intensity: 720x360 in the middle of a 960x540 quarter. Reference strip: 8 patches of
# 100x160 in the middle of the opposite quarter, labelled with their linear intensity in percent.
percents=(1 2 3 4 5 6 8 10)
for channel in red green blue; do
  case "$channel" in
    red) mask=(1 0 0) ;;
    green) mask=(0 1 0) ;;
    blue) mask=(0 0 1) ;;
  esac
  full=$(hex $((255 * mask[0])) $((255 * mask[1])) $((255 * mask[2])))
  strip() {  # x, y of the strip's top-left corner
    local out="" i=0 p v
    for p in "${percents[@]}"; do
      v=$(srgb "$(awk -v p="$p" 'BEGIN { print p / 100 }')")
      out+=",$(box $(($1 + i * 110)) "$2" 100 160 "$(hex $((v * mask[0])) $((v * mask[1])) $((v * mask[2])))")"
      out+=",$(text "$p" $(($1 + i * 110 + 36)) $(($2 + 172)) 28 0x808080)"
      i=$((i + 1))
    done
    echo "$out"
  }
  left="color=c=black:s=${W}x${H}:d=1,format=rgb24,$(box 120 90 720 360 "$full")$(strip 1040 730)"
  left+=",$(text 'LEFT VIEW - left eye leak - match the ghost at the bottom left with a patch at the right (per cent)' 40 1030 24 0x808080)[l]"
  right="color=c=black:s=${W}x${H}:d=1,format=rgb24,$(box 120 630 720 360 "$full")$(strip 1040 190)"
  right+=",$(text 'RIGHT VIEW - right eye leak - match the ghost at the top left with a patch at the right (per cent)' 40 20 24 0x808080)[r]"
  layouts "$left;$right" "crosstalk-$channel"
done

# ---- Gamma ---------------------------------------------------------------------------------------------
# A 0/255 checker averages to half the light; a solid grey v matches it when (v / 255) ^ gamma = 1/2.
gammaView() {
  local out="color=c=black:s=${W}x${H}:d=1,format=gray,geq=lum='255*mod(X+Y\,2)',format=rgb24" i=0 g v
  for g in 1.8 2.0 2.2 sRGB 2.4 2.6; do
    if [ "$g" = sRGB ]; then v=$(srgb 0.5); else v=$(awk -v g="$g" 'BEGIN { printf "%d", 255 * 0.5 ^ (1 / g) + 0.5 }'); fi
    out+=",$(box $((180 + i * 270)) 400 200 200 "$(hex "$v" "$v" "$v")")"
    out+=",$(box $((180 + i * 270)) 620 200 60 black),$(text "$g" $((200 + i * 270)) 632 36 white)"
    i=$((i + 1))
  done
  echo "$out"
}
layouts "$(gammaView)[l];$(gammaView)[r]" gamma

# ---- Alignment -----------------------------------------------------------------------------------------
gridView() {  # colour, letter, letter x
  echo "color=c=black:s=${W}x${H}:d=1,format=rgb24,drawgrid=w=120:h=120:t=2:c=$1" \
       ",drawbox=x=0:y=0:w=$W:h=$H:t=6:c=$1,$(box $((W / 2 - 2)) $((H / 2 - 60)) 4 120 "$1")" \
       ",$(box $((W / 2 - 60)) $((H / 2 - 2)) 120 4 "$1"),$(text "$2" "$3" 500 96 "$1")" | tr -d ' '
}
layouts "$(gridView 0xFF0000 L 300)[l];$(gridView 0x00FFFF R 1560)[r]" alignment
