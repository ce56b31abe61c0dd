#!/usr/bin/env bash
# Writes the gallery's reference images on purpose: every page in both
# themes, drawn as the look test draws them (tests/gallery/look_test.cpp),
# to tests/gallery/references/THEME-PAGE.png. Run it after a change that is
# meant to change the look, look at the images, and commit them.
# Without an X display it runs under xvfb-run with the screen of scripts/test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${KOUI_BUILD_DIR:-build}
if [[ -z "${DISPLAY:-}" ]]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi
KOUI_BUILD_TARGETS="gallery" bash scripts/build.sh
OUT=tests/gallery/references
mkdir -p "$OUT"
command -v xdotool >/dev/null && xdotool mousemove 10000 10000
for theme in dark light; do
  for page in texts buttons fields containers fader menu progress function plot; do
    "$BUILD_DIR"/bin/gallery/gallery --theme "$theme" --page "$page" --frames 20 \
      --screenshot "$OUT/$theme-$page.png" >/dev/null
    echo "$OUT/$theme-$page.png"
  done
done
