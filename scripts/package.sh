#!/usr/bin/env bash
# Builds the Debian package: a release tree without tests and benchmarks in build-release, then
# cpack. Prints the path of the .deb on the last line. Extra arguments go to cmake's configure step.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-deps.sh

# cpack's DEB generator needs dpkg-shlibdeps (dpkg-dev) and file to compute the library dependencies.
missing=()
for p in dpkg-dev file; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Warnings are not errors here: GCC 12 at -O3 warns falsely inside the standard library (-Wrestrict
# in std::string), and a package build must not stop on that; the test builds keep -Werror.
dir=build-release
scripts/build.sh "$dir" -DCMAKE_BUILD_TYPE=Release -DSUMORAN_WERROR=OFF -DSUMORAN_TESTS=OFF -DSUMORAN_BENCH=OFF \
  -DSUMORAN_GUI=ON "$@"
rm -f "$dir"/sumoran_*.deb
(cd "$dir" && cpack -G DEB >cpack.log) || { cat "$dir/cpack.log" >&2; exit 1; }
deb=$(ls "$dir"/sumoran_*.deb)
echo "$(pwd)/$deb"
