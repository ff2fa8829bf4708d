#!/usr/bin/env bash
# Installs the Debian packages the project needs, only those that are missing:
#   scripts/setup-deps.sh run    what building and running the programs needs
#   scripts/setup-deps.sh test   that and the test tools (the default)
set -euo pipefail

run_packages=(
  g++ cmake ninja-build pkg-config           # toolchain
  qt6-base-dev qt6-webengine-dev libqt6svg6  # the desktop program: Qt Widgets, WebEngine, SVG icons
  qt6-charts-dev qt6-translations-l10n       # the chart of sentence weights, Qt's own texts in Russian
  fonts-dejavu-core                          # Cyrillic fonts
  libhunspell-dev hunspell-ru                # stems from a dictionary: the library and the Russian dictionary
  libcurl4-openssl-dev ca-certificates       # sumoran-cli: fetching http and https addresses
  nlohmann-json3-dev                         # sumoran-cli aggregate: reading its own JSON lines
  libxml2-dev zlib1g-dev                     # main-text extraction: the HTML parser; its scoring reads gzip pages
  go-md2man                                  # the manual pages, from their Markdown sources
)
test_packages=(
  clang libclang-rt-14-dev                  # the fuzz targets: libFuzzer and the sanitizer runtimes
  clang-format git                          # the layout check of every C++ file
  googletest libgtest-dev libbenchmark-dev  # tests and benchmarks
  xvfb xauth                                # window tests under a virtual X server
  openbox xdotool                           # a window manager and real key presses for the keyboard test
  libreoffice-writer-nogui                  # reads the summary's RTF back in a test
  libreoffice-calc-nogui                    # reads the lists' CSV back in a test
  kicad-doc-ru aptitude-doc-ru python3      # real Russian pages for the whole-program tests
  gimp-help-ru parallel                     # Russian pages for the speed and batch benchmarks; the README's parallel example
  bash-completion zsh                       # the shell completion of sumoran-cli, loaded as the shells load it
  appstream desktop-file-utils              # the validators of the AppStream description and the desktop entry
)

case "${1:-test}" in
  run) packages=("${run_packages[@]}") ;;
  test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
  *) echo "usage: $0 [run|test]" >&2; exit 2 ;;
esac

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
