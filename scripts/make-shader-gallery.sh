#!/usr/bin/env bash
# Makes the encoder gallery of shaders/README.md: the stereo test picture (ffmpeg CLI) and one small
# picture per shipped encoder, rendered from it through the real renderer with Mesa's software OpenGL
# (under Xvfb when there is no display). Run it after adding or changing an encoder: the renderer tests
# check that the committed pictures are current.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target make_shader_gallery -j"$(nproc)" >/dev/null
mkdir -p shaders/gallery

# Two 192x108 views side by side, left first: a test pattern at screen depth with a white and red square
# in front of it (12 pixels of crossed disparity), and each view's letter in its outer corner.
font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
square() { echo "drawbox=x=$1:y=40:w=40:h=40:c=white:t=fill,drawbox=x=$(($1 + 8)):y=48:w=24:h=24:c=red:t=fill"; }
letter() { echo "drawtext=fontfile=$font:text=$1:x=$2:y=h-th-8:fontsize=28:fontcolor=white:borderw=2"; }
views="testsrc2=s=192x108:r=1:d=1,split[l0][r0]"
views+=";[l0]$(square 84),$(letter L 8)[l];[r0]$(square 72),$(letter R w-tw-8)[r];[l][r]hstack"
ffmpeg -loglevel error -y -f lavfi -i "$views" -frames:v 1 shaders/gallery/stereo-test.png

export LIBGL_ALWAYS_SOFTWARE=1 QT_QPA_PLATFORM=xcb
if [ -n "${DISPLAY:-}" ]; then
  build/tests/renderer/make_shader_gallery
else
  xvfb-run -a -s "-screen 0 1280x1024x24" build/tests/renderer/make_shader_gallery
fi
