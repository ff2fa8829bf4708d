#!/usr/bin/env bash
# The batch benchmark: 1,000 real Russian pages of 10 to 200 KB, cut from the Debian packages
# gimp-help-ru, aptitude-doc-ru and kicad-doc-ru (scripts/setup-deps.sh test installs them), analysed by
# sumoran-cli --format=jsonl with one and with two workers. Prints pages/s and MB/s of each run
# and the speed-up. Usage: bench/batch_bench.sh PATH/TO/sumoran-cli [RUNS]
set -euo pipefail
cli=$1
runs=${2:-3}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 - "$work/pages" <<'PY'
import glob, os, re, sys
out = sys.argv[1]
os.makedirs(out)
sources = sorted(glob.glob('/usr/share/gimp/2.0/help/ru/**/*.html', recursive=True)
                 + glob.glob('/usr/share/doc/aptitude/html/ru/*.html')
                 + glob.glob('/usr/share/doc/kicad/help/ru/*.html'))
if not sources:
    sys.exit('no Russian documentation found: run scripts/setup-deps.sh test')
corpus = []
for path in sources:
    text = open(path, encoding='utf-8', errors='replace').read()
    body = re.search(r'<body[^>]*>(.*)</body>', text, re.S | re.I)
    corpus.append(body.group(1) if body else text)
corpus = '\n'.join(corpus).encode('utf-8')
at = 0
for i in range(1000):
    size = (10 + (i * 7919) % 191) * 1024  # 10 to 200 KB
    if at + size > len(corpus):
        at = 0
    end = corpus.find(b'<', at + size)
    end = len(corpus) if end < 0 else end
    page = b'<html><head><meta charset="utf-8"><title>' + str(i).encode() + b'</title></head><body>' + \
        corpus[at:end] + b'</body></html>\n'
    open(os.path.join(out, '%04d.html' % i), 'wb').write(page)
    at = end
PY
settings=(--koef="$here/../tests/golden/koef.dat" --stopwords="$here/../data/stopwords.txt")
# The best of RUNS for each number of workers, in wall time; the processor time (user and system)
# beside it shows what a shared machine hides: with free cores, -j 2 costs no more processor time.
python3 - "$runs" "$work/pages" "$cli" "${settings[@]}" <<'PY'
import os, resource, subprocess, sys, time
runs, pages, cli, settings = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4:]
size = sum(os.path.getsize(os.path.join(pages, f)) for f in os.listdir(pages))
count = len(os.listdir(pages))
print('%d pages, %.1f MB' % (count, size / 1e6))
best = {}
for jobs in (1, 2):
    for _ in range(runs):
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.monotonic()
        subprocess.run([cli, '--quiet', '--format=jsonl', '-j', str(jobs), *settings, pages],
                       stdout=subprocess.DEVNULL, check=True)
        wall = time.monotonic() - start
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        cpu = after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime
        if jobs not in best or wall < best[jobs][0]:
            best[jobs] = (wall, cpu)
    wall, cpu = best[jobs]
    print('-j %d: %.2f s (processor %.2f s), %.0f pages/s, %.1f MB/s' % (jobs, wall, cpu, count / wall, size / 1e6 / wall))
print('speed-up of -j 2: %.2f x (load average %.1f)' % (best[1][0] / best[2][0], os.getloadavg()[0]))
PY
