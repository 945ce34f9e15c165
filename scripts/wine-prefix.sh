#!/usr/bin/env bash
# Creates the Wine prefix once: 64-bit, null graphics driver (no display
# needed), no crash dialog, no Mono or Gecko prompts.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"
stamp="$WINEPREFIX/.vt_d7-ready"
[ -f "$stamp" ] && exit 0

echo "setup: creating Wine prefix $WINEPREFIX"
mkdir -p "$WINEPREFIX"
"$WINE_LOADER" wineboot --init >/dev/null 2>&1 || true
"$WINE_LOADER" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
"$WINE_LOADER" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
"$WINE_SERVER" -w
touch "$stamp"
