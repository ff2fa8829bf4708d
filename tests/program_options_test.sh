#!/usr/bin/env bash
# The desktop program answers --help, -h, --version and -v, and refuses an unknown option, without a
# display (none is given to it here): had it started its window, it would fail. Both programs print
# the version the build gave. Usage: program_options_test.sh SUMORAN SUMORAN-CLI VERSION
set -uo pipefail
sumoran=$1 cli=$2 version=$3
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Runs the desktop program without any display; sets out, err and code.
run() {
  local dir
  dir=$(mktemp -d)
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$sumoran" "$@" >"$dir/out" 2>"$dir/err"
  code=$?
  out=$(cat "$dir/out") err=$(cat "$dir/err")
  rm -rf "$dir"
}

for opt in --help -h; do
  run "$opt"
  [ "$code" = 0 ] || fail "$opt exits $code"
  [[ $out == "usage: sumoran "* ]] || fail "$opt prints no usage: $out"
  [[ $out == *"Exit codes:"* ]] || fail "$opt names no exit codes"
  [ -z "$err" ] || fail "$opt writes to standard error: $err"
done

for opt in --version -v; do
  run "$opt"
  [ "$code" = 0 ] || fail "$opt exits $code"
  [ "$out" = "sumoran $version" ] || fail "$opt prints '$out', not 'sumoran $version'"
done
[ "$("$cli" --version)" = "sumoran-cli $version" ] || fail "sumoran-cli --version is not 'sumoran-cli $version'"

run --no-such-option
[ "$code" = 2 ] || fail "an unknown option exits $code, not 2"
[ -z "$out" ] || fail "an unknown option prints on standard output: $out"
[[ $err == "sumoran: "*"no-such-option"* ]] || fail "the message does not name the option: $err"
[[ $err == *"usage: sumoran "* ]] || fail "no usage after the message: $err"

run one.html two.html
[ "$code" = 2 ] || fail "two pages exit $code, not 2"

if ((failures)); then exit 1; fi
echo "ok"
