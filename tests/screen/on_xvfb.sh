#!/usr/bin/env bash
# on_xvfb.sh COMMAND [ARGS...]
# Runs one test program on an X server of its own: a new Xvfb on a free display
# (the server picks it and tells us through -displayfd), the xcb platform, no
# window manager. The server goes when the program ends, whatever its end.
set -uo pipefail
tmp=$(mktemp -d)
mkfifo "$tmp/display"
Xvfb -displayfd 7 -screen 0 1280x1024x24 -nolisten tcp -noreset 7>"$tmp/display" 2>"$tmp/xvfb.log" &
xvfb=$!
cleanup() { kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null; rm -rf "$tmp"; }
trap cleanup EXIT
display=""
if ! read -r -t 20 display <"$tmp/display" || [ -z "$display" ]; then
  echo "on_xvfb: Xvfb did not start" >&2
  cat "$tmp/xvfb.log" >&2
  exit 1
fi
export DISPLAY=":$display"
# A root colour no window uses, so that what no window painted shows as it is.
xsetroot -solid "#01FE03" 2>/dev/null || true
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY
"$@"
