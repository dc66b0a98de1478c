#!/bin/sh
# Makes the MP3 tests' tones with Debian's lame, when the tests run:
#   make_tones.sh DIR
# writes DIR/tone-1000-44k-mono.mp3 (1 kHz, 0.5 s, 44.1 kHz mono) and
# DIR/tone-440-48k-stereo.mp3 (440 Hz, 1 s, 48 kHz stereo). awk makes the samples; lame
# encodes them at 64 kbit/s per channel, without its information frame, so that the files
# hold the tones' frames and nothing else.
set -eu
dir=$1
mkdir -p "$dir"

tone() { # OUT HZ SECONDS KHZ CHANNELS
    LC_ALL=C awk -v hz="$2" -v s="$3" -v khz="$4" -v ch="$5" 'BEGIN {
        rate = khz * 1000; n = int(s * rate + 0.5); pi = atan2(0, -1)
        for (i = 0; i < n; i++) {
            v = int(16000 * sin(2 * pi * hz * i / rate))
            if (v < 0) v += 65536
            for (c = 0; c < ch; c++) printf "%c%c", v % 256, int(v / 256)
        }
    }' >"$1.raw"
    # lame warns on every raw input that libsndfile might seek in it (it reads a file here):
    # its messages are shown only when it fails.
    if ! lame --quiet -r -s "$4" --bitwidth 16 --signed --little-endian \
        -m "$([ "$5" = 1 ] && echo m || echo s)" -b "$((64 * $5))" -t "$1.raw" "$1" \
        2>"$1.log"; then
        cat "$1.log" >&2
        exit 1
    fi
    rm -f "$1.raw" "$1.log"
}

tone "$dir/tone-1000-44k-mono.mp3" 1000 0.5 44.1 1
tone "$dir/tone-440-48k-stereo.mp3" 440 1 48 2
