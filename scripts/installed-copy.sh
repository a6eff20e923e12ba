#!/usr/bin/env bash
# Run by install-test.sh as root inside the fresh Debian 12 root, with URL (a watch page on
# 127.0.0.1) and CLIP_SIZE (its stream's length) set. `installed-copy.sh drive NAME` is the part
# that works the program's window under Xvfb like a user, leaving screenshots in /tmp/shots.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive LC_ALL=C.UTF-8
shots=/tmp/shots

# Where the window puts what a user clicks, in its own pixels (the dialog units of its layout at
# 9-point 宋体): the page area starts at (212, 92).
readonly kUrlEdit="450 180" kDownload="725 180" kChooseFolder="725 237" kFirstTask="300 305"
readonly kPlay="718 502" kPageOrigin="212 92"

drive() { # as the user who runs it, under Xvfb: NAME [folder to choose]
  local name=$1 choose=${2:-} window x y width height
  tessaly >"/tmp/$name.log" 2>&1 &
  local pid=$!
  for _ in $(seq 120); do
    window=$(xdotool search --name '^Tessaly V' 2>/dev/null | head -1 || true)
    [ -n "$window" ] && break
    sleep 0.5
  done
  [ -n "$window" ] || { echo "no window"; cat "/tmp/$name.log"; return 1; }
  eval "$(xdotool getwindowgeometry --shell "$window" | tr 'A-Z' 'a-z' | grep -E '^(x|y)=')"
  click() { xdotool mousemove $((x + $1)) $((y + $2)) click 1; }
  sleep 2 # the window's first frame and its strip
  cp "$fb" "$shots/$name-started.xwd"
  click $kUrlEdit
  xdotool type --delay 5 "$URL"
  click $kDownload
  local file
  for _ in $(seq 120); do
    file=$(find ~ -name clip.flv -size "${CLIP_SIZE}c" 2>/dev/null | head -1)
    [ -n "$file" ] && break
    sleep 0.5
  done
  [ -n "$file" ] || { echo "the clip was not downloaded"; cat "/tmp/$name.log"; return 1; }
  echo "downloaded: $file"
  if [ -n "$choose" ]; then
    # The folder dialog opens on the current folder with its name field focused.
    mkdir -p "$choose"
    click $kChooseFolder
    sleep 2
    xdotool type --delay 5 "$choose"
    xdotool key Return
    for _ in $(seq 40); do
      [ -n "$(find ~/.config/tessaly -name config.ini 2>/dev/null)" ] && break
      sleep 0.5
    done
    echo "config: $(find ~/.config -name config.ini) $(cat ~/.config/tessaly/config.ini 2>/dev/null | tr '\n' ' ')"
  else
    click $kFirstTask
    click $kPlay
    # The movie loads and starts; two pictures of the page a moment apart.
    sleep 4
    cp "$fb" "$shots/playing-1.xwd"
    sleep 1.5
    cp "$fb" "$shots/playing-2.xwd"
    echo "$((x + ${kPageOrigin% *})) $((y + ${kPageOrigin#* }))" >"$shots/page-origin"
  fi
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  echo "program output:"
  sed 's/^/  | /' "/tmp/$name.log" | head -20
  # A QML module, plugin or decoder that the package should have brought.
  if grep -iE 'not installed|could not (find|load)|cannot load|no decoder' "/tmp/$name.log"; then
    echo "the program is missing the above"
    return 1
  fi
}

if [ "${1:-}" = drive ]; then
  fb=$(ls /tmp/fb-"$(id -un)"/Xvfb_screen0)
  drive "$2" "${3:-}"
  exit
fi

echo "== apt-get install --no-install-recommends ./tessaly.deb"
apt-get update -q >/dev/null
apt-get install -y -q --no-install-recommends /tmp/tessaly.deb >/tmp/apt.log 2>&1 || { tail -20 /tmp/apt.log; exit 1; }
grep -E '^(Setting up tessaly|[0-9]+ upgraded)' /tmp/apt.log
echo "installed size: $(dpkg-query -W -f '${Installed-Size}' tessaly) KiB"
echo "== and the tools that play the user: Xvfb, xdotool"
apt-get install -y -q --no-install-recommends xvfb xauth x11-utils xdotool >/tmp/apt-tools.log 2>&1 ||
  { tail -20 /tmp/apt-tools.log; exit 1; }
echo "on the PATH: $(command -v tessaly)"
mkdir -p "$shots"
chmod 1777 "$shots"
under_xvfb() { # user, arguments of drive
  local user=$1
  shift
  mkdir -p "/tmp/fb-$user"
  chown "$user" "/tmp/fb-$user"
  su "$user" -c "xvfb-run -a -s '-screen 0 1024x768x24 -fbdir /tmp/fb-$user' bash /tmp/installed-copy.sh drive $*"
}

echo "== --help and --version with no display"
useradd -m viewer
su viewer -c 'env -u DISPLAY -u WAYLAND_DISPLAY tessaly --help; echo "exit $?"; tessaly --version; echo "exit $?"'

echo "== as user viewer: download the clip and play it"
su viewer -c 'mkdir -p ~/Videos'
under_xvfb viewer viewer
echo "viewer's files: $(cd ~viewer && find . -path ./.cache -prune -o -type f -print | sort | tr '\n' ' ')"
echo "viewer's caches: $(cd ~viewer/.cache && ls -A | tr '\n' ' ')"
[ -d ~viewer/.cache/tessaly ] && [ -z "$(find ~viewer -iname '*vorlan*')" ] ||
  { echo "the caches are not in a folder named tessaly"; exit 1; }

echo "== as root: download the clip and choose a folder; /usr, /etc and /var stay as they were"
# The X server compiles its keymaps in /var/lib/xkb: its own doing, not the program's.
snapshot() { find /usr /etc /var -xdev -printf '%p %s %T@\n' 2>/dev/null | grep -v '^/var/lib/xkb[/ ]' | sort; }
mkdir -p "/tmp/fb-root"
# Xvfb is started first: what the X server writes for itself is not the program's.
Xvfb :7 -screen 0 1024x768x24 -fbdir /tmp/fb-root -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do DISPLAY=:7 xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
snapshot >/tmp/before
(cd /usr/bin && DISPLAY=:7 bash /tmp/installed-copy.sh drive root /root/chosen)
snapshot >/tmp/after
kill $xvfb
if ! diff /tmp/before /tmp/after; then
  echo "started as root, the program changed the above under /usr, /etc or /var"
  exit 1
fi
echo "nothing new or changed under /usr, /etc, /var"

echo "== apt-get purge tessaly"
apt-get purge -y -q tessaly >/tmp/purge.log 2>&1 || { cat /tmp/purge.log; exit 1; }
grep -E '^(Removing|Purging)' /tmp/purge.log
if grep -iE 'warning|not empty' /tmp/purge.log; then
  echo "the purge warned"
  exit 1
fi
left=$(find /usr /etc /var -xdev -iname '*tessaly*' 2>/dev/null)
[ -z "$left" ] || { echo "left after the purge: $left"; exit 1; }
echo "nothing named tessaly is left under /usr, /etc, /var"
