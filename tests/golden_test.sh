#!/usr/bin/env bash
# Compares sumoran-cli's JSON of every page under samples/ and tests/golden/ with the output saved
# beside the pages, so that a change meant to keep the behaviour cannot alter a single byte of what
# the program shows. Usage: golden_test.sh PATH/TO/sumoran-cli [--update]
#   --update  writes the outputs anew (after a change that is meant to alter them; review the diff)
set -euo pipefail
cli=$1
update=${2:-}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
golden=$here/golden
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The default coefficients and stop words, so that the user's settings take no part.
settings=(--koef="$golden/koef.dat" --stopwords="$root/data/stopwords.txt" --decimal=.)
variants=("plain:" "all:--all-types --index-title --index-meta --index-img-alt --limit=3 --force-headings")

failed=0
checked=0
for page in "$root"/samples/*.html "$golden"/*.html; do
  name=$(basename "$page" .html)
  for variant in "${variants[@]}"; do
    label=${variant%%:*}
    read -r -a options <<<"${variant#*:}"
    expected=$golden/$name.$label.json
    "$cli" --format=json "${settings[@]}" "${options[@]}" "$page" >"$work/out.json" 2>/dev/null || true
    if [ "$update" = --update ]; then
      cp "$work/out.json" "$expected"
    elif ! cmp -s "$work/out.json" "$expected"; then
      echo "DIFFERS: $name ($label)"
      diff "$expected" "$work/out.json" | head -20 || true
      failed=$((failed + 1))
    fi
    checked=$((checked + 1))
  done
done
echo "$checked outputs compared, $failed differ"
[ "$checked" -gt 0 ] && [ "$failed" -eq 0 ]
