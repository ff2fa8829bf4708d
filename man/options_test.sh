#!/usr/bin/env bash
# Every option a program's --help names is an entry of the OPTIONS section of each of its manual
# pages, and every entry there is an option of --help; an option with a list of values lists the
# same values in both. Usage: options_test.sh PROGRAM PAGE.md...
set -euo pipefail
program=$1
shift

# The options of "  -x, --name=VALUES  meaning" lines, one per line; with --values, the
# "--name=a|b|c" specs of those that list their values.
help_options() {
  "$program" --help | grep -E '^  -' | sed -E 's/   .*//' |
    if [ "${1:-}" = --values ]; then grep -oE -- '--[a-z][a-z0-9-]*=[a-z0-9.,%|-]+'; else
      grep -oE -- '(^|[ ,])--?[a-z][a-z0-9-]*' | tr -d ' ,'; fi | sort -u
}

# The same from the entries of a page's OPTIONS (ПАРАМЕТРЫ) section: lines starting with "**-".
page_options() {
  local page=$1
  awk '/^# (OPTIONS|ПАРАМЕТРЫ)$/ { on = 1; next } /^# / { on = 0 } on && /^\*\*-/' "$page" | sed 's/\*\*//g' |
    if [ "${2:-}" = --values ]; then grep -oE -- '--[a-z][a-z0-9-]*=[a-z0-9.,%|-]+'; else
      grep -oE -- '(^|[ ,])--?[a-z][a-z0-9-]*' | tr -d ' ,'; fi | sort -u
}

status=0
for page in "$@"; do
  for kind in "" --values; do
    if ! differences=$(diff <(help_options $kind) <(page_options "$page" $kind)); then
      echo "FAIL: $page and $program --help differ ${kind:+in the values }(< help, > page):"
      echo "$differences"
      status=1
    fi
  done
  [ -n "$(page_options "$page")" ] || { echo "FAIL: $page names no option"; status=1; }
done
[ $status = 0 ] && echo "ok: $(help_options | wc -l) options in $#"
exit $status
