#!/usr/bin/env bash
# Start-up of the desktop application to its first shown main window, against
# starting the command line's `list rhythms`, in one run (both with the
# software module, both without its SoundFont), under the offscreen platform.
#
# Needs: hyperfine.
# Usage: bench/app_startup.sh [BUILD_DIR] [RUNS]
set -euo pipefail

build=${1:-build}
runs=${2:-10}
data=$(realpath "$build/data")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work"

command -v hyperfine >/dev/null || { echo "missing: hyperfine" >&2; exit 2; }
hyperfine --warmup 2 --runs "$runs" --export-json "$work/times.json" \
  -n app "$data/sonavex --no-sound --quit-when-shown" \
  -n cli "$data/sonavex-cli list rhythms" >&2
python3 - "$work/times.json" <<'PY'
import json, sys
r = {x["command"]: x for x in json.load(open(sys.argv[1]))["results"]}
app, cli = r["app"]["mean"], r["cli"]["mean"]
print(f"app to first window: {app*1000:.0f} ms, cli list rhythms: {cli*1000:.0f} ms, "
      f"ratio app/cli {app/cli:.2f}")
PY
