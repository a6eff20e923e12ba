#!/usr/bin/env bash
# Builds the .deb with Debian's hardening flags, holds it to lintian, and tries it in a fresh
# Debian 12 root made by debootstrap from the mirror that /etc/apt names, as a user would:
# installed with apt (without Recommends: Depends alone must make it work), an ordinary user
# downloads a clip from a server on 127.0.0.1 and plays it (two pictures of the player page a
# moment apart must differ); started as root and made to download and keep a chosen folder, it
# must leave /usr, /etc and /var as they were; --help and --version answer without a display; a
# purge leaves nothing and warns about nothing. Needs root.
#   Usage: scripts/install-test.sh [build dir] [root dir]
set -euo pipefail
cd "$(dirname "$0")/.."
source=$PWD
build=$(realpath -m "${1:-build-deb}")
root=$(realpath -m "${2:-$(mktemp -d /tmp/tessaly-root.XXXXXX)}")
[ "$(id -u)" -eq 0 ] || { echo "needs root (debootstrap, chroot)" >&2; exit 1; }
# The root is removed at the end (unless KEEP_ROOT is set), so it must be new.
[ ! -e "$root" ] || [ -z "$(ls -A "$root")" ] || { echo "$root is not empty" >&2; exit 1; }
serve=$(mktemp -d)
server_pid=
finish() {
  [ -z "$server_pid" ] || kill "$server_pid" 2>/dev/null || true
  rm -rf "$serve"
  [ -z "${KEEP_ROOT:-}" ] || return 0
  # The mounts live in their own namespace; refuse to delete through any that remain.
  if findmnt -rn -o TARGET | grep -q "^$root/"; then
    echo "mounts remain under $root: not removed" >&2
  else
    rm -rf --one-file-system "$root"
  fi
}
trap finish EXIT
for tool in debootstrap cpack ffmpeg dpkg-shlibdeps dpkg-buildflags lintian python3; do
  command -v "$tool" >/dev/null || { echo "missing $tool: run scripts/setup.sh" >&2; exit 1; }
done
stage_start=$SECONDS
stage() {
  [ -z "${stage_name:-}" ] || echo "   ($stage_name: $((SECONDS - stage_start)) s)"
  stage_name=$1
  stage_start=$SECONDS
  echo "== $1"
}

stage "package, built in $build with Debian's hardening flags"
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
eval "$(dpkg-buildflags --export=sh)"
# CMake reads no CPPFLAGS: the preprocessor's (fortify) go with the compilers' flags.
export CFLAGS="$CFLAGS $CPPFLAGS" CXXFLAGS="$CXXFLAGS $CPPFLAGS"
launcher=$(command -v ccache || true)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON -DCMAKE_STRIP="$source/scripts/strip-for-package.sh" \
  ${launcher:+-DCMAKE_CXX_COMPILER_LAUNCHER=$launcher} >/dev/null
cmake --build "$build" --target tessaly --parallel "${JOBS:-2}" >/dev/null
rm -f "$build"/tessaly_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/tessaly_*.deb)
dpkg-deb -f "$deb" Package Version Installed-Size Depends Recommends
echo "package file: $(du -k "$deb" | cut -f1) KiB"

stage "lintian -EvIL +pedantic"
lintian -EvIL +pedantic --show-overrides "$deb" | tee "$build/lintian.txt" | grep -v '^N:' || true
if grep -qE '^[EW]:' "$build/lintian.txt"; then
  echo "lintian found errors or warnings" >&2
  exit 1
fi

stage "a clip on a server at 127.0.0.1"
# The server answers every path with the file of its name, whatever the query: "watch" is the
# watch page, "get_video" the stream the page leads to.
ffmpeg -loglevel error -f lavfi -i testsrc2=size=320x240:rate=25 -f lavfi -i sine=frequency=440 -t 10 \
  -c:v libx264 -pix_fmt yuv420p -c:a aac -f flv "$serve/get_video"
printf '<html><head><title>clip</title></head><body><a href="/x?a=1&video_id=clip&k=v&t=tok&">clip</a></body></html>' \
  >"$serve/watch"
python3 -u -m http.server --bind 127.0.0.1 --directory "$serve" 0 >"$serve.log" 2>&1 &
server_pid=$!
for _ in $(seq 100); do
  port=$(grep -o 'port [0-9]*' "$serve.log" | grep -o '[0-9]*' || true)
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || { cat "$serve.log" >&2; exit 1; }
url="http://127.0.0.1:$port/watch?u=http://www.youtube.com/watch?v=x"
clip_size=$(stat -c %s "$serve/get_video")
echo "$url ($clip_size bytes)"

mkdir -p "$root"
chmod 755 "$root" # the root folder of the system inside: a plain user must get through it
mirror=$(grep -h -v '^ *#' /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources 2>/dev/null |
  grep -o -E 'https?://[^ ]+/debian/?( |$)' | head -1 | tr -d ' ' || true)
mirror=${mirror:-http://deb.debian.org/debian}
stage "fresh Debian 12 root in $root from $mirror"
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
cp scripts/installed-copy.sh "$root/tmp/installed-copy.sh"

stage "inside the fresh root"
# Private mounts where "/" is a mount point; inside a chroot (the test command run in a fresh root)
# it is not, and unshare cannot change its propagation, so the mounts are undone by hand there.
propagation=private
unshare --mount --propagation private true 2>/dev/null || propagation=unchanged
unshare --mount --propagation "$propagation" bash -c '
  mount -t proc proc "$1/proc" && mount --rbind /dev "$1/dev" && mount -t sysfs sys "$1/sys"
  chroot "$1" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
    URL="$2" CLIP_SIZE="$3" /bin/bash /tmp/installed-copy.sh
  status=$?
  umount -R "$1/sys" "$1/dev" "$1/proc" 2>/dev/null || umount -lR "$1/sys" "$1/dev" "$1/proc" 2>/dev/null
  exit $status' _ "$root" "$url" "$clip_size"
for shot in "$root"/tmp/shots/*.xwd; do
  ffmpeg -loglevel error -y -i "$shot" "$build/installed-$(basename "$shot" .xwd).png"
done
echo "screenshots: $build/installed-*.png"

# The player page's two pictures, cut out of the screen: a moving picture makes them differ.
page() {
  read -r x y <"$root/tmp/shots/page-origin"
  ffmpeg -loglevel error -i "$1" -vf "crop=556:448:$x:$y" -f rawvideo - | md5sum
}
if [ "$(page "$root/tmp/shots/playing-1.xwd")" = "$(page "$root/tmp/shots/playing-2.xwd")" ]; then
  echo "the player page did not move between its two pictures" >&2
  exit 1
fi
echo "the player page moved between its two pictures"
stage "done"
