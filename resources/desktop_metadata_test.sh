#!/usr/bin/env bash
# The AppStream description and the desktop entry pass Debian's validators; the description names
# the desktop entry by the application id, the entry names the icon by it, every screenshot is a
# picture of docs/ of the size given, and the newest release is this build's version.
# Usage: desktop_metadata_test.sh METAINFO DESKTOP-ENTRY DOCS-DIR VERSION
set -uo pipefail
metainfo=$1 desktop=$2 docs=$3 version=$4
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate --no-net"
desktop-file-validate "$desktop" || fail "desktop-file-validate"

id=$(basename "$metainfo" .metainfo.xml)
[ "$(basename "$desktop")" = "$id.desktop" ] || fail "the desktop entry is not named $id.desktop"
grep -qx "Icon=$id" "$desktop" || fail "the desktop entry's icon is not $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" || fail "no launchable $id.desktop"
grep -q "<release version=\"$version\"" "$metainfo" || fail "no release $version"

python3 - "$metainfo" "$docs" <<'PY' || fail "screenshots"
import re, struct, sys, xml.etree.ElementTree as ET
root = ET.parse(sys.argv[1]).getroot()
images = root.findall("./screenshots/screenshot/image")
ok = bool(images)
for image in images:
    name = image.text.rsplit("/", 1)[-1]
    try:
        with open(f"{sys.argv[2]}/{name}", "rb") as f:
            head = f.read(24)
    except OSError:
        print(f"no docs/{name}"); ok = False; continue
    width, height = struct.unpack(">II", head[16:24])
    if head[:8] != b"\x89PNG\r\n\x1a\n" or (width, height) != (int(image.get("width")), int(image.get("height"))):
        print(f"docs/{name} is not a {image.get('width')}x{image.get('height')} PNG"); ok = False
sys.exit(0 if ok else 1)
PY

if ((failures)); then exit 1; fi
echo ok
