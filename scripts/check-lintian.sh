#!/usr/bin/env bash
# Checks a built Debian package as Debian's own tools would: lintian on the .deb (every
# severity, pedantic included), then the AppStream metainfo and the desktop entry the
# package installs, taken from the .deb itself: appstreamcli validate --pedantic --no-net
# on each metainfo file, appstreamcli validate-tree on the unpacked tree (the metainfo
# against the desktop entry it names) and desktop-file-validate on each desktop entry.
# Any finding fails the check; an accepted lintian tag belongs in the package's override
# file, with the reason.
# Usage: scripts/check-lintian.sh cvdmxmap_VERSION_ARCH.deb
set -euo pipefail
[ $# -eq 1 ] && [ -f "$1" ] || { echo "Usage: $0 cvdmxmap_VERSION_ARCH.deb" >&2; exit 2; }
deb=$(realpath "$1")
cd "$(dirname "$0")/.."
# The tools' messages in one known form whatever the caller's locale.
export LC_ALL=C.UTF-8

scripts/install-packages.sh lintian appstream desktop-file-utils

tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
dpkg-deb -x "$deb" "$tree"

findings=0
# Runs a check, shows what it printed and counts a finding when it failed or printed a
# line that the pattern does not allow.
check() {
  local allowed=$1 out rc=0
  shift
  echo "\$ $*"
  out=$("$@" 2>&1) || rc=$?
  [ -z "$out" ] || printf '%s\n' "$out"
  if [ "$rc" -ne 0 ] || printf '%s\n' "$out" | grep -Ev "$allowed" | grep -q .; then
    echo "FINDING above (exit status $rc)"
    findings=$((findings + 1))
  fi
}

# Lintian says once that it runs as root (CI does); that is no finding about the package.
check '^running with root privileges is not recommended!$' \
  lintian --display-info --pedantic --fail-on error,warning,info,pedantic "$deb"

shopt -s nullglob
metainfo=("$tree"/usr/share/metainfo/*.metainfo.xml)
desktop=("$tree"/usr/share/applications/*.desktop)
shopt -u nullglob
[ ${#metainfo[@]} -gt 0 ] || { echo "FINDING: no metainfo file in usr/share/metainfo"; findings=$((findings + 1)); }
[ ${#desktop[@]} -gt 0 ] || { echo "FINDING: no desktop entry in usr/share/applications"; findings=$((findings + 1)); }
for f in "${metainfo[@]}"; do
  check '^✔ Validation was successful\.$' appstreamcli validate --pedantic --no-net "$f"
done
check '^✔ Validation was successful\.$' appstreamcli validate-tree --pedantic --no-net "$tree"
for f in "${desktop[@]}"; do
  check '^$' desktop-file-validate "$f"
done

if [ "$findings" -ne 0 ]; then
  echo "$deb: $findings check(s) with findings" >&2
  exit 1
fi
echo "$deb: lintian, appstreamcli and desktop-file-validate found nothing"
