#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs one of them.
#   scripts/fuzz.sh TARGET SECONDS [extra libFuzzer flags]
# The seed corpus is fuzz/corpus/<name without fuzz_>; new inputs go to
# build-fuzz/corpus/TARGET so the committed seeds stay small.
set -euo pipefail
cd "$(dirname "$0")/.."
TARGET=${1:?target}; SECONDS_TO_RUN=${2:-600}; shift 2 || true

bash scripts/deps.sh
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DKOUI_FUZZ=ON -DKOUI_BUILD_TESTS=OFF \
  -DKOUI_BUILD_BENCH=OFF -DKOUI_BUILD_TOOLS=OFF -DKOUI_BUILD_EXAMPLES=OFF >/dev/null
cmake --build build-fuzz --target "$TARGET"

SEEDS="fuzz/corpus/${TARGET#fuzz_}"
WORK="build-fuzz/corpus/$TARGET"
mkdir -p "$WORK"
exec build-fuzz/fuzz/"$TARGET" "$WORK" "$SEEDS" -max_total_time="$SECONDS_TO_RUN" \
  -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 "$@"
