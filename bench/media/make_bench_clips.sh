#!/bin/sh
# The benchmark clips: moving H.264 pictures at 1920x1080 and 3840x2160, made once into the folder $1.
set -eu
mkdir -p "$1"
cd "$1"
ff() { ffmpeg -nostdin -hide_banner -loglevel error -y "$@"; }
[ -s h264_1080p.mkv ] || ff -f lavfi -i testsrc2=s=1920x1080:r=25 -frames:v 120 -c:v libx264 -preset veryfast \
  -pix_fmt yuv420p h264_1080p.mkv
[ -s h264_2160p.mkv ] || ff -f lavfi -i testsrc2=s=3840x2160:r=25 -frames:v 50 -c:v libx264 -preset veryfast \
  -pix_fmt yuv420p h264_2160p.mkv
