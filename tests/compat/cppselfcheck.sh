#!/usr/bin/env bash
# Our side alone: cppform writes the sample forms, reads them and writes what
# it read again; the objects and the bytes must come back unchanged.
#   cppselfcheck.sh CPPFORM WORKDIR
set -euo pipefail
cppform=$1
work=$2
rm -rf "$work"
mkdir -p "$work"
"$cppform" write "$work"

status=0
fail() { echo "FAIL: $*" >&2; status=1; }

for name in kinds store player nested legacy; do
  frm=$work/$name.frm
  [ -f "$frm" ] || { fail "$name.frm is missing"; continue; }
  "$cppform" read "$frm" >"$work/$name.dump" || { fail "$name: cannot read it"; continue; }
  grep -q '^loaded: ' "$work/$name.dump" || fail "$name: no loaded line"
  "$cppform" roundtrip "$frm" "$work/$name.rt.frm" || { fail "$name: roundtrip"; continue; }
  "$cppform" read "$work/$name.rt.frm" >"$work/$name.rt.dump"
  cmp -s "$work/$name.dump" "$work/$name.rt.dump" || fail "$name: roundtrip reads differently"
  # legacy.frm holds payloads the writer never produces.
  if [ "$name" != legacy ]; then
    cmp -s "$frm" "$work/$name.rt.frm" || fail "$name: roundtrip changed the bytes"
  fi
done

if "$cppform" read "$work/truncated.bad" >/dev/null 2>"$work/truncated.err"; then
  fail "truncated.bad was read without an error"
elif ! grep -q '^cppform: ' "$work/truncated.err"; then
  fail "truncated.bad: no error message"
fi
if "$cppform" read "$work/missing.frm" >/dev/null 2>&1; then fail "a missing file was read"; fi
exit $status
