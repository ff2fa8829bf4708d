#!/usr/bin/env bash
# Sets everything up and runs every test: the layout check of clang-format, a normal build with
# the desktop program (unit, window and end-to-end tests), an AddressSanitizer +
# UndefinedBehaviorSanitizer build of the core (everything without Qt) with its whole test suite,
# and the libFuzzer targets built with clang and run for a fixed number of inputs each.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-deps.sh test

# Every C++ file of the tree as .clang-format lays it out.
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror

scripts/build.sh build -DSUMORAN_TESTS=ON -DSUMORAN_BENCH=ON
ctest --test-dir build --output-on-failure -j"$(nproc)"

scripts/build.sh build-asan -DSUMORAN_SANITIZE=ON -DSUMORAN_GUI=OFF -DSUMORAN_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j"$(nproc)"

scripts/build.sh build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DSUMORAN_FUZZ=ON -DSUMORAN_GUI=OFF -DSUMORAN_TESTS=OFF \
  -DSUMORAN_BENCH=OFF
fuzz/run.sh build-fuzz
