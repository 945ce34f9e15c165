#!/usr/bin/env bash
# Runs a Windows program under Wine for CTest and make run. Keeps one Wine
# server alive between runs, and turns a crash into a failure even when the
# crashed process exits 0.
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"
"$WINE_SERVER" -p120 >/dev/null 2>&1 || true

# Wine's helper processes inherit stderr; a pipe would keep test discovery
# waiting for them, so stderr goes to a file.
err=$(mktemp "${TMPDIR:-/tmp}/vt_d7-wine.XXXXXX")
"$WINE_LOADER" "$@" 2>"$err"
rc=$?
cat "$err" >&2
if grep -q 'wine: Unhandled' "$err"; then
  [ "$rc" -eq 0 ] && rc=1
fi
rm -f "$err"
exit "$rc"
