#!/usr/bin/env bash
# Sourced by the run and test scripts: makes sure an X server is there for real windows.
# Starts Xvfb when no display is set or reachable, and exports DISPLAY. The server picks its own
# free display (-displayfd): a display number whose lock file is absent here may still be taken by
# a server in another mount namespace (a chroot) through the shared abstract socket. It never
# resets (-noreset): by default it starts over whenever its last client leaves, which two tests run
# side by side make happen at any moment, and a client that connects meanwhile is refused.
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  return 0 2>/dev/null || exit 0
fi
tessaly_xvfb_display=$(mktemp)
Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp 3>"$tessaly_xvfb_display" >/dev/null 2>&1 &
TESSALY_XVFB_PID=$!
for _ in $(seq 100); do [ -s "$tessaly_xvfb_display" ] && break; sleep 0.1; done
export DISPLAY=":$(tr -d '\n' <"$tessaly_xvfb_display")"
rm -f "$tessaly_xvfb_display"
unset tessaly_xvfb_display
trap 'kill $TESSALY_XVFB_PID 2>/dev/null' EXIT
