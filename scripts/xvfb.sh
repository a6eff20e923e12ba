#!/usr/bin/env bash
# Sourced by the run and test scripts: makes sure an X server is there for real windows.
# Starts Xvfb on a free display when none is set or reachable, and exports DISPLAY.
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  return 0 2>/dev/null || exit 0
fi
for n in $(seq 90 120); do
  [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  TESSALY_XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  trap 'kill $TESSALY_XVFB_PID 2>/dev/null' EXIT
  break
done
