#!/usr/bin/env bash
# Whole-job comparison: composes a 3-minute song with sonavex-cli and exports
# it to SMF and WAV, against generating an accompaniment of the same length
# with MMA and rendering it with `fluidsynth -F` (same SoundFont), in one run.
# Also reports the peak resident memory of compose and convert, with the
# SoundFont's size subtracted (the synthesizer keeps its samples in memory).
# Our job also runs with one synthesis thread (SONAVEX_RENDER_CORES=1), to
# show what the second core gives.
#
# Needs: mma, and GNU time (/usr/bin/time) for the peak memory.
# Usage: bench/cli_compare.sh [BUILD_DIR] [SECONDS] [RUNS]
set -euo pipefail
shopt -s inherit_errexit

build=${1:-build}
seconds=${2:-180}
runs=${3:-3}
cli=$(realpath "$build/data/sonavex-cli")
sf2=${SONAVEX_SOUNDFONT:-/usr/share/sounds/sf2/FluidR3_GM.sf2}
export SONAVEX_SOUNDFONT=$sf2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for tool in mma fluidsynth /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 2; }
done

# The accompaniment for MMA: 4/4 at 120 BPM, a four-chord loop, as many bars
# as the playing time needs.
bars=$(((seconds + 1) / 2))
{
  echo "Tempo 120"
  echo "Groove 8Beat"
  chords=(C Am F G)
  for ((i = 0; i < bars; ++i)); do echo "${chords[i % 4]}"; done
} >"$work/acc.mma"

ours() {
  rm -f "$work/song.bgm" "$work/song.mid" "$work/song.wav"
  "$cli" compose --duration "$seconds" -o "$work/song.bgm" >/dev/null 2>"$work/log"
  "$cli" convert "$work/song.bgm" --smf "$work/song.mid" --wav "$work/song.wav" >/dev/null \
    2>"$work/log"
  [[ -s $work/song.wav ]] || { echo "no WAV written" >&2; return 1; }
}
ours_one_thread() {
  SONAVEX_RENDER_CORES=1 ours
}
theirs() {
  mma -f "$work/acc.mid" "$work/acc.mma" >/dev/null 2>&1
  fluidsynth -ni -q -r 44100 -F "$work/acc.wav" "$sf2" "$work/acc.mid" >/dev/null 2>&1
}

# Wall and CPU (user + system of its processes) seconds of one call of a
# shell function, on one line.
seconds_of() {
  local TIMEFORMAT='%R %U %S'
  { time "$1"; } 2>"$work/time"
  tail -n 1 "$work/time" | awk '{print $1, $2 + $3}'
}

# Peak resident set in KiB of one command.
peak_kib() {
  /usr/bin/time -f %M -o "$work/rss" "$@" >/dev/null 2>&1
  tail -n 1 "$work/rss"
}

# One warm-up each, then the two jobs in turn, so that a change in the
# machine's load falls on both alike.
ours
theirs
for _ in $(seq "$runs"); do
  seconds_of ours >>"$work/ours"
  seconds_of theirs >>"$work/theirs"
  seconds_of ours_one_thread >>"$work/ours_one"
done
read -r ours_s ours_cpu < <(awk '{w += $1; c += $2} END {print w / NR, c / NR}' "$work/ours")
read -r theirs_s theirs_cpu < <(awk '{w += $1; c += $2} END {print w / NR, c / NR}' "$work/theirs")
read -r one_s one_cpu < <(awk '{w += $1; c += $2} END {print w / NR, c / NR}' "$work/ours_one")
compose_kib=$(peak_kib "$cli" compose --duration "$seconds" -o "$work/m.bgm")
convert_smf_kib=$(peak_kib "$cli" convert "$work/m.bgm" --smf "$work/m.mid")
convert_wav_kib=$(peak_kib "$cli" convert "$work/m.bgm" --wav "$work/m.wav")
fluid_kib=$(peak_kib fluidsynth -ni -q -r 44100 -F "$work/r.wav" "$sf2" "$work/acc.mid")
mma_kib=$(peak_kib mma -f "$work/m2.mid" "$work/acc.mma")

python3 - "$ours_s" "$theirs_s" "$seconds" "$sf2" "$runs" "$(stat -c %s "$sf2")" \
  "$compose_kib" "$convert_smf_kib" "$convert_wav_kib" "$fluid_kib" "$mma_kib" \
  "$ours_cpu" "$theirs_cpu" "$one_s" "$one_cpu" <<'EOF'
import sys
ours, theirs, secs = float(sys.argv[1]), float(sys.argv[2]), float(sys.argv[3])
sf2, runs, sf2_mib = sys.argv[4], sys.argv[5], int(sys.argv[6]) / 2**20
kib = [int(v) for v in sys.argv[7:12]]
ours_cpu, theirs_cpu = float(sys.argv[12]), float(sys.argv[13])
one, one_cpu = float(sys.argv[14]), float(sys.argv[15])
names = ["sonavex-cli compose", "sonavex-cli convert --smf", "sonavex-cli convert --wav",
         "fluidsynth -F (ref)", "mma (ref)"]
print(f"soundfont {sf2} ({sf2_mib:.1f} MiB); {secs:.0f} s song; mean of {runs} runs")
print(f"compose + convert --smf --wav   {ours:8.2f} s")
print(f"mma + fluidsynth -F (ref)       {theirs:8.2f} s")
print(f"ratio ours / reference          {ours / theirs:8.2f}")
print(f"  with one synthesis thread     {one:8.2f} s, ratio {one / theirs:.2f} "
      f"(CPU {one_cpu:.2f} s)")
print(f"CPU seconds: ours {ours_cpu:.2f}, reference {theirs_cpu:.2f}, "
      f"ratio {ours_cpu / theirs_cpu:.2f}")
print("peak resident set (MiB)          total   beyond the SoundFont")
for name, k in zip(names, kib):
    m = k / 1024
    # Only the WAV export and fluidsynth load the SoundFont.
    beyond = f"{m - sf2_mib:7.1f}" if m > sf2_mib else "      -"
    print(f"  {name:30s} {m:7.1f}   {beyond}")
EOF
