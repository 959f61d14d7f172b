#!/bin/sh
# Generates the clips of the movie source tests into the folder given as $1 (once; a clip already there
# is kept). Every clip is made from FFmpeg's own test sources, so nothing is downloaded.
set -eu
out="$1"
mkdir -p "$out"
cd "$out"
ff() { ffmpeg -nostdin -hide_banner -loglevel error -y "$@"; }

# 30 flat grey pictures whose luma is 40 + 6 * picture number, so a test reads the number back from any
# pixel and a copy that mixed two pictures shows two levels.
counting="color=c=black:s=200x120:r=25:d=1.2,format=yuv420p,geq=lum='40+6*N':cb=128:cr=128"
[ -s count_h264.mkv ] || ff -f lavfi -i "$counting" -c:v libx264 -crf 4 count_h264.mkv
[ -s count_mpeg2.mpg ] || ff -f lavfi -i "$counting" -c:v mpeg2video -q:v 2 -bf 2 count_mpeg2.mpg
[ -s count_mpeg4.avi ] || ff -f lavfi -i "$counting" -c:v mpeg4 -q:v 2 count_mpeg4.avi
[ -s count_wmv2.wmv ] || ff -f lavfi -i "$counting" -c:v wmv2 -q:v 2 count_wmv2.wmv

# Sound before picture, and sound alone.
[ -s audio_first.mkv ] || ff -f lavfi -i sine=d=1 -f lavfi -i testsrc=s=160x90:d=1 -map 0:a -map 1:v \
  -c:v libx264 -c:a flac audio_first.mkv
[ -s audio_only.mkv ] || ff -f lavfi -i sine=d=1 -c:a flac audio_only.mkv

# Files that are not movies, or not whole ones.
[ -e empty.avi ] || : > empty.avi
[ -s text.avi ] || printf 'This is a text file, not a movie.\nIt only has the name of one.\n' > text.avi
if [ ! -s truncated.mkv ]; then
  ff -f lavfi -i testsrc=s=320x240:d=2 -c:v libx264 -pix_fmt yuv420p whole.mkv
  head -c "$(( $(wc -c < whole.mkv) / 2 ))" whole.mkv > truncated.mkv
  rm -f whole.mkv
fi

# Pictures that change size and pixel format mid-file: dark 4:2:0 pictures, then bright 4:2:2 pictures
# of another size, in one MPEG program stream.
if [ ! -s change.mpg ]; then
  ff -f lavfi -i color=c=0x202020:s=200x120:r=25:d=0.4 -c:v mpeg2video -pix_fmt yuv420p -q:v 2 part1.mpg
  ff -f lavfi -i color=c=0xe0e0e0:s=352x288:r=25:d=0.4 -c:v mpeg2video -pix_fmt yuv422p -q:v 2 part2.mpg
  cat part1.mpg part2.mpg > change.mpg
  rm -f part1.mpg part2.mpg
fi

# A pixel format libswscale cannot read, and a picture far wider than any texture.
[ -s unscalable.nut ] || ff -f lavfi -i testsrc=s=64x48:d=0.2 -c:v rawvideo -pix_fmt bgr4 unscalable.nut
[ -s too_wide.mkv ] || ff -f lavfi -i color=s=20000x16:d=0.04 -c:v ffv1 too_wide.mkv

# A still picture whose name looks like an image-sequence pattern, beside a picture the pattern would name.
[ -s 'pattern%d.bmp' ] || ff -f lavfi -i color=s=64x48:d=0.04 -frames:v 1 -update 1 'pattern%d.bmp'
[ -s pattern1.bmp ] || ff -f lavfi -i color=s=32x32:d=0.04 -frames:v 1 -update 1 pattern1.bmp

# Red 64x48 pictures, then green 1280x720, then blue 16x16, in one MPEG program stream.
if [ ! -s grow.mpg ]; then
  ff -f lavfi -i color=c=red:s=64x48:r=25:d=0.4 -c:v mpeg2video -q:v 2 grow1.mpg
  ff -f lavfi -i color=c=green:s=1280x720:r=25:d=0.4 -c:v mpeg2video -q:v 2 grow2.mpg
  ff -f lavfi -i color=c=blue:s=16x16:r=25:d=0.4 -c:v mpeg2video -q:v 2 grow3.mpg
  cat grow1.mpg grow2.mpg grow3.mpg > grow.mpg
  rm -f grow1.mpg grow2.mpg grow3.mpg
fi
