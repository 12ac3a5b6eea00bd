#!/usr/bin/env bash
# WAV export speed: composes a song with sonavex-cli, exports it to SMF, to
# WAV and to both in one play, and renders the exported SMF with
# `fluidsynth -F` and the same SoundFont as the reference, all in one run.
# Prints the export time as a fraction of the song's playing time (a hardware
# capture takes 1.0) and as a ratio to the reference render. The WAV export
# also runs with one synthesis thread (SONAVEX_RENDER_CORES=1) to show what
# the second core gives; the two WAVs must be the same bytes.
#
# Usage: bench/cli_export.sh [BUILD_DIR] [SECONDS] [RUNS]
set -euo pipefail
shopt -s inherit_errexit

build=${1:-build}
seconds=${2:-60}
runs=${3:-3}
cli=$(realpath "$build/data/sonavex-cli")
sf2=${SONAVEX_SOUNDFONT:-/usr/share/sounds/sf2/FluidR3_GM.sf2}
export SONAVEX_SOUNDFONT=$sf2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$cli" compose --duration "$seconds" -o "$work/song.bgm" >/dev/null 2>"$work/log"
"$cli" convert "$work/song.bgm" --smf "$work/song.mid" >/dev/null 2>"$work/log"
"$cli" convert "$work/song.bgm" --wav "$work/song.wav" >/dev/null 2>"$work/log"

# Playing time from the WAV's data chunk (16-bit stereo at the header's rate).
play_s=$(python3 - "$work/song.wav" <<'EOF'
import struct, sys
b = open(sys.argv[1], 'rb').read()
rate = struct.unpack_from('<I', b, 24)[0]
i = 12
while i + 8 <= len(b):
    tag, size = b[i:i + 4], struct.unpack_from('<I', b, i + 4)[0]
    if tag == b'data':
        print(size / (rate * 4))
        break
    i += 8 + size + (size & 1)
EOF
)

wav_cmd="$cli convert $work/song.bgm --wav $work/run.wav"
one_core_cmd="env SONAVEX_RENDER_CORES=1 $cli convert $work/song.bgm --wav $work/one.wav"
smf_cmd="$cli convert $work/song.bgm --smf $work/run.mid"
both_cmd="$cli convert $work/song.bgm --smf $work/both.mid --wav $work/both.wav"
ref_cmd="fluidsynth -ni -q -r 44100 -F $work/ref.wav $sf2 $work/song.mid"

# Mean wall seconds of a command over the runs, and its mean CPU seconds
# (user + system) when hyperfine is there to measure them ("-" otherwise).
mean_seconds() {
  if command -v hyperfine >/dev/null; then
    hyperfine -N --warmup 1 --runs "$runs" --export-json "$work/h.json" "$1" >/dev/null 2>&1
    python3 -c "import json,sys; r=json.load(open(sys.argv[1]))['results'][0]
print(r['mean'], r['user'] + r['system'])" "$work/h.json"
  else
    local t0 t1
    t0=$(date +%s.%N)
    for _ in $(seq "$runs"); do $1 >/dev/null 2>&1; done
    t1=$(date +%s.%N)
    python3 -c "print(($t1 - $t0) / $runs, '-')"
  fi
}

wav_s=$(mean_seconds "$wav_cmd")
one_s=$(mean_seconds "$one_core_cmd")
smf_s=$(mean_seconds "$smf_cmd")
both_s=$(mean_seconds "$both_cmd")
ref_s=$(mean_seconds "$ref_cmd")
cmp -s "$work/both.mid" "$work/run.mid" || echo "warning: the SMF of the one-play export differs" >&2
cmp -s "$work/one.wav" "$work/run.wav" || echo "warning: one synthesis thread gave other samples" >&2

# shellcheck disable=SC2086 # each of these holds two words: wall and CPU seconds
python3 - "$play_s" $wav_s $smf_s $ref_s "$sf2" "$runs" $both_s $one_s <<'EOF'
import sys
play, wav, wav_cpu, smf, smf_cpu, ref, ref_cpu, sf2, runs, both, both_cpu, one, one_cpu = \
    sys.argv[1:14]
play, wav, smf, ref, both, one = map(float, (play, wav, smf, ref, both, one))
print(f"soundfont            {sf2}  (mean of {runs} runs each)")
print(f"song playing time    {play:8.2f} s")
print(f"convert --wav        {wav:8.2f} s  = {wav / play:.4f} of playing time "
      f"({play / wav:.1f}x faster than real time; hardware path 1.0)")
print(f"  one synth thread   {one:8.2f} s  ({play / one:.1f}x; two threads take "
      f"{wav / one:.2f} of its time)")
print(f"convert --smf        {smf:8.2f} s  = {smf / play:.4f} of playing time")
print(f"fluidsynth -F (ref)  {ref:8.2f} s  = {ref / play:.4f} of playing time")
print(f"convert --smf --wav {both:8.2f} s  (one play; separately {wav + smf:.2f} s, "
      f"ratio {both / (wav + smf):.2f})")
print(f"wav export / fluidsynth -F = {wav / ref:.2f} (wall)")
if ref_cpu != "-":
    print(f"CPU seconds: convert --wav {float(wav_cpu):.2f}, convert --smf {float(smf_cpu):.2f}, "
          f"fluidsynth -F {float(ref_cpu):.2f}; wav / fluidsynth = "
          f"{float(wav_cpu) / float(ref_cpu):.2f}; convert --smf --wav {float(both_cpu):.2f}; "
          f"convert --wav on one thread {float(one_cpu):.2f}")
EOF
