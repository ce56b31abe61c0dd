#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs them.
#   scripts/fuzz.sh TARGET SECONDS [extra libFuzzer flags]
#   scripts/fuzz.sh all SECONDS [extra libFuzzer flags]   every target in turn
# The seed corpus is fuzz/corpus/<name without fuzz_>; new inputs go to
# build-fuzz/corpus/TARGET so the committed seeds stay small, and a crashing
# input to build-fuzz/artifacts/TARGET/. A crash, a sanitizer report or a
# failed check of a target ends the script with a nonzero status.
#   KOUI_JOBS   parallel build jobs (default: number of cores)
set -euo pipefail
cd "$(dirname "$0")/.."
TARGET=${1:?target or all}; SECONDS_TO_RUN=${2:-600}; shift 2 || true

bash scripts/deps.sh
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DKOUI_FUZZ=ON -DKOUI_BUILD_TESTS=OFF \
  -DKOUI_BUILD_BENCH=OFF -DKOUI_BUILD_TOOLS=OFF -DKOUI_BUILD_EXAMPLES=OFF >/dev/null
TARGETS=("$TARGET")
if [[ $TARGET == all ]]; then
  IFS=';' read -r -a TARGETS < <(sed -n 's/^KOUI_FUZZ_TARGETS:INTERNAL=//p' build-fuzz/CMakeCache.txt)
fi
cmake --build build-fuzz --parallel "${KOUI_JOBS:-$(nproc)}" --target "${TARGETS[@]}"

# The archive and profile targets write a scratch file per input: in memory
# they do not wait for the disk (the profile writer syncs every file).
if [[ -z ${TMPDIR:-} && -d /dev/shm && -w /dev/shm ]]; then export TMPDIR=/dev/shm; fi

for t in "${TARGETS[@]}"; do
  SEEDS="fuzz/corpus/${t#fuzz_}"
  WORK="build-fuzz/corpus/$t"
  ARTIFACTS="build-fuzz/artifacts/$t/"
  mkdir -p "$WORK" "$ARTIFACTS"
  # libFuzzer caps inputs at the largest seed by default; mutations that
  # need room to grow (more chunks, entries, lines) get four times that.
  LARGEST=$(find "$SEEDS" -type f -printf '%s\n' | sort -n | tail -n 1)
  MAX_LEN=$((LARGEST * 4 > 16384 ? LARGEST * 4 : 16384))
  echo "=== $t: $SECONDS_TO_RUN s, inputs up to $MAX_LEN bytes"
  # Standard output and error of the code under test are closed: the tool
  # targets print per input. libFuzzer's and the sanitizers' reports remain.
  build-fuzz/fuzz/"$t" "$WORK" "$SEEDS" -max_total_time="$SECONDS_TO_RUN" -max_len="$MAX_LEN" \
    -timeout=10 -rss_limit_mb=2048 -close_fd_mask=3 -artifact_prefix="$ARTIFACTS" -print_final_stats=1 "$@"
done
