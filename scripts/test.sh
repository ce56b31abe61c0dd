#!/usr/bin/env bash
# Builds everything and runs every test. GL and window tests need an X
# display: without one, ctest runs inside xvfb-run.
#   KOUI_BUILD_DIR, KOUI_SANITIZE, KOUI_JOBS as for scripts/build.sh
#   KOUI_TEST_LABELS  run only tests with these labels (ctest -L regex)
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/build.sh
BUILD_DIR=${KOUI_BUILD_DIR:-build}

CTEST_ARGS=(--test-dir "$BUILD_DIR" --output-on-failure -j "${KOUI_JOBS:-$(nproc)}")
if [[ -n "${KOUI_TEST_LABELS:-}" ]]; then CTEST_ARGS+=(-L "$KOUI_TEST_LABELS"); fi

if [[ -z "${DISPLAY:-}" ]] && command -v xvfb-run >/dev/null 2>&1; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" ctest "${CTEST_ARGS[@]}"
fi
exec ctest "${CTEST_ARGS[@]}"
