#!/usr/bin/env bash
# Builds in Release and runs every benchmark (or those named as arguments).
# `peers` runs the comparisons with peer libraries instead (bench/peers/).
set -euo pipefail
cd "$(dirname "$0")/.."
KOUI_BUILD_DIR=build-release bash scripts/build.sh -DCMAKE_BUILD_TYPE=Release -DKOUI_BUILD_TESTS=OFF -DKOUI_BUILD_EXAMPLES=ON
run() { if [[ -z "${DISPLAY:-}" ]] && command -v xvfb-run >/dev/null; then xvfb-run -a "$@"; else "$@"; fi; }
if [[ "${1:-}" == peers ]]; then
  found=0
  for program in $(find build-release/bench/peers -maxdepth 1 -type f -executable -name 'peer_*' 2>/dev/null | sort); do
    echo "== ${program##*/}"
    run "$program"
    found=1
  done
  ((found)) || echo "no peer programs built (their packages are missing; see the cmake messages)"
  exit 0
fi
if (($# == 0)); then set -- $(find build-release/bench -maxdepth 1 -type f -executable -name 'bench_*' -printf '%f\n' | sort); fi
for name in "$@"; do
  echo "== $name"
  run build-release/bench/"$name"
done
