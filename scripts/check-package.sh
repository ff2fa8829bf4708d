#!/usr/bin/env bash
# Checks the Debian package on a clean Debian 12: makes a fresh minimal root with debootstrap,
# installs the .deb there with apt-get (which fetches its dependencies from the Debian mirror that
# this machine's apt uses), and runs the installed programs; checks the manual pages, the shell
# completion and the AppStream description there, runs lintian on the package, and removes and
# purges it again. Needs root. It downloads a few hundred MB, so it is not part of scripts/test.sh.
#
#   scripts/check-package.sh [DEB]
#
# DEB defaults to the package scripts/package.sh leaves in build-release. SUMORAN_DEBIAN_MIRROR and
# SUMORAN_SECURITY_MIRROR override the mirrors read from /etc/apt; SUMORAN_CHECK_KEEP=1 keeps the
# root afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."

fail() { echo "check-package: $*" >&2; exit 1; }

[ "$(id -u)" -eq 0 ] || fail "must run as root (debootstrap and chroot)"
if [ $# -ge 1 ]; then
  deb=$1
else
  debs=(build-release/sumoran_*.deb)
  deb=${debs[0]}
fi
[ -f "$deb" ] || fail "no package $deb: run scripts/package.sh first"

for tool in debootstrap lintian; do
  if ! command -v $tool >/dev/null; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $tool
  fi
done

# The first URI of this machine's apt sources that serves the given suite, in either sources format.
apt_uri() {
  local suite=$1
  local f
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.sources /etc/apt/sources.list.d/*.list; do
    if [ -f "$f" ]; then cat "$f"; echo; fi
  done |
    awk -v suite="$suite" '
      /^[[:space:]]*deb[[:space:]]/ {
        for (i = 2; i <= NF; i++) if ($i !~ /^\[/ && $i !~ /\]$/) break
        if ($(i + 1) == suite) { print $i; exit }
      }
      /^$/ { uris = ""; suites = "" }
      /^URIs:/ { uris = $2 }
      /^Suites:/ { for (i = 2; i <= NF; i++) if ($i == suite) suites = suite }
      uris != "" && suites != "" { print uris; exit }'
}
mirror=${SUMORAN_DEBIAN_MIRROR:-$(apt_uri bookworm)}
security=${SUMORAN_SECURITY_MIRROR:-$(apt_uri bookworm-security)}
[ -n "$mirror" ] || fail "no bookworm mirror in /etc/apt; set SUMORAN_DEBIAN_MIRROR"

root=$(mktemp -d /var/tmp/sumoran-check.XXXXXX)
chmod 755 "$root"  # an ordinary user runs the program inside it too
cleanup() {
  umount "$root/dev/shm" 2>/dev/null || true
  umount "$root/proc" 2>/dev/null || true
  if [ "${SUMORAN_CHECK_KEEP:-0}" = 1 ]; then
    echo "check-package: root kept in $root"
  elif ! grep -q " $root/" /proc/mounts; then
    rm -rf --one-file-system "$root"
  fi
}
trap cleanup EXIT

echo "== debootstrap --variant=minbase bookworm $root"
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$root.debootstrap.log" 2>&1 ||
  { tail -20 "$root.debootstrap.log" >&2; fail "debootstrap failed (log: $root.debootstrap.log)"; }
rm -f "$root.debootstrap.log"

# The clean root's apt sources: bookworm with its updates and security fixes, as on an installed
# Debian 12. No service starts inside the root.
rm -f "$root/etc/apt/sources.list"
{
  printf 'Types: deb\nURIs: %s\nSuites: bookworm bookworm-updates\nComponents: main\n' "$mirror"
  printf 'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg\n'
  if [ -n "$security" ]; then
    printf '\nTypes: deb\nURIs: %s\nSuites: bookworm-security\nComponents: main\n' "$security"
    printf 'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg\n'
  fi
} >"$root/etc/apt/sources.list.d/debian.sources"
printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
chmod +x "$root/usr/sbin/policy-rc.d"
cp /etc/resolv.conf "$root/etc/resolv.conf"
mount -t proc proc "$root/proc"
mkdir -p "$root/dev/shm"
mount -t tmpfs tmpfs "$root/dev/shm"  # the web engine's shared memory

cp "$deb" "$root/tmp/"
cp samples/sample.html "$root/tmp/sample.html"
debname=$(basename "$deb")

in_root() {
  chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
    DEBIAN_FRONTEND=noninteractive "$@"
}

echo "== lintian $debname"
# No error and no warning; what the package overrides carries its reason beside it.
lintian --fail-on error,warning --info "$deb" && lintian_status=0 || lintian_status=$?

# What a user's system has to read manual pages, complete commands and list software.
echo "== apt-get install man-db bash-completion appstream"
in_root sh -c "apt-get update -q >/tmp/apt.log 2>&1 && apt-get install -y -q man-db bash-completion appstream >>/tmp/apt.log 2>&1" ||
  { tail -30 "$root/tmp/apt.log" >&2; fail "apt-get install of the tools failed"; }

echo "== apt-get install ./$debname"
in_root sh -c "cd /tmp && apt-get install -y -q ./$debname >>/tmp/apt.log 2>&1" ||
  { tail -30 "$root/tmp/apt.log" >&2; fail "apt-get install failed"; }
grep -E '^(Get|Setting up) .*sumoran|^[0-9]+ upgraded' "$root/tmp/apt.log" || true

failures=0
check() {
  local what=$1
  shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}

echo "== installed files"
for f in /usr/bin/sumoran /usr/bin/sumoran-cli /usr/share/sumoran/UserGuide.html /usr/share/sumoran/stopwords.txt \
  /usr/share/applications/org.sumoran.Sumoran.desktop /usr/share/icons/hicolor/scalable/apps/org.sumoran.Sumoran.svg \
  /usr/share/metainfo/org.sumoran.Sumoran.metainfo.xml; do
  check "$f" test -f "$root$f"
done
check "command -v sumoran-cli is /usr/bin/sumoran-cli" \
  test "$(in_root sh -c 'command -v sumoran-cli')" = /usr/bin/sumoran-cli
check "the desktop entry starts sumoran" grep -qx 'Exec=sumoran %U' "$root/usr/share/applications/org.sumoran.Sumoran.desktop"
check "the SVG icon plugin is installed" test -f "$root/usr/lib/x86_64-linux-gnu/qt6/plugins/iconengines/libqsvgicon.so"
for exe in /usr/bin/sumoran /usr/bin/sumoran-cli; do
  in_root ldd "$exe" >"$root/tmp/ldd.txt" 2>&1
  check "ldd $exe finds every library" sh -c "! grep 'not found' '$root/tmp/ldd.txt'"
done

echo "== sumoran-cli --decimal=, /tmp/sample.html (as root)"
in_root sumoran-cli --decimal=, /tmp/sample.html | tee "$root/tmp/summary.txt"
check "the summary starts with the page's heading" test "$(head -n1 "$root/tmp/summary.txt")" = Sumoran
check "the summary has sentences" test "$(wc -l <"$root/tmp/summary.txt")" -ge 3
if [ -x build-release/bin/sumoran-cli ]; then
  build-release/bin/sumoran-cli --decimal=, samples/sample.html >"$root/tmp/expected.txt"
  check "the summary equals the build tree's" cmp -s "$root/tmp/expected.txt" "$root/tmp/summary.txt"
fi
check "root's settings are in /root/.config/sumoran, seeded from /usr/share/sumoran" \
  cmp -s "$root/root/.config/sumoran/stopwords.txt" "$root/usr/share/sumoran/stopwords.txt"
check "nothing was written into /usr/bin" test "$(ls "$root/usr/bin" | grep -c -e koef -e stopwords)" = 0

echo "== sumoran-cli as an ordinary user"
mkdir -p "$root/tmp/user"
chown nobody:nogroup "$root/tmp/user"
chroot --userspec=nobody:nogroup "$root" /usr/bin/env -i PATH=/usr/bin:/bin HOME=/tmp/user LANG=C.UTF-8 \
  sumoran-cli --decimal=, /tmp/sample.html >"$root/tmp/user-summary.txt"
check "the user's summary is the same" cmp -s "$root/tmp/summary.txt" "$root/tmp/user-summary.txt"
check "the user's settings are in ~/.config/sumoran" \
  cmp -s "$root/tmp/user/.config/sumoran/stopwords.txt" "$root/usr/share/sumoran/stopwords.txt"

echo "== sumoran /tmp/sample.html, offscreen for 20 s"
# Without a display the window cannot be seen, but a missing library, Qt plugin or web engine
# resource ends the program at once; still running when the time is up is a pass.
status=0
in_root env QT_QPA_PLATFORM=offscreen timeout 20 sumoran /tmp/sample.html >"$root/tmp/gui.log" 2>&1 || status=$?
check "the desktop program starts and keeps running" test "$status" = 124
if [ "$status" != 124 ]; then tail -20 "$root/tmp/gui.log"; fi

echo "== manual pages, completion, AppStream"
check "man -w sumoran-cli" test "$(in_root man -w sumoran-cli)" = /usr/share/man/man1/sumoran-cli.1.gz
check "man -w sumoran" test "$(in_root man -w sumoran)" = /usr/share/man/man1/sumoran.1.gz
check "the Russian manual page in a Russian locale" \
  test "$(in_root man -L ru -w sumoran-cli)" = /usr/share/man/ru/man1/sumoran-cli.1.gz
# Shown from its file, so that man-db keeps no formatted copy in /var/cache/man.
check "the manual page shows the version" sh -c "chroot '$root' env MANWIDTH=80 man -l /usr/share/man/man1/sumoran-cli.1.gz 2>/dev/null | grep -q 'Sumoran $(dpkg-deb -f "$deb" Version)'"
completion=$(in_root bash -c 'source /usr/share/bash-completion/bash_completion; _completion_loader sumoran-cli; complete -p sumoran-cli' 2>&1)
check "bash completion is loaded for sumoran-cli" test "$completion" = "complete -F _sumoran_cli sumoran-cli"
check "zsh completion is installed" test -f "$root/usr/share/zsh/vendor-completions/_sumoran-cli"
in_root appstreamcli refresh-cache --force >/dev/null 2>&1 || true
check "appstreamcli finds org.sumoran.Sumoran" sh -c "chroot '$root' appstreamcli get org.sumoran.Sumoran 2>&1 | grep -q 'Summary: '"

echo "== apt-get remove, then purge"
installed=$(in_root dpkg-query -L sumoran)
in_root apt-get remove -y -q sumoran >"$root/tmp/remove.log" 2>&1
check "remove takes the programs away" test ! -e "$root/usr/bin/sumoran" -a ! -e "$root/usr/bin/sumoran-cli"
# A package without configuration files is gone from dpkg's list once removed, and apt-get no longer
# knows a package installed from a file; dpkg purges what is left either way.
in_root dpkg --purge sumoran >>"$root/tmp/remove.log" 2>&1
status=$(in_root dpkg-query -W -f='${db:Status-Abbrev}' sumoran 2>/dev/null || true)
check "dpkg holds nothing of sumoran after the purge ('$status')" test -z "$status" -o "${status:1:1}" = n
check "purge leaves none of the package's files" sh -c "for f in \$0; do [ -d '$root'\$f ] || [ ! -e '$root'\$f ] || exit 1; done" "$installed"
# The settings a user made stay in that user's home, as with any program; nothing else may remain.
left=$(find "$root" -xdev -mindepth 1 \( -path "$root/tmp" -o -path "$root/root" -o -path "$root/proc" -o -path "$root/dev" \
  -o -path "$root/run" \) -prune -o -iname '*sumoran*' -print)
check "nothing named sumoran is left outside /tmp and the homes" test -z "$left"
[ -z "$left" ] || sed -n 1,20p <<<"$left"
check "lintian reports no error and no warning" test "$lintian_status" = 0

if ((failures)); then
  fail "$failures check(s) failed"
fi
echo "check-package: $debname installs and runs on a clean Debian 12"
