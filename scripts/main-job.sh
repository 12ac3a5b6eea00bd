#!/bin/sh
# The main job on a fresh machine: install what is needed, build, compose a
# 60-second song on the default rhythm with the software sound module, and
# write it as a song file, a Standard MIDI File and a WAV recording.
#   ./scripts/main-job.sh [output folder]     (default: out/)
set -eu
cd "$(dirname "$0")/.."
OUT="${1:-out}"
./scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j "$(nproc)"
mkdir -p "$OUT"
CLI=build/data/sonavex-cli
"$CLI" compose --duration 60 -o "$OUT/song.bgm"
"$CLI" convert "$OUT/song.bgm" --smf "$OUT/song.mid" --wav "$OUT/song.wav"
ls -l "$OUT"
