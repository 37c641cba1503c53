#!/usr/bin/env bash
# Re-creates the demo catalog's tiny media files with the ffmpeg CLI. The
# results are committed, so the demo never needs ffmpeg; run this only to change
# them. Four-second 160x90 H.264/AAC clips and one JPEG frame of each.
set -euo pipefail
cd "$(dirname "$0")"
mkdir -p media images

clip() {  # name, lavfi video source, tone frequency
  ffmpeg -hide_banner -loglevel error -y \
    -f lavfi -i "$2" -f lavfi -i "sine=frequency=$3:duration=4:sample_rate=22050" \
    -c:v libx264 -preset veryslow -crf 38 -pix_fmt yuv420p -g 48 \
    -c:a aac -b:a 16k -ac 1 -movflags +faststart -shortest \
    -map_metadata -1 -fflags +bitexact "media/$1.mp4"
  ffmpeg -hide_banner -loglevel error -y -ss 2 -i "media/$1.mp4" -frames:v 1 -q:v 6 \
    -map_metadata -1 -fflags +bitexact "images/$1.jpg"
}

clip ocean-sunrise "testsrc2=size=160x90:rate=12:duration=4" 440
clip city-timelapse "smptebars=size=160x90:rate=12:duration=4" 523
clip mountain-trail "rgbtestsrc=size=160x90:rate=12:duration=4" 330
clip cooking-basics-1 "mandelbrot=size=160x90:rate=12,trim=duration=4" 262

avatar() {  # name, background colour, box placement and colour
  ffmpeg -hide_banner -loglevel error -y -f lavfi -i "color=c=$2:size=96x96,drawbox=$3:t=fill" \
    -frames:v 1 -q:v 6 -fflags +bitexact "images/$1.jpg"
}
avatar avatar-blue 0x3366aa "x=16:y=16:w=64:h=64:color=white@0.8"
avatar avatar-green 0x2e8b57 "x=24:y=24:w=48:h=48:color=yellow@0.9"
