#!/usr/bin/env bash
# One entry for a fresh Debian 12 machine:
#   scripts/dev.sh run    install what is missing, build, start Quillmoor
#   scripts/dev.sh test   install what is missing, build, run every test
# Debian packages are installed only when missing (as root, or through sudo).
set -euo pipefail

cd "$(dirname "$0")/.."
ROOT=$(pwd)
BUILD=${QUILLMOOR_BUILD_DIR:-$ROOT/build}

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-declarative-dev qt6-declarative-dev-tools
  qt6-multimedia-dev qt6-qpa-plugins qt6-wayland
  qml6-module-qtqml qml6-module-qtqml-workerscript qml6-module-qtquick
  qml6-module-qtquick-controls qml6-module-qtquick-templates qml6-module-qtquick-layouts
  qml6-module-qtquick-window qml6-module-qtquick-shapes
  libplist-dev libglib2.0-dev libxxhash-dev xfsprogs
  qt6-image-formats-plugins libheif-dev libheif-examples
  fonts-material-design-icons-iconfont fonts-dejavu-core fonts-noto-core fonts-noto-cjk
  pkexec dbus-daemon
  libgtest-dev libgmock-dev libbenchmark-dev
  desktop-file-utils appstream help2man man-db librsvg2-bin trash-cli libxml2-utils
)

install_missing() {
  local missing=()
  for pkg in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$pkg")
    fi
  done
  if [ ${#missing[@]} -eq 0 ]; then
    return
  fi
  echo "Installing: ${missing[*]}"
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Please run as root, or install sudo." >&2; exit 1; }
    sudo=(sudo)
  fi
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
}

build() {
  cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build "$BUILD" -j"$(nproc)"
}

case "${1:-}" in
  run)
    install_missing
    build
    exec "$BUILD/quillmoor"
    ;;
  test)
    install_missing
    build
    cd "$BUILD"
    ctest --output-on-failure -j"$(nproc)" --timeout 600
    ;;
  *)
    echo "usage: scripts/dev.sh run|test" >&2
    exit 2
    ;;
esac
