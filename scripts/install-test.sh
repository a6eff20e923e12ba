#!/usr/bin/env bash
# Builds the .deb, installs it into a fresh Debian 12 root made by debootstrap from the Debian
# mirror that /etc/apt names, and starts the installed program there under Xvfb as a plain user.
# Prints what it sees and leaves a screenshot beside the package. Needs root; takes minutes, so
# CI does not run it.   Usage: scripts/install-test.sh [build dir] [root dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath -m "${1:-build-deb}")
root=$(realpath -m "${2:-$(mktemp -d /tmp/tessaly-root.XXXXXX)}")
[ "$(id -u)" -eq 0 ] || { echo "needs root (debootstrap, chroot)" >&2; exit 1; }
# The root is removed at the end (unless KEEP_ROOT is set), so it must be new.
[ ! -e "$root" ] || [ -z "$(ls -A "$root")" ] || { echo "$root is not empty" >&2; exit 1; }
remove_root() {
  [ -z "${KEEP_ROOT:-}" ] || return 0
  # The mounts live in their own namespace; refuse to delete through any that remain.
  if findmnt -rn -o TARGET | grep -q "^$root/"; then
    echo "mounts remain under $root: not removed" >&2
  else
    rm -rf --one-file-system "$root"
  fi
}
trap remove_root EXIT
for tool in debootstrap cpack ffmpeg dpkg-shlibdeps; do
  command -v "$tool" >/dev/null || { echo "missing $tool: run scripts/setup.sh" >&2; exit 1; }
done

echo "== package, built in $build"
launcher=$(command -v ccache || true)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
  ${launcher:+-DCMAKE_CXX_COMPILER_LAUNCHER=$launcher} >/dev/null
cmake --build "$build" --target tessaly --parallel "${JOBS:-2}" >/dev/null
rm -f "$build"/tessaly_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/tessaly_*.deb)
dpkg-deb -f "$deb" Package Version Depends

mkdir -p "$root"
chmod 755 "$root" # the root folder of the system inside: a plain user must get through it

mirror=$(grep -h -v '^ *#' /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources 2>/dev/null |
  grep -o -E 'https?://[^ ]+/debian/?( |$)' | head -1 | tr -d ' ' || true)
mirror=${mirror:-http://deb.debian.org/debian}
echo "== fresh Debian 12 root in $root from $mirror"
# Packages this machine has fetched already are linked in instead of being fetched again.
seed() {
  mkdir -p "$root/var/cache/apt/archives"
  find /var/cache/apt/archives -maxdepth 1 -name '*.deb' -exec cp -al -t "$root/var/cache/apt/archives" {} + 2>/dev/null || true
}
seed
debootstrap --variant=minbase bookworm "$root" "$mirror" | grep -E '^(I: Base system installed|E:|W:)' || true
[ -x "$root/bin/bash" ] || { echo "debootstrap failed" >&2; exit 1; }
seed
rm -f "$root/etc/apt/sources.list"
cp /etc/apt/sources.list.d/debian.sources "$root/etc/apt/sources.list.d/" 2>/dev/null ||
  echo "deb $mirror bookworm main" >"$root/etc/apt/sources.list"
cp /etc/resolv.conf "$root/etc/resolv.conf"
cp "$deb" "$root/tmp/tessaly.deb"

cat >"$root/tmp/as-viewer.sh" <<'VIEWER'
tessaly >/tmp/tessaly.log 2>&1 &
pid=$!
sleep 12
echo "windows: $(xwininfo -root -children | grep -o '"[^"]*"' | sort -u | tr '\n' ' ')"
echo "running: $(kill -0 $pid 2>/dev/null && echo yes || echo no)"
echo "lock: $(ls -d /tmp/'{046355D9'* 2>/dev/null)"
cp /tmp/Xvfb_screen0 /tmp/screen.xwd
tessaly
echo "second copy ended with $?"
kill $pid
wait $pid 2>/dev/null || true
VIEWER

cat >"$root/tmp/inside.sh" <<'INSIDE'
set -eu
export DEBIAN_FRONTEND=noninteractive LC_ALL=C.UTF-8
apt-get update -q >/dev/null
echo "== apt-get install ./tessaly.deb (with Xvfb to show it)"
apt-get install -y -q --no-install-recommends /tmp/tessaly.deb xvfb xauth x11-utils >/tmp/apt.log 2>&1 ||
  { tail -20 /tmp/apt.log; exit 1; }
grep -E '^(Setting up tessaly|[0-9]+ upgraded)' /tmp/apt.log
echo "== installed files"
dpkg -L tessaly | grep -E 'bin/|libexec/tessaly/|\.desktop|metainfo|256x256'
echo "== on the PATH: $(command -v tessaly)"
useradd -m viewer
echo "== started as user viewer from the launcher, 12 s under Xvfb"
su viewer -c 'cd && mkdir -p Videos && xvfb-run -a -s "-screen 0 1024x768x24 -fbdir /tmp" sh /tmp/as-viewer.sh'
echo "== program output"; sed -n 1,15p /tmp/tessaly.log
echo "== written by the program: $(ls -A /usr/libexec/tessaly | tr '\n' ' ')(program folder)"
INSIDE

unshare --mount --propagation private bash -c '
  mount -t proc proc "$1/proc" && mount --rbind /dev "$1/dev" && mount -t sysfs sys "$1/sys"
  chroot "$1" /bin/bash /tmp/inside.sh' _ "$root"
ffmpeg -loglevel error -y -i "$root/tmp/screen.xwd" "$build/installed-screen.png" &&
  echo "== screenshot: $build/installed-screen.png"
