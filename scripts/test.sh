#!/usr/bin/env bash
# Builds everything and runs every test. GL and window tests need an X
# display: without one, ctest runs inside xvfb-run.
#   KOUI_BUILD_DIR, KOUI_SANITIZE, KOUI_JOBS as for scripts/build.sh
#   KOUI_TEST_LABELS   run only tests with these labels (ctest -L regex)
#   KOUI_TEST_EXCLUDE  skip tests with these labels (ctest -LE regex)
#   KOUI_CTEST_ARGS    further ctest arguments
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/build.sh
BUILD_DIR=${KOUI_BUILD_DIR:-build}

CTEST_ARGS=(--test-dir "$BUILD_DIR" --output-on-failure -j "${KOUI_JOBS:-$(nproc)}")
if [[ -n "${KOUI_TEST_LABELS:-}" ]]; then CTEST_ARGS+=(-L "$KOUI_TEST_LABELS"); fi
if [[ -n "${KOUI_TEST_EXCLUDE:-}" ]]; then CTEST_ARGS+=(-LE "$KOUI_TEST_EXCLUDE"); fi
if [[ -n "${KOUI_CTEST_ARGS:-}" ]]; then read -r -a extra <<<"$KOUI_CTEST_ARGS"; CTEST_ARGS+=("${extra[@]}"); fi

if [[ -z "${DISPLAY:-}" ]] && command -v xvfb-run >/dev/null 2>&1; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" ctest "${CTEST_ARGS[@]}"
fi
exec ctest "${CTEST_ARGS[@]}"
