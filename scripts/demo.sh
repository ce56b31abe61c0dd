#!/usr/bin/env bash
# The main job: builds the library and the gallery example, checks both of
# its themes with koui-check, and runs it. With an X display the window
# opens (1..9 or PageUp/PageDown change the page, T the theme, Escape ends;
# edit build/bin/gallery/themes/dark/res.kor meanwhile and watch it change).
# Without one, the gallery runs under xvfb-run once per page and theme,
# writes each page's 20th frame to build/gallery/THEME-PAGE.png and prints
# the paths.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${KOUI_BUILD_DIR:-build}
KOUI_BUILD_TARGETS="gallery koui-check" bash scripts/build.sh
for theme in dark light; do
  "$BUILD_DIR"/bin/koui-check "$BUILD_DIR"/bin/gallery/themes/$theme
done
if [[ -n "${DISPLAY:-}" ]]; then
  exec "$BUILD_DIR"/bin/gallery/gallery "$@"
fi
echo "demo: no X display; running the gallery under xvfb-run, one screenshot per page and theme"
mkdir -p "$BUILD_DIR"/gallery
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  for theme in dark light; do
    for page in texts buttons fields containers fader menu progress function plot; do
      "$0"/bin/gallery/gallery --theme $theme --page $page --frames 20 \
        --screenshot "$0"/gallery/$theme-$page.png "${@}" >/dev/null || exit 1
      echo "$0/gallery/$theme-$page.png"
    done
  done' "$BUILD_DIR" "$@"
