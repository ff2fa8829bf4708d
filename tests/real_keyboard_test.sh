#!/usr/bin/env bash
# The address box typed on as a person types: the real window under a virtual X server with a
# window manager, keys sent through the X server with xdotool. Ctrl+L, an address and Enter
# navigate, once, also when the address is already in the history. A key event sent to a widget
# by a test does not show this: a key from the keyboard reaches the widget that has the focus.
#   tests/real_keyboard_test.sh path/to/sumoran
# Exits with 77 (a skip) when Xvfb, openbox or xdotool is missing.
set -euo pipefail
sumoran=$(realpath "$1")

for tool in Xvfb openbox xdotool python3; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# An HTTP server on a free loopback port that logs the path of every request.
cat >"$work/server.py" <<'EOF'
import http.server, sys
log, portfile = sys.argv[1], sys.argv[2]
pages = {"/first.html": "First", "/second.html": "Second"}
class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        with open(log, "a") as f:
            f.write(self.path + "\n")
        title = pages.get(self.path)
        if title is None:
            self.send_response(404); self.send_header("Content-Length", "0"); self.end_headers(); return
        body = ("<!DOCTYPE html><html><head><meta charset='utf-8'><title>%s</title></head>"
                "<body><p>Страница %s.</p></body></html>" % (title, title)).encode()
        self.send_response(200)
        self.send_header("Content-Type", "text/html; charset=utf-8")
        self.send_header("Cache-Control", "no-store")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)
    def log_message(self, *args):
        pass
server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
with open(portfile, "w") as f:
    f.write(str(server.server_port))
server.serve_forever()
EOF
# The X server picks a free display itself, so that tests running at the same time never collide.
Xvfb -displayfd 5 -screen 0 1280x1000x24 -nolisten tcp 5>"$work/display" 2>/dev/null &
pids+=($!)
python3 "$work/server.py" "$work/requests.log" "$work/port" &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.1; done
base="http://127.0.0.1:$(cat "$work/port")"
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"

openbox >/dev/null 2>&1 &
pids+=($!)
sleep 1

if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
HOME="$work" "$sumoran" "$base/first.html" >"$work/sumoran.log" 2>&1 &
pids+=($!)

# Waits for a window of the program titled $1, at most a minute.
wait_title() {
  timeout 60 xdotool search --sync --name "^$1 - Sumoran\$" >/dev/null ||
    { echo "no window titled '$1 - Sumoran'"; cat "$work/requests.log"; tail -20 "$work/sumoran.log"; exit 1; }
}
requests() { grep -c "^$1\$" "$work/requests.log" || true; }

wait_title First
window=$(xdotool search --name "^First - Sumoran\$" | head -1)
xdotool windowactivate --sync "$window"

for round in 1 2; do  # the second time the address is in the history
  xdotool key --clearmodifiers ctrl+l
  xdotool type --delay 15 "$base/second.html"
  xdotool key Return
  wait_title Second
  sleep 2  # a second navigation would have started by now
  count=$(requests /second.html)
  [ "$count" -eq "$round" ] || { echo "round $round: /second.html asked for $count times"; exit 1; }
  if [ "$round" -eq 1 ]; then
    xdotool key --clearmodifiers ctrl+l
    xdotool type --delay 15 "$base/first.html"
    xdotool key Return
    wait_title First
  fi
done
echo "Enter in the address box navigated once each time"
