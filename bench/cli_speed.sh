#!/usr/bin/env bash
# The speed of the whole single-page analysis as a ratio to `wc -w` on the same bytes.
#
#   bench/cli_speed.sh PATH/TO/sumoran-cli [RUNS]
#
# The page is every HTML file of the Russian GIMP manual (Debian package gimp-help-ru) joined in
# sorted order, about 9 MB, and the same page four times over. Each round runs `wc -w` and
# `sumoran-cli --format=json` on a page one after the other; the best of RUNS rounds (7 by
# default) counts, so that other work on the machine weighs as little as it can. Prints, for
# both pages, the seconds (elapsed and CPU) of each program, the ratio to wc -w, the growth from
# the page to four times the page, and the peak resident memory of the analysis.
set -euo pipefail
cli=$(realpath "$1")
runs=${2:-7}
manual=/usr/share/gimp/2.0/help/ru
[ -d "$manual" ] || { echo "cli_speed.sh: $manual is missing (apt-get install gimp-help-ru)" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
find "$manual" -name '*.html' -print0 | LC_ALL=C sort -z | xargs -0 cat >"$work/page1.html"
for _ in 1 2 3 4; do cat "$work/page1.html"; done >"$work/page4.html"
here=$(cd "$(dirname "$0")/.." && pwd)
# The default coefficients and stop words, as the saved-output test uses them.
settings=(--koef="$here/tests/golden/koef.dat" --stopwords="$here/data/stopwords.txt" --decimal=.)

python3 - "$cli" "$runs" "$work" "${settings[@]}" <<'EOF'
import os, subprocess, sys, time

cli, runs, work, settings = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4:]

def run(command):
    start = time.monotonic()
    child = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    if status != 0:
        sys.exit(f"cli_speed.sh: {command[0]} failed")
    return time.monotonic() - start, usage.ru_utime + usage.ru_stime, usage.ru_maxrss / 1024

best = {}
for page in ("page1", "page4"):
    path = os.path.join(work, page + ".html")
    wc, an = [], []
    for _ in range(runs):
        wc.append(run(["wc", "-w", path]))
        an.append(run([cli, "--format=json", *settings, path]))
    best[page] = {
        "MB": os.path.getsize(path) / 1e6,
        "wc": (min(r[0] for r in wc), min(r[1] for r in wc)),
        "cli": (min(r[0] for r in an), min(r[1] for r in an)),
        "peak": max(r[2] for r in an),
    }

print(f"{'page':<8}{'MB':>7}{'wc -w s':>10}{'cli s':>9}{'cli CPU s':>11}{'ratio':>8}{'CPU ratio':>11}{'peak MiB':>10}")
for page, b in best.items():
    print(f"{page:<8}{b['MB']:7.1f}{b['wc'][0]:10.3f}{b['cli'][0]:9.3f}{b['cli'][1]:11.3f}"
          f"{b['cli'][0] / b['wc'][0]:8.2f}{b['cli'][1] / b['wc'][1]:11.2f}{b['peak']:10.0f}")
grow = best["page4"]["cli"][0] / best["page1"]["cli"][0]
grow_cpu = best["page4"]["cli"][1] / best["page1"]["cli"][1]
print(f"growth for 4x the page: {grow:.2f}x elapsed, {grow_cpu:.2f}x CPU")
EOF
