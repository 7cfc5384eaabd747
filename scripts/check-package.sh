#!/usr/bin/env bash
# Proves that the Debian package installs and works on a clean Debian 12: installs it
# with apt-get in a fresh bookworm root (dependencies from the mirror, no Recommends, so
# Depends alone has to be enough), then runs each program there, down to a download of
# the sample map to the simulator; it checks the files beside the programs (copyright,
# changelog, README, compressed man pages, desktop entry, AppStream metainfo, the map files'
# type, the bash completion); last it adds what a desktop has to tell the map files' type
# and the program that opens them, bash-completion to load the completion, xvfb to start
# the editor on an X server, and appstream to find the package's component as a software
# centre does.
# Needs root and the network; run by hand, not in CI.
# Usage: sudo scripts/check-package.sh build-pkg/release/cvdmxmap_VERSION_ARCH.deb
# Everything lives under /var/cache/cvdmx-check, a folder only root may enter: the
# debootstrap root is kept there and copied into a fresh folder for every run. Nothing is
# taken from a folder another user could have made or changed, since it is run as root
# with the host's /dev and /proc mounted in it.
set -euo pipefail

[ $# -eq 1 ] && [ -f "$1" ] || { echo "Usage: $0 cvdmxmap_VERSION_ARCH.deb" >&2; exit 2; }
[ "$(id -u)" -eq 0 ] || { echo "$0: needs root (debootstrap, mount, chroot)" >&2; exit 2; }
deb=$(realpath "$1")
cache=/var/cache/cvdmx-check
base=$cache/bookworm
archives=$cache/archives
run=""
root=""
sample=/usr/share/doc/cvdmxmap/samples/Stage.CVX
sim_pid=""

step() { printf '\n== %s (%ss)\n' "$*" "$SECONDS"; }
fail() { echo "FAILED: $*" >&2; exit 1; }

# The cache folder: made here, or refused unless it is a real folder owned by root that
# no one else may enter.
if [ ! -e "$cache" ] && [ ! -L "$cache" ]; then
  install -d -m 0700 -o root -g root "$cache"
fi
[ -d "$cache" ] && [ ! -L "$cache" ] || fail "$cache is not a folder"
[ "$(stat -c '%u %a' "$cache")" = "0 700" ] || fail "$cache must be owned by root with mode 700"
mkdir -p "$archives/partial"

# Refuses a path inside the tree that reaches through a symbolic link.
no_link() {
  [ "$(realpath -m "$1")" = "$1" ] || fail "$1 goes through a symbolic link"
}

# Copies a host file into the tree; a link at the destination is replaced, not followed.
put() {
  no_link "$(dirname "$2")"
  rm -f "$2"
  cp --no-dereference "$1" "$2"
}

# The URI this machine's apt uses for the bookworm suite.
mirror() {
  local f
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] && awk '$1 == "deb" { for (i = 2; i < NF; i++)
      if ($i ~ /^[a-z]+:\/\// && $(i + 1) == "bookworm") { print $i; exit } }' "$f"
  done
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && awk -v RS= '/Suites:[^\n]*[ \t]bookworm([ \t\n]|$)/ {
      if (match($0, /URIs:[ \t]*[^ \t\n]+/)) { split(substr($0, RSTART, RLENGTH), u, /[ \t]+/); print u[2]; exit } }' "$f"
  done
  return 0
}

# Xvfb may take a moment to let go of /dev after xvfb-run has stopped it.
unmount_all() {
  local m
  [ -n "$root" ] || return 0
  for m in var/cache/apt/archives dev/pts dev proc; do
    mountpoint -q "$root/$m" || continue
    for _ in $(seq 50); do umount "$root/$m" 2>/dev/null && break; sleep 0.1; done
    if mountpoint -q "$root/$m"; then umount -l "$root/$m"; fi
  done
}

cleanup() {
  if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null || true; fi
  unmount_all
  if [ -n "$root" ] && ! grep -q " $root/" /proc/mounts; then rm -rf --one-file-system "$run"; fi
}
trap cleanup EXIT

# Runs a command inside the root with a bare environment, echoing it first.
inside() {
  echo "(chroot)# $*" >&2
  chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 PATH=/usr/sbin:/usr/bin:/sbin:/bin "$@"
}

if [ ! -d "$base" ]; then
  command -v debootstrap >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap
  url=$(mirror | head -n 1)
  url=${url:-http://deb.debian.org/debian}
  step "debootstrap --variant=minbase bookworm from $url"
  rm -rf --one-file-system "$base.tmp"
  debootstrap --variant=minbase bookworm "$base.tmp" "$url" >/dev/null
  mv "$base.tmp" "$base"
fi

step "fresh copy of $base"
run=$(mktemp -d "$cache/run.XXXXXX")
root=$run/root
cp -a "$base" "$root"
put /etc/resolv.conf "$root/etc/resolv.conf"
put "$deb" "$root/tmp/$(basename "$deb")"
for m in proc dev dev/pts var/cache/apt/archives; do no_link "$root/$m"; done
mount -t proc proc "$root/proc"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
mount --bind "$archives" "$root/var/cache/apt/archives"

step "install"
inside apt-get update -qq
inside env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "/tmp/$(basename "$deb")" \
  | grep -E '^(Need to get|[0-9]+ upgraded|Setting up cvdmxmap)' || fail "apt-get install"
inside dpkg-query -W -f='${Package} ${Version} ${Status}\n' cvdmxmap

step "programs"
inside cvdmxmap-cli --help
inside cvdmxmap-cli checksum "$sample"
inside cvdmx-sim --help | head -n 3

step "files beside the programs"
doc=/usr/share/doc/cvdmxmap
metainfo=/usr/share/metainfo/org.example.cvdmxmap.metainfo.xml
completion=/usr/share/bash-completion/completions/cvdmxmap-cli
for f in $doc/copyright $doc/changelog.gz $doc/README.md /usr/share/applications/cvdmxmap.desktop "$metainfo" \
         /usr/share/man/man1/cvdmxmap.1.gz /usr/share/man/man1/cvdmxmap-cli.1.gz /usr/share/man/man1/cvdmx-sim.1.gz \
         /usr/share/mime/packages/cvdmxmap.xml "$completion"; do
  inside test -f "$f" -a -s "$f" || fail "$f is not installed"
done
inside gzip -t $doc/changelog.gz /usr/share/man/man1/cvdmxmap.1.gz /usr/share/man/man1/cvdmxmap-cli.1.gz \
  /usr/share/man/man1/cvdmx-sim.1.gz || fail "a compressed file is damaged"
# The copyright file is in the machine-readable format and points at the licence text that
# base-files installs.
inside grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' $doc/copyright \
  || fail "$doc/copyright is not in the machine-readable format"
inside grep -qx 'License: Apache-2.0' $doc/copyright || fail "$doc/copyright names no Apache-2.0 licence"
inside test -f /usr/share/common-licenses/Apache-2.0 || fail "/usr/share/common-licenses/Apache-2.0 is missing"
inside grep -q '<launchable type="desktop-id">cvdmxmap.desktop</launchable>' "$metainfo" \
  || fail "$metainfo does not name the desktop entry"

step "editor start-up, offscreen"
rc=0
inside env QT_QPA_PLATFORM=offscreen timeout 5 cvdmxmap || rc=$?
echo "exit status $rc"
[ "$rc" -eq 124 ] || fail "cvdmxmap ended with $rc before the 5-second time-out"
rc=0
inside env QT_QPA_PLATFORM=offscreen timeout 5 cvdmxmap "$sample" || rc=$?
echo "exit status $rc"
[ "$rc" -eq 124 ] || fail "cvdmxmap with the sample map ended with $rc before the 5-second time-out"
rc=0
inside cvdmxmap || rc=$?
echo "exit status $rc"
[ "$rc" -eq 2 ] || fail "cvdmxmap without a display ended with $rc, not 2"
inside cvdmxmap --version | grep -qx 'cvdmxmap [0-9.]*' || fail "cvdmxmap --version without a display"
rc=0
inside env QT_QPA_PLATFORM=offscreen cvdmxmap "$sample" "$sample" || rc=$?
echo "exit status $rc"
[ "$rc" -eq 2 ] || fail "cvdmxmap with two files ended with $rc, not 2"

step "download to the simulator"
echo "(chroot)# cvdmx-sim --port COM1 --save /tmp/received.CVX > /tmp/sim.out &" >&2
chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 PATH=/usr/bin:/bin \
  cvdmx-sim --port COM1 --save /tmp/received.CVX >"$root/tmp/sim.out" &
sim_pid=$!
for _ in $(seq 50); do [ -s "$root/tmp/sim.out" ] && break; sleep 0.1; done
pts=$(head -n 1 "$root/tmp/sim.out")
[ -n "$pts" ] || fail "the simulator printed no line"
echo "simulator on $pts"
inside cvdmxmap-cli download "$sample" --port "$pts"
inside cvdmxmap-cli verify "$sample" --port COM1
inside cvdmxmap-cli revision --port COM1
kill -TERM "$sim_pid"
wait "$sim_pid" || fail "the simulator ended with $?"
sim_pid=""
echo "simulator saw $(grep -c '^rx ' "$root/tmp/sim.out") commands"
cmp -n 1024 "$root$sample" "$root/tmp/received.CVX" || fail "the simulator holds another map"
echo "the simulator holds the sample's 512 entries"

step "the map files' type and the program that opens them, after adding a desktop's tools"
# shared-mime-info builds its database from the package's type; desktop-file-utils makes
# the cache of which desktop entry opens which type; xdg-mime asks both, through the
# shared-mime-info reader of libfile-mimeinfo-perl, as outside a desktop session.
inside env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends shared-mime-info \
  desktop-file-utils xdg-utils libfile-mimeinfo-perl >/dev/null
inside cp "$sample" /tmp/lower.cvx
inside cp "$sample" /tmp/Stage.bin
for f in "$sample" /tmp/lower.cvx; do
  type=$(inside xdg-mime query filetype "$f")
  echo "$f: $type"
  [ "$type" = "application/x-cvdmxmap" ] || fail "xdg-mime takes $f for $type"
done
echo "the same bytes under another name: $(inside xdg-mime query filetype /tmp/Stage.bin)"
opener=$(inside xdg-mime query default application/x-cvdmxmap)
echo "application/x-cvdmxmap opens with $opener"
[ "$opener" = "cvdmxmap.desktop" ] || fail "map files open with '$opener', not cvdmxmap.desktop"

step "bash completion, after adding bash-completion"
inside env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends bash-completion >/dev/null
loaded=$(inside bash -c 'source /usr/share/bash-completion/bash_completion && _completion_loader cvdmxmap-cli;
  complete -p cvdmxmap-cli')
echo "$loaded"
[ "$loaded" = "complete -F _cvdmxmap_cli cvdmxmap-cli" ] || fail "bash-completion does not load the completion"

step "editor start-up on an X server (xcb), after adding xvfb"
inside env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends xvfb xauth >/dev/null
rc=0
inside xvfb-run -a timeout 5 cvdmxmap || rc=$?
echo "exit status $rc"
[ "$rc" -eq 124 ] || fail "cvdmxmap on Xvfb ended with $rc before the 5-second time-out"

step "AppStream component, after adding appstream"
inside env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends appstream >/dev/null
inside appstreamcli get org.example.cvdmxmap | tee "$root/tmp/component.txt"
grep -qxF 'Identifier: org.example.cvdmxmap [desktop-application]' "$root/tmp/component.txt" \
  || fail "appstreamcli does not find the component org.example.cvdmxmap"
inside appstreamcli what-provides bin cvdmxmap-cli >"$root/tmp/provides.txt"
grep -qxF 'Identifier: org.example.cvdmxmap [desktop-application]' "$root/tmp/provides.txt" \
  || fail "appstreamcli does not find the component that provides cvdmxmap-cli"
echo "the component provides cvdmxmap-cli"

step "all checks passed"
