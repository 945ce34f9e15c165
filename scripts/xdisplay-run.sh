#!/usr/bin/env bash
# Runs a Windows program on a private X display, for tests that need real
# windows: starts Xvfb (1024x768, 24 bits) on a free display number, paints
# the desktop one known colour, starts a compositing manager (xcompmgr) so
# that translucent windows are blended, and runs the program under Wine's X11
# driver in its own prefix (scripts/wine-prefix.sh x11). Everything started
# here is stopped on exit.
#
#   xdisplay-run.sh [--no-compositor] PROGRAM [ARGS...]
#
# The program learns the setup from its environment:
#   VT_XDISPLAY_DESKTOP     the desktop colour, RRGGBB
#   VT_XDISPLAY_COMPOSITED  1 with a compositing manager, 0 without
#   VT_XDISPLAY_EXCHANGE    a folder (Windows path): for each file shot-N.request
#                           the program leaves there, this script writes the whole
#                           screen as shot-N.xwd (X window dump)
# The screen is read from Xvfb's frame buffer file (-fbdir), which holds
# exactly what the screen shows. xwd -root does not: once a window with a
# 32-bit visual is mapped (Wine gives layered windows one), it assembles the
# picture from each window's own contents, ignoring window shapes and the
# compositor.
#
# Exit status: the program's; 1 when it crashed or ran too long; 77 (skipped)
# when no X server can be started here, with a line saying why.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
skipped=77
compositor=1
if [ "${1:-}" = --no-compositor ]; then compositor=0; shift; fi
if [ $# -lt 1 ]; then echo "usage: xdisplay-run.sh [--no-compositor] PROGRAM [ARGS...]" >&2; exit 2; fi
program=$1; shift
# xcompmgr paints the desktop mid grey when no root picture is set; the root
# gets the same colour so the desktop looks alike with and without it.
desktop=808080
deadline=$((SECONDS + ${VT_XDISPLAY_SECONDS:-60}))

skip() { echo "skipped: $*"; exit "$skipped"; }
for tool in Xvfb xsetroot; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/setup.sh installs it)"
done
[ "$compositor" = 1 ] && ! command -v xcompmgr >/dev/null && compositor=0 &&
  echo "xdisplay-run: xcompmgr is not installed; running without a compositing manager"

export VT_WINEPREFIX="${VT_WINEPREFIX_X11:-$HOME/.cache/vt_d7/wine64-x11}"
. "$here/wine-env.sh"
[ -x "$WINE_LOADER" ] || skip "Wine is not installed"

work=$(mktemp -d "${TMPDIR:-/tmp}/vt_d7-xdisplay.XXXXXX")
xvfb_pid="" compositor_pid="" program_pid="" wine_started=0
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
  [ "$wine_started" = 1 ] && "$WINE_SERVER" -k 2>/dev/null
  [ -n "$compositor_pid" ] && kill "$compositor_pid" 2>/dev/null
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; fi
  # A Wine process still starting up when the server was stopped loses its display now and
  # ends; wait for the prefix's server so the next run starts afresh.
  if [ "$wine_started" = 1 ]; then
    "$WINE_SERVER" -k 2>/dev/null
    timeout 10 "$WINE_SERVER" -w 2>/dev/null
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

# One run at a time per prefix: a run stops the prefix's Wine server when it ends.
# What is started below does not inherit the lock (9>&-), so it ends with this script.
mkdir -p "$(dirname "$WINEPREFIX")"
exec 9>"$WINEPREFIX.lock"
flock -w 45 9 || { echo "xdisplay-run: the prefix $WINEPREFIX stayed busy" >&2; exit 1; }
if ! env -u DISPLAY "$here/wine-prefix.sh" x11; then
  echo "xdisplay-run: cannot create the prefix $WINEPREFIX" >&2
  exit 1
fi

# The server picks a free display number itself and writes it to descriptor 3.
mkdir -p "$work/fb" "$work/exchange"
Xvfb -displayfd 3 -screen 0 1024x768x24 -fbdir "$work/fb" -nolisten tcp -noreset \
  3>"$work/display" >"$work/xvfb.log" 2>&1 9>&- &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || break
  sleep 0.05
done
if [ ! -s "$work/display" ]; then
  reason=$(tail -n 3 "$work/xvfb.log" | tr '\n' ' ')
  skip "Xvfb could not start${reason:+: $reason}"
fi
export DISPLAY=":$(tr -d '[:space:]' <"$work/display")"
frame="$work/fb/Xvfb_screen0"

xsetroot -solid "#$desktop" || { echo "xdisplay-run: xsetroot failed on $DISPLAY" >&2; exit 1; }
if [ "$compositor" = 1 ]; then
  xcompmgr >"$work/xcompmgr.log" 2>&1 9>&- &
  compositor_pid=$!
fi

# Takes the screen once it has settled: two reads 50 ms apart that agree.
take_screen() {
  local out=$1 previous="$work/screen.a" current="$work/screen.b"
  cp "$frame" "$previous"
  for _ in $(seq 40); do
    sleep 0.05
    cp "$frame" "$current"
    cmp -s "$previous" "$current" && break
    mv "$current" "$previous"
  done
  mv "$current" "$out.part" && mv "$out.part" "$out"
}

export VT_XDISPLAY_DESKTOP=$desktop VT_XDISPLAY_COMPOSITED=$compositor
export VT_XDISPLAY_EXCHANGE="Z:${work//\//\\}\\exchange"
# A server left from an earlier run would still talk to that run's display.
"$WINE_SERVER" -k 2>/dev/null
wine_started=1
"$WINE_LOADER" "$program" "$@" 2>"$work/wine.err" 9>&- &
program_pid=$!
timed_out=0
while kill -0 "$program_pid" 2>/dev/null; do
  for request in "$work"/exchange/shot-*.request; do
    [ -e "$request" ] || continue
    shot=${request%.request}.xwd
    [ -e "$shot" ] || take_screen "$shot"
  done
  if [ "$SECONDS" -ge "$deadline" ]; then timed_out=1; kill "$program_pid"; break; fi
  sleep 0.05
done
wait "$program_pid"
rc=$?
program_pid=""
cat "$work/wine.err" >&2
if [ "$timed_out" = 1 ]; then
  echo "xdisplay-run: $(basename "$program") ran longer than ${VT_XDISPLAY_SECONDS:-60} s" >&2
  rc=1
elif grep -q 'wine: Unhandled' "$work/wine.err"; then
  [ "$rc" -eq 0 ] && rc=1
fi
exit "$rc"
