#!/usr/bin/env bash
# Installs the Debian packages the project needs, only those that are missing.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config       # toolchain
  clang libclang-rt-14-dev               # the fuzz targets: libFuzzer and the sanitizer runtimes
  googletest libgtest-dev libbenchmark-dev  # tests and benchmarks
  qt6-base-dev qt6-webengine-dev libqt6svg6  # the desktop program: Qt Widgets, WebEngine, SVG icons
  xvfb xauth fonts-dejavu-core           # window tests under a virtual X server, Cyrillic fonts
  libreoffice-writer-nogui               # reads the summary's RTF back in a test
  kicad-doc-ru aptitude-doc-ru python3   # real Russian pages for the whole-program tests
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -q
  $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
