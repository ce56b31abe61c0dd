#!/usr/bin/env bash
# Soak runs for figures, not part of CI (about ten minutes on two cores):
#   - 10 000 live reloads of a definition file with random faulty edits in a
#     running window: the last good look stays, every refused reload is
#     reported with its reason, resident memory stays flat;
#   - 200 windows opened and closed in one process, built with the address
#     sanitizer: no leak at exit, the thread count back to where it was
#     after the first windows.
#   scripts/soak.sh [RELOADS] [WINDOWS]
set -euo pipefail
cd "$(dirname "$0")/.."
RELOADS=${1:-10000}; WINDOWS=${2:-200}

KOUI_BUILD_TARGETS=soak_reload bash scripts/build.sh
KOUI_BUILD_DIR=build-asan KOUI_SANITIZE=address,undefined KOUI_BUILD_TARGETS=soak_windows \
  bash scripts/build.sh -DKOUI_BUILD_BENCH=ON -DKOUI_BUILD_EXAMPLES=OFF

run() { if [[ -z "${DISPLAY:-}" ]]; then xvfb-run -a -s "-screen 0 1280x1024x24" "$@"; else "$@"; fi; }
# intercept_tls_get_addr=0: see .ci/run (the leak checker would crash at exit).
export ASAN_OPTIONS=detect_leaks=1:intercept_tls_get_addr=0 LSAN_OPTIONS=suppressions=$PWD/.ci/lsan.supp:print_suppressions=0
echo "=== $RELOADS live reloads"
run build/bench/soak_reload "$RELOADS"
echo "=== $WINDOWS windows, address sanitizer"
run build-asan/bench/soak_windows "$WINDOWS"
