#!/usr/bin/env bash
# The Free Pascal side alone: fpcform writes the sample forms and must read,
# convert and rewrite them consistently.
#   selfcheck.sh FPCFORM WORKDIR
set -euo pipefail
fpcform=$1
work=$2
rm -rf "$work"
mkdir -p "$work"
"$fpcform" write "$work"

status=0
fail() { echo "FAIL: $*" >&2; status=1; }

for frm in "$work"/*.frm; do
  name=$(basename "$frm" .frm)
  "$fpcform" read "$frm" >"$work/$name.dump"
  grep -q '^loaded: ' "$work/$name.dump" || fail "$name: no loaded line"

  # Reading into objects and writing again gives the same objects, and the
  # same bytes for the forms written from objects (legacy.frm comes from text
  # and holds payloads the writer never produces).
  "$fpcform" roundtrip "$frm" "$work/$name.rt.frm"
  "$fpcform" read "$work/$name.rt.frm" >"$work/$name.rt.dump"
  cmp -s "$work/$name.dump" "$work/$name.rt.dump" || fail "$name: roundtrip reads differently"
  if [ "$name" != legacy ]; then
    cmp -s "$frm" "$work/$name.rt.frm" || fail "$name: roundtrip changed the bytes"
  fi

  # Text and back: the string tags may change (the text form does not keep
  # vaUString, and ASCII-only wide text comes back as vaString), so the
  # objects read from both must agree, and the text must be a fixed point.
  "$fpcform" totext "$frm" "$work/$name.txt"
  "$fpcform" tobinary "$work/$name.txt" "$work/$name.txt.frm"
  "$fpcform" read "$work/$name.txt.frm" >"$work/$name.txt.dump"
  cmp -s "$work/$name.dump" "$work/$name.txt.dump" || fail "$name: text form reads differently"
  "$fpcform" totext "$work/$name.txt.frm" "$work/$name.txt.txt"
  cmp -s "$work/$name.txt" "$work/$name.txt.txt" || fail "$name: text form not stable"
done

if "$fpcform" read "$work/truncated.bad" >/dev/null 2>&1; then
  fail "truncated.bad was read without an error"
fi

[ -f "$work/legacy.frm" ] && [ -f "$work/kinds.frm" ] && [ -f "$work/store.frm" ] && [ -f "$work/player.frm" ] \
  && [ -f "$work/nested.frm" ] || fail "a sample form is missing"
exit $status
