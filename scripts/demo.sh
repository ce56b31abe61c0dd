#!/usr/bin/env bash
# The main job: builds the library and its tools, then runs koui-check on the
# bundled sample resource file and prints the tree it parsed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh -DKOUI_BUILD_TESTS=OFF -DKOUI_BUILD_BENCH=OFF
exec build/bin/koui-check --tree examples/resdata/res.kor
