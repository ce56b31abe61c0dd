#!/usr/bin/env bash
# Builds in Release and runs every benchmark (or those named as arguments).
set -euo pipefail
cd "$(dirname "$0")/.."
KOUI_BUILD_DIR=build-release bash scripts/build.sh -DCMAKE_BUILD_TYPE=Release -DKOUI_BUILD_TESTS=OFF -DKOUI_BUILD_EXAMPLES=ON
run() { if [[ -z "${DISPLAY:-}" ]] && command -v xvfb-run >/dev/null; then xvfb-run -a "$@"; else "$@"; fi; }

# `bench.sh peers [ROUNDS]`: our programs and the peers' (bench/peers/) in
# interleaved rounds, one table of CPU medians, ranges and ratios.
if [[ "${1:-}" == peers ]]; then
  rounds=${2:-5}
  out=$(mktemp -d)
  trap 'rm -rf "$out"' EXIT
  # One round of a benchmark program: "name cpu_ms" lines appended to $out/$2.
  round() {
    run "$1" --benchmark_format=csv --benchmark_min_time=0.5 2>/dev/null |
      awk -F, '/^"BM_/ { gsub(/"/, "", $1); m = ($5 == "us") ? $4 / 1000 : ($5 == "ns") ? $4 / 1e6 : $4; print $1, m }' >>"$out/$2"
  }
  rows=()  # "work|ours file|peer file|benchmark name|peer name"
  # --- Frame: bench_panels against peer_frame_imgui, CPU of the drawing thread per frame.
  if [[ -x build-release/bench/peers/peer_frame_imgui ]]; then
    for ((r = 0; r < rounds; ++r)); do
      round build-release/bench/bench_panels frame.ours
      round build-release/bench/peers/peer_frame_imgui frame.peer
    done
    for n in 1000 5000; do rows+=("frame, $n panels (ms)|frame.ours|frame.peer|BM_FramePanels/$n|Dear ImGui"); done
  else
    echo "frame: peer_frame_imgui not built (libimgui-dev missing); skipped"
  fi
  printf '%-26s %-22s %-12s %-22s %s\n' work ko-ui peer "peer time" "ratio (ko-ui/peer)"
  for row in "${rows[@]}"; do
    IFS='|' read -r work ours peer name peerName <<<"$row"
    summary() { awk -v n="$1" '$1 == n { v[++k] = $2 } END { if (!k) { print "- - -"; exit }
      for (i = 1; i <= k; ++i) for (j = i + 1; j <= k; ++j) if (v[j] < v[i]) { t = v[i]; v[i] = v[j]; v[j] = t }
      m = (k % 2) ? v[(k + 1) / 2] : (v[k / 2] + v[k / 2 + 1]) / 2; printf "%.3f %.3f %.3f\n", m, v[1], v[k] }' "$2"; }
    read -r om olo ohi < <(summary "$name" "$out/$ours")
    read -r pm plo phi < <(summary "$name" "$out/$peer")
    ratio=$(awk -v a="$om" -v b="$pm" 'BEGIN { if (b > 0) printf "%.2fx", a / b; else print "-" }')
    printf '%-26s %-22s %-12s %-22s %s\n' "$work" "$om [$olo-$ohi]" "$peerName" "$pm [$plo-$phi]" "$ratio"
  done
  echo "(medians of $rounds interleaved rounds, [min-max]; load: $(uptime | sed 's/.*load average: //'))"
  exit 0
fi
if (($# == 0)); then set -- $(find build-release/bench -maxdepth 1 -type f -executable -name 'bench_*' -printf '%f\n' | sort); fi
for name in "$@"; do
  echo "== $name"
  run build-release/bench/"$name"
done
