#!/usr/bin/env bash
# Analyses the Russian manuals that Debian ships (kicad-doc-ru, aptitude-doc-ru) with sumoran-cli:
# every page must give valid JSON, and a page re-encoded in KOI8-R, ISO 8859-5 and Windows-1251
# must be recognised as such. Usage: real_pages_test.sh PATH/TO/sumoran-cli
# Without those packages it exits 77, which ctest reports as skipped (scripts/setup-deps.sh test
# installs them).
set -euo pipefail
cli=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

shopt -s nullglob
kicad=(/usr/share/doc/kicad/help/ru/*.html)
aptitude=(/usr/share/doc/aptitude/html/ru/*.html)
sample=/usr/share/doc/kicad/help/ru/kicad.html
if [ ! -e "$sample" ] || [ ${#aptitude[@]} -eq 0 ]; then
  echo "SKIPPED: kicad-doc-ru and aptitude-doc-ru are needed (scripts/setup-deps.sh test installs them)"
  exit 77
fi
pages=("${kicad[@]}" "${aptitude[@]}")

failed=0
checked=0
for page in "${pages[@]}"; do
  if ! "$cli" --format=json "$page" >"$work/out.json" 2>"$work/err"; then
    echo "FAILED: $page: $(cat "$work/err")"
    failed=$((failed + 1))
  elif ! python3 -m json.tool "$work/out.json" >/dev/null; then
    echo "FAILED: $page: invalid JSON"
    failed=$((failed + 1))
  fi
  checked=$((checked + 1))
done

# The charset of each encoding, taken from the JSON output.
for pair in "KOI8-R:KOI8-R" "ISO-8859-5:ISO 8859-5" "CP1251:Windows-1251"; do
  encoding=${pair%%:*}
  expected=${pair#*:}
  iconv -c -f UTF-8 -t "$encoding" "$sample" >"$work/page.html" || true
  charset=$("$cli" --format=json "$work/page.html" | python3 -c 'import json,sys; print(json.load(sys.stdin)["charset"])')
  if [ "$charset" != "$expected" ]; then
    echo "FAILED: $sample in $encoding detected as $charset"
    failed=$((failed + 1))
  fi
  checked=$((checked + 1))
done

echo "$((checked - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
