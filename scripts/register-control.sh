#!/usr/bin/env bash
# Registers a COM in-process server (the stand-in control flashctl.ocx) in
# the project's Wine prefixes, so programs run there find it by class id:
# the null prefix (created first if need be) and, when it exists, the prefix
# for a real X display (scripts/wine-prefix.sh x11).
#
#   register-control.sh DLL
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [ $# -ne 1 ] || [ ! -f "$1" ]; then echo "usage: register-control.sh DLL" >&2; exit 2; fi
# The Windows path of the DLL: Wine's Z: drive is the Unix root.
dll="Z:$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
dll=${dll//\//\\}

register() {
  if ! "$here/wine-run.sh" regsvr32 /s "$dll"; then
    echo "register-control.sh: regsvr32 failed for $dll in $WINEPREFIX_NAME" >&2
    return 1
  fi
}

"$here/wine-prefix.sh" null || exit 1
WINEPREFIX_NAME="the null prefix" register || exit 1
x11="${VT_WINEPREFIX_X11:-$HOME/.cache/vt_d7/wine64-x11}"
if [ -f "$x11/.vt_d7-ready" ]; then
  VT_WINEPREFIX="$x11" WINEPREFIX_NAME="the x11 prefix" register || exit 1
fi
exit 0
