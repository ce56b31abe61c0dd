#!/usr/bin/env bash
# The main job: builds the library and the hello example, checks the
# example's theme, and runs it. With an X display the window opens (Escape
# or the close panel ends it; edit build/bin/resdata/res.kor meanwhile and
# watch it change). Without one, hello runs under xvfb-run, writes the frame
# of its 30th cycle to build/hello.png and says where it is.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${KOUI_BUILD_DIR:-build}
KOUI_BUILD_TARGETS="hello koui-check" bash scripts/build.sh
"$BUILD_DIR"/bin/koui-check "$BUILD_DIR"/bin/resdata
if [[ -n "${DISPLAY:-}" ]]; then
  exec "$BUILD_DIR"/bin/hello "$@"
fi
echo "demo: no X display; running hello under xvfb-run and taking a screenshot"
xvfb-run -a -s "-screen 0 1280x1024x24" "$BUILD_DIR"/bin/hello --screenshot "$BUILD_DIR"/hello.png --frames 30 "$@"
