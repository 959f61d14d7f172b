#!/bin/sh
# Generates the media of the player tests into the folder given as $1 (once; a file already there is
# kept), from FFmpeg's own test sources.
set -eu
out="$1"
mkdir -p "$out"
cd "$out"
ff() { ffmpeg -nostdin -hide_banner -loglevel error -y "$@"; }

# Two movies of different sizes.
[ -s first.mkv ] || ff -f lavfi -i testsrc2=s=320x180:r=25:d=2 -c:v libx264 -pix_fmt yuv420p first.mkv
[ -s second.avi ] || ff -f lavfi -i testsrc=s=160x96:r=25:d=2 -c:v mpeg4 -q:v 3 second.avi
# A still image of a third size.
[ -s still.png ] || ff -f lavfi -i testsrc=s=200x100:d=0.04 -frames:v 1 -update 1 still.png
# A file with a movie's name that holds no movie.
[ -s text.mkv ] || printf 'not a movie\n' > text.mkv
# Grey pictures whose level rises by 6 with every picture, so that a read-back tells the pictures apart.
[ -s counting.mkv ] || ff -f lavfi -i "color=c=black:s=64x36:r=25:d=4,format=yuv420p,geq=lum='16+mod(N*6,200)':cb=128:cr=128" \
  -c:v libx264 -crf 4 counting.mkv
# A file with an image's name that holds no image.
[ -s broken.png ] || printf 'not an image\n' > broken.png
