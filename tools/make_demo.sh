#!/usr/bin/env bash
# make_demo.sh: regenerates the bundled demo folder (demo/) that Vistrel opens when started
# without arguments, deterministically: the same ffmpeg gives the same bytes on every run.
# The files are committed; only who changes them needs this.
#
# Needs bash, python3 (standard library) and ffmpeg (made with 5.1 of Debian 12) with the
# encoders libx264, libmp3lame, libopus and aac.
set -euo pipefail

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
DEMO="$HERE/../demo"
export LC_ALL=C TZ=UTC

for tool in ffmpeg python3; do
    command -v "$tool" >/dev/null || { echo "make_demo.sh: $tool is required" >&2; exit 1; }
done
ENCODERS=$(ffmpeg -hide_banner -encoders 2>/dev/null)
for enc in libx264 libmp3lame libopus aac pcm_s16le; do
    grep -qE "^ [A-Z.]{6} $enc " <<<"$ENCODERS" \
        || { echo "make_demo.sh: ffmpeg lacks the encoder $enc" >&2; exit 1; }
done

# Reproducible output: no metadata or chapters, bit-exact muxers and encoders, one thread
# (x264 gives other bytes with other thread counts).
ff() { ffmpeg -hide_banner -nostdin -loglevel error -y "$@"; }
OUT=(-map_metadata -1 -map_chapters -1 -fflags +bitexact -flags +bitexact -threads 1)

mkdir -p "$DEMO"
# 5 s test card 320x240 with a gently pulsing 440 Hz tone
ff -f lavfi -i "testsrc2=size=320x240:rate=25:duration=5" \
   -f lavfi -i "aevalsrc=0.2*sin(2*PI*440*t)*(0.6+0.4*sin(2*PI*0.5*t)):sample_rate=44100:duration=5" \
   "${OUT[@]}" -c:v libx264 -preset slow -b:v 110k -maxrate 160k -bufsize 320k \
   -pix_fmt yuv420p -c:a aac -b:a 40k -ac 1 -movflags +faststart "$DEMO/vistrel_testcard.mp4"
# 4 s fading A major chord, stereo, with a title
ff -f lavfi -i "aevalsrc=(0.12*sin(2*PI*220*t)+0.1*sin(2*PI*277.18*t)+0.1*sin(2*PI*329.63*t)+0.08*sin(2*PI*440*t))*exp(-0.45*t)|(0.1*sin(2*PI*220*t)+0.12*sin(2*PI*277.18*t)+0.1*sin(2*PI*329.63*t)+0.08*sin(2*PI*554.37*t))*exp(-0.45*t):sample_rate=44100:duration=4" \
   "${OUT[@]}" -c:a libmp3lame -b:a 96k -id3v2_version 3 \
   -metadata title="A major chord" -metadata artist="Vistrel demo" "$DEMO/a_major_chord.mp3"
# 1.5 s bell-like chime
ff -f lavfi -i "aevalsrc=0.3*sin(2*PI*880*t)*exp(-3*t)+0.2*sin(2*PI*1318.5*t)*exp(-4*t)+0.15*sin(2*PI*1760*t)*exp(-5*t):sample_rate=22050:duration=1.5" \
   "${OUT[@]}" -c:a pcm_s16le "$DEMO/chime.wav"
# 4 s zoom into the Mandelbrot set with a rising tone
ff -f lavfi -i "mandelbrot=size=320x240:rate=20:end_pts=60" \
   -f lavfi -i "aevalsrc=0.15*sin(2*PI*(220+55*t)*t):sample_rate=48000:duration=4" \
   "${OUT[@]}" -t 4 -c:v libx264 -preset slow -crf 26 -maxrate 600k -bufsize 1200k \
   -pix_fmt yuv420p -c:a libopus -b:a 32k "$DEMO/mandelbrot.mkv"
python3 "$HERE/make_demo_midi.py" "$DEMO/twinkle.mid"

echo "demo: $(find "$DEMO" -type f | wc -l) files, $(cat "$DEMO"/* | wc -c) bytes"
