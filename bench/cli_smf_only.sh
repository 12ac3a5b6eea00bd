#!/usr/bin/env bash
# SMF-only export of a long song: composes it with sonavex-cli (a slow
# rhythm, so that the song has many clock bytes per note) and converts it to
# a Standard MIDI File alone, which plays the song on the virtual clock
# without synthesis. Prints wall and CPU seconds (user + system) and the
# voluntary context switches of the conversion, with the composing of the
# same song as the reference for a process's start-up, all in one run, and
# the load average the machine had.
#
# Needs: GNU time (/usr/bin/time).
# Usage: bench/cli_smf_only.sh [BUILD_DIR] [SECONDS] [RUNS] [RHYTHM]
set -euo pipefail
shopt -s inherit_errexit

build=${1:-build}
seconds=${2:-3560}
runs=${3:-3}
rhythm=${4:-Story Piano}
cli=$(realpath "$build/data/sonavex-cli")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

command -v /usr/bin/time >/dev/null || { echo "missing: /usr/bin/time" >&2; exit 2; }

# Wall, CPU seconds and voluntary switches of one command, on one line.
measure() {
  /usr/bin/time -f '%e %U %S %w' -o "$work/t" "$@" >/dev/null 2>"$work/log"
  awk '{print $1, $2 + $3, $4}' "$work/t"
}

"$cli" compose --rhythm "$rhythm" --duration "$seconds" -o "$work/song.bgm" >/dev/null 2>&1
"$cli" convert -q "$work/song.bgm" --smf "$work/warm.mid" >/dev/null 2>&1
for _ in $(seq "$runs"); do
  measure "$cli" compose --rhythm "$rhythm" --duration "$seconds" -o "$work/again.bgm" >>"$work/ref"
  measure "$cli" convert -q "$work/song.bgm" --smf "$work/song.mid" >>"$work/smf"
  cmp -s "$work/song.mid" "$work/warm.mid" || echo "warning: the SMF differs between runs" >&2
done
load=$(cut -d' ' -f1-3 /proc/loadavg)

python3 - "$work/smf" "$work/ref" "$seconds" "$rhythm" "$runs" "$load" <<'EOF'
import sys
def mean(path):
    rows = [list(map(float, l.split())) for l in open(path) if l.strip()]
    return [sum(c) / len(rows) for c in zip(*rows)]
smf, ref = mean(sys.argv[1]), mean(sys.argv[2])
secs, rhythm, runs, load = float(sys.argv[3]), sys.argv[4], sys.argv[5], sys.argv[6]
print(f"{rhythm}, {secs:.0f} s song; mean of {runs} runs; load average {load}")
print(f"convert --smf      wall {smf[0]:6.2f} s  CPU {smf[1]:5.2f} s  switches {smf[2]:9.0f}")
print(f"compose (ref)      wall {ref[0]:6.2f} s  CPU {ref[1]:5.2f} s  switches {ref[2]:9.0f}")
print(f"CPU per hour of song: {smf[1] * 3600 / secs:.2f} s (aim: under 1 s); "
      f"conversion CPU / compose CPU = {smf[1] / max(ref[1], 1e-3):.1f}")
EOF
