#!/usr/bin/env bash
# Runs a Windows program under Wine for CTest and make run. Keeps one Wine
# server alive between runs, and turns a crash into a failure even when the
# crashed process exits 0.
#
# A program that fails without writing a single byte to either stream never
# got as far as its own code (a Wine start-up that lost a race with the
# server); it is run once more, with a line on stderr saying so. Any program
# of ours that fails says why, so a real failure is never retried.
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"

# Wine's helper processes inherit the streams; a pipe would keep test
# discovery waiting for them, so both go to files and are copied out after.
out=$(mktemp "${TMPDIR:-/tmp}/vt_d7-wine.XXXXXX")
err=$(mktemp "${TMPDIR:-/tmp}/vt_d7-wine.XXXXXX")
trap 'rm -f "$out" "$err"' EXIT

for attempt in 1 2; do
  "$WINE_SERVER" -p120 >/dev/null 2>&1 || true
  "$WINE_LOADER" "$@" >"$out" 2>"$err"
  rc=$?
  cat "$out"
  cat "$err" >&2
  if [ "$rc" -eq 0 ] || [ -s "$out" ] || [ -s "$err" ] || [ "$attempt" -eq 2 ]; then break; fi
  echo "wine-run: $1 ended with status $rc before writing anything; running it again" >&2
done
if grep -q 'wine: Unhandled' "$err"; then
  [ "$rc" -eq 0 ] && rc=1
fi
exit "$rc"
