#!/usr/bin/env bash
# Installs missing dependencies, configures and builds.
#   KOUI_BUILD_DIR   build folder (default: build)
#   KOUI_SANITIZE    sanitizers, e.g. "address,undefined" or "thread"
#   KOUI_JOBS        parallel jobs (default: number of cores)
#   KOUI_BUILD_TARGETS  build only these targets (blank-separated)
#   extra arguments are passed to cmake at configure time
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh

BUILD_DIR=${KOUI_BUILD_DIR:-build}
JOBS=${KOUI_JOBS:-$(nproc)}
GENERATOR=()
if command -v ninja >/dev/null 2>&1 && [[ ! -f "$BUILD_DIR/Makefile" ]]; then GENERATOR=(-G Ninja); fi

cmake -S . -B "$BUILD_DIR" "${GENERATOR[@]}" \
  -DKOUI_SANITIZE="${KOUI_SANITIZE:-}" "$@" >/dev/null
TARGETS=()
for t in ${KOUI_BUILD_TARGETS:-}; do TARGETS+=(--target "$t"); done
cmake --build "$BUILD_DIR" --parallel "$JOBS" "${TARGETS[@]}"
