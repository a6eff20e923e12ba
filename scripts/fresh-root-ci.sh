#!/usr/bin/env bash
# Runs the README's test command as a new user would on a fresh machine: a Debian 12 minbase root
# made by debootstrap with nothing but git added, a clean clone of a branch of this repository, and
# `bash .ci/run` in it. Needs root; takes long (every build and the package test).
#   Usage: scripts/fresh-root-ci.sh [branch] [root dir]   (log: <root dir>.log)
set -euo pipefail
cd "$(dirname "$0")/.."
branch=${1:-$(git rev-parse --abbrev-ref HEAD)}
root=$(realpath -m "${2:-$(mktemp -d /tmp/tessaly-ci.XXXXXX)}")
[ "$(id -u)" -eq 0 ] || { echo "needs root (debootstrap, chroot)" >&2; exit 1; }
[ ! -e "$root" ] || [ -z "$(ls -A "$root")" ] || { echo "$root is not empty" >&2; exit 1; }
mirror=$(grep -h -v '^ *#' /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources 2>/dev/null |
  grep -o -E 'https?://[^ ]+/debian/?( |$)' | head -1 | tr -d ' ' || true)
mirror=${mirror:-http://deb.debian.org/debian}
mkdir -p "$root/var/cache/apt/archives"
# Packages this machine has fetched already are linked in instead of being fetched again: the same
# files, only not downloaded twice.
find /var/cache/apt/archives -maxdepth 1 -name '*.deb' -exec cp -al -t "$root/var/cache/apt/archives" {} + 2>/dev/null || true
debootstrap --variant=minbase --include=git,ca-certificates bookworm "$root" "$mirror" |
  grep -E '^(I: Base system installed|E:|W:)' || true
[ -x "$root/usr/bin/git" ] || { echo "debootstrap failed" >&2; exit 1; }
cp /etc/apt/sources.list.d/debian.sources "$root/etc/apt/sources.list.d/" 2>/dev/null && rm -f "$root/etc/apt/sources.list" || true
cp /etc/resolv.conf "$root/etc/resolv.conf"
git clone -q --branch "$branch" "file://$PWD" "$root/root/tessaly"
unshare --mount --propagation private bash -c '
  mount -t proc proc "$1/proc" && mount --rbind /dev "$1/dev" && mount -t sysfs sys "$1/sys"
  chroot "$1" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 TERM=dumb \
    bash -c "cd /root/tessaly && bash .ci/run"' _ "$root"
