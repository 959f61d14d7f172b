#!/bin/sh
# Generates the benchmark's media into the folder given as $1 (once): a 1920x1080 side-by-side H.264
# clip, 30 pictures a second for 20 seconds (each eye a 960x1080 moving test pattern), and a still picture
# of the same size.
set -eu
out="$1"
mkdir -p "$out"
cd "$out"
ff() { ffmpeg -nostdin -hide_banner -loglevel error -y "$@"; }
eyes="testsrc2=s=960x1080:r=30:d=20,split[l][r0];[r0]hflip[r];[l][r]hstack"
[ -s sbs_1080p.mkv ] || ff -f lavfi -i "$eyes" -c:v libx264 -preset veryfast -pix_fmt yuv420p sbs_1080p.mkv
[ -s sbs_1080p.png ] || ff -f lavfi -i "$eyes" -frames:v 1 -update 1 sbs_1080p.png
