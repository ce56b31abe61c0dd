#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need.
# Checks first and touches apt only when something is missing, so it is
# cheap to run before every build.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config ninja-build ccache
  libglfw3-dev libglew-dev libglm-dev libfreetype-dev libdeflate-dev
  libgl1-mesa-dri libgl1-mesa-dev libglx-mesa0 mesa-utils
  xvfb xauth xdotool
  libgtest-dev libgmock-dev libbenchmark-dev
  libpng-dev fonts-dejavu-core
  clang libclang-rt-14-dev
)

missing=()
for pkg in "${PACKAGES[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$pkg")
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

echo "deps: installing ${missing[*]}" >&2
SUDO=""
if [[ $(id -u) -ne 0 ]]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
