#!/usr/bin/env bash
# wayland.sh COMMAND...: runs COMMAND as a client of a headless Wayland compositor (weston's
# headless back-end with its software renderer: no GPU, no seat, no X server) through Qt's Wayland
# platform plugin, then ends the compositor. COMMAND's exit status is the script's.
set -euo pipefail
runtime=$(mktemp -d)
chmod 700 "$runtime"
export XDG_RUNTIME_DIR=$runtime
weston --backend=headless-backend.so --use-pixman --socket=wayland-tessaly --idle-time=0 \
  --width=1280 --height=1024 >"$runtime/weston.log" 2>&1 &
weston_pid=$!
trap 'kill $weston_pid 2>/dev/null; wait $weston_pid 2>/dev/null; rm -rf "$runtime"' EXIT
for _ in $(seq 100); do
  [ -S "$runtime/wayland-tessaly" ] && break
  kill -0 $weston_pid 2>/dev/null || { cat "$runtime/weston.log" >&2; exit 1; }
  sleep 0.1
done
[ -S "$runtime/wayland-tessaly" ] || { echo "weston did not start" >&2; exit 1; }
unset DISPLAY
WAYLAND_DISPLAY=wayland-tessaly QT_QPA_PLATFORM=wayland "$@"
