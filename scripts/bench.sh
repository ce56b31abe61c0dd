#!/usr/bin/env bash
# Builds in Release and runs every benchmark (or those named as arguments).
set -euo pipefail
cd "$(dirname "$0")/.."
KOUI_BUILD_DIR=build-release bash scripts/build.sh -DCMAKE_BUILD_TYPE=Release -DKOUI_BUILD_TESTS=OFF -DKOUI_BUILD_EXAMPLES=ON
run() { if [[ -z "${DISPLAY:-}" ]] && command -v xvfb-run >/dev/null; then xvfb-run -a "$@"; else "$@"; fi; }
if (($# == 0)); then set -- $(find build-release/bench -maxdepth 1 -type f -executable -name 'bench_*' -printf '%f\n' | sort); fi
for name in "$@"; do
  echo "== $name"
  run build-release/bench/"$name"
done
