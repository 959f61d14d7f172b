#!/usr/bin/env bash
# Creates the demo folder (once): a generated side-by-side stereo clip and still image, the calibration
# pictures, the shipped shaders, and a settings.ini that lists them. An existing folder is left as the
# user changed it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dest="${1:-demo}"
if [ -f "$dest/settings.ini" ]; then
  exit 0
fi
mkdir -p "$dest/shaders"

# Left eye: a test pattern; right eye: the same pattern moved 24 pixels left, so that the two views
# carry a visible disparity. Both eyes side by side, 640x360 each.
eyes="testsrc2=s=640x360:r=30:d=8,split[l][r0];[r0]crop=616:360:24:0,pad=640:360:0:0:black[r];[l][r]hstack"
ffmpeg -loglevel error -y -f lavfi -i "$eyes" -c:v libx264 -pix_fmt yuv420p "$dest/stereo.mkv"
ffmpeg -loglevel error -y -f lavfi -i "$eyes" -frames:v 1 "$dest/stereo.png"

cp -r "$root"/shaders/. "$dest/shaders/"
"$root/scripts/make-calibration.sh" "$dest/calibration"

{
  printf '//\n// Tandemix demo settings\n//\n\n'
  printf 'version = 1.00;\nwindow_width = 1280;\nwindow_height = 800;\nfullscreen = no;\nadapter = 1;\n'
  printf 'screen_diagonal = 24.00;\nscreen_aspect = 1.7778;\nshow_channel = CHANNEL_BOTH;\n'
  printf 'temporal_interleave = no;\nviewer_distance = 30.00;\ninvert_channels = no;\n'
  printf 'proscenium = 0.00;\nseparation = 0.00;\n'
  # Each list holds at most 15 entries, so the demo lists a selection and keeps room to add more; the
  # first one is active: the clip is side by side and red-cyan glasses are the most common. The rest of
  # the library (the other ghost-reducing encoders, column, checkerboard and frame-sequential outputs,
  # full-resolution top-bottom, grey anaglyph) is in shaders/.
  for f in anaglyph-red-cyan-dubois anaglyph-red-cyan-dubois-gamma anaglyph-red-cyan-colour \
           anaglyph-red-cyan-half-colour anaglyph-green-magenta-dubois anaglyph-amber-blue-dubois \
           row-interleaved row-interleaved-ghost-reduced side-by-side-half side-by-side-full top-bottom-half \
           frame-packing mono; do
    printf 'encoder += "shaders/encoders/%s.hlsl";\n' "$f"
  done
  for f in side-by-side-left-first side-by-side-right-first top-bottom-left-first top-bottom-right-first \
           row-interleaved column-interleaved checkerboard frame-packing mono; do
    printf 'decoder += "shaders/decoders/%s.hlsl";\n' "$f"
  done
  printf 'default_encoder = 0;\ndefault_decoder = 0;\nrefresh_rate = 30.00;\n'
  printf 'renderer_width = 1280;\nrenderer_height = 720;\n'
  printf 'content += "stereo.mkv";\ncontent += "stereo.png";\n'
  # The side-by-side calibration pictures suit the active decoder; the top-bottom and frame-packed ones
  # are in calibration/ too.
  for f in crosstalk-red crosstalk-green crosstalk-blue gamma alignment; do
    printf 'content += "calibration/%s-side-by-side.png";\n' "$f"
  done
  printf 'default_content = 0;\n'
} > "$dest/settings.ini"
