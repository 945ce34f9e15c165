#!/usr/bin/env bash
# Creates a Wine prefix once: 64-bit, no crash dialog, no Mono or Gecko prompts.
#   wine-prefix.sh        the project's prefix, with the null graphics driver (no display needed)
#   wine-prefix.sh x11    the prefix for tests on a real X display (scripts/xdisplay-run.sh):
#                         the same settings but Wine's own driver choice, so windows show on $DISPLAY
# Each prefix has its own Wine server.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
kind=${1:-null}
case "$kind" in
  null) ;;
  x11) export VT_WINEPREFIX="${VT_WINEPREFIX_X11:-$HOME/.cache/vt_d7/wine64-x11}" ;;
  *) echo "wine-prefix.sh: unknown kind '$kind' (null or x11)" >&2; exit 2 ;;
esac
. "$here/wine-env.sh"
stamp="$WINEPREFIX/.vt_d7-ready"
[ -f "$stamp" ] && exit 0

echo "setup: creating Wine prefix $WINEPREFIX"
mkdir -p "$WINEPREFIX"
"$WINE_LOADER" wineboot --init >/dev/null 2>&1 || true
if [ "$kind" = null ]; then
  "$WINE_LOADER" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
fi
"$WINE_LOADER" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
"$WINE_SERVER" -w
touch "$stamp"
