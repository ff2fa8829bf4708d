#!/usr/bin/env bash
# The window's speed on pages with many images against the web engine alone.
#
#   bench/window_speed.sh PATH/TO/openspeed_xvfb_tool [IMAGES...]
#
# Builds pages of short paragraphs with an image of 67 bytes in each (1,000 and 10,000 images by
# default), as local files beside their images and served by an HTTP server on a free loopback
# port. For each page it runs openspeed_xvfb_tool under a virtual X server twice: once with
# --plain (a bare QWebEngineView, from load to load finished) and once in the window (from
# opening to results, and to the browser's load complete), and prints the seconds and the ratio
# of the window's load complete to the engine alone.
set -euo pipefail
tool=$(realpath "$1")
shift
counts=("$@")
[ $# -gt 0 ] || counts=(1000 10000)
work=$(mktemp -d)
server=
cleanup() {
  [ -n "$server" ] && kill "$server" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi

python3 - "$work" "${counts[@]}" <<'EOF'
import base64, os, sys
work, counts = sys.argv[1], [int(c) for c in sys.argv[2:]]
png = base64.b64decode("iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8BQDwAEhQGAhKmMIQAAAABJRU5ErkJggg==")
os.makedirs(os.path.join(work, "img"))
for i in range(max(counts)):
    with open(os.path.join(work, "img", "%d.png" % i), "wb") as f:
        f.write(png)
for n in counts:
    parts = ["<!DOCTYPE html><html><head><meta charset='utf-8'><title>Картинки</title></head><body>"]
    for i in range(n):
        parts.append("<p>Абзац номер %d о словах страницы. <img src='img/%d.png' width=4 height=4></p>" % (i, i))
    parts.append("</body></html>")
    with open(os.path.join(work, "i%d.html" % n), "w", encoding="utf-8") as f:
        f.write("".join(parts))
EOF

# A threaded server for the same files on a free port; it writes the port into a file.
python3 - "$work" <<'EOF' &
import functools, http.server, socketserver, sys
work = sys.argv[1]
class Quiet(http.server.SimpleHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    def end_headers(self):
        self.send_header("Cache-Control", "no-store")
        super().end_headers()
    def log_message(self, *args):
        pass
class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
server = Server(("127.0.0.1", 0), functools.partial(Quiet, directory=work))
with open(work + "/port", "w") as f:
    f.write(str(server.server_port))
server.serve_forever()
EOF
server=$!
for _ in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.1; done
base="http://127.0.0.1:$(cat "$work/port")"

measure() {  # measure ARGS...: the tool's output under a virtual X server
  xvfb-run -a -s "-screen 0 1280x1024x24" "$tool" "$@" 2>/dev/null
}
seconds() { sed -n "s/^$1: \([0-9.]*\) s$/\1/p"; }

printf '%-28s %10s %12s %12s %7s\n' page engine results loaded ratio
for n in "${counts[@]}"; do
  for page in "$work/i$n.html" "$base/i$n.html"; do
    plain=$(measure --plain "$page" | seconds "plain engine, opening to load finished")
    window=$(measure "$page")
    results=$(seconds "opening to results" <<<"$window")
    loaded=$(seconds "opening to the browser's load complete" <<<"$window")
    kind=local
    [[ $page == http* ]] && kind=http
    ratio=$(python3 -c "print('%.2f' % ($loaded / $plain))")
    printf '%-28s %9ss %11ss %11ss %6s×\n' "$n images, $kind" "$plain" "$results" "$loaded" "$ratio"
  done
done
