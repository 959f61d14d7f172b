#!/bin/sh
# Generates the media of the player's end-to-end tests into the folder given as $1 (once; a file already
# there is kept), from FFmpeg's own sources.
set -eu
out="$1"
mkdir -p "$out"
cd "$out"
ff() { ffmpeg -nostdin -hide_banner -loglevel error -y "$@"; }

# Side by side, 320x180 per eye: the left eye white, the right eye black, each with the same moving test
# pattern in its lower left corner. Through the side-by-side decoder and the red-cyan encoder the large
# flat area is red with both eyes, white with the left eye alone and black with the right eye alone;
# the corner keeps changing while the movie plays.
eyes="color=c=white:s=320x180:r=30:d=6[lb];color=c=black:s=320x180:r=30:d=6[rb];"
eyes="${eyes}testsrc2=s=96x54:r=30:d=6,split[p1][p2];[lb][p1]overlay=0:126[l];[rb][p2]overlay=0:126[r];[l][r]hstack"
[ -s stereo.mkv ] || ff -f lavfi -i "$eyes" -c:v libx264 -pix_fmt yuv420p -crf 10 stereo.mkv
[ -s stereo.png ] || ff -f lavfi -i "$eyes" -frames:v 1 -update 1 stereo.png
# A side-by-side still for the tool windows: the left view red, the right view blue, 320x180 each.
[ -s pair.png ] || ff -f lavfi -i "color=c=red:s=320x180,format=rgb24[l];color=c=blue:s=320x180,format=rgb24[r];[l][r]hstack" \
  -frames:v 1 -update 1 pair.png
# A file with a movie's name that holds no movie.
[ -s broken.avi ] || printf 'This is not a movie.\n' > broken.avi
