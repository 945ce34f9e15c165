#!/usr/bin/env bash
# Compares our form streaming (cppform, vtform) with Free Pascal's (fpcform).
#   compare.sh fpc-written FPCFORM CPPFORM VTFORM WORKDIR
#       forms written by fpcform, read by both: the dumps must be identical
#   compare.sh cpp-written FPCFORM CPPFORM VTFORM WORKDIR
#       forms written by cppform, read by both: the dumps must be identical
#   compare.sh text FPCFORM CPPFORM VTFORM WORKDIR
#       binary to text of fpcform's forms must give the same bytes with both;
#       text to binary of that text must give the same bytes with both
# cppform takes "write DIR" and "read FILE" like fpcform; vtform takes
# "--to-text IN OUT" and "--to-binary IN OUT".
set -euo pipefail
mode=$1
fpcform=$2
cppform=$3
vtform=$4
work=$5
rm -rf "$work"
mkdir -p "$work"

status=0
fail() { echo "FAIL: $*" >&2; status=1; }

compare_dumps() {  # FILE
  local frm=$1 name
  name=$(basename "$frm" .frm)
  "$fpcform" read "$frm" >"$work/$name.fpc.dump" || { fail "$name: fpcform cannot read it"; return; }
  "$cppform" read "$frm" >"$work/$name.cpp.dump" || { fail "$name: cppform cannot read it"; return; }
  diff -u "$work/$name.fpc.dump" "$work/$name.cpp.dump" >&2 || fail "$name: the dumps differ"
}

case $mode in
  fpc-written)
    "$fpcform" write "$work"
    for frm in "$work"/*.frm; do compare_dumps "$frm"; done
    for bad in "$work"/*.bad; do
      if "$cppform" read "$bad" >/dev/null 2>&1; then fail "$(basename "$bad"): cppform read it"; fi
    done
    ;;
  cpp-written)
    "$cppform" write "$work"
    for frm in "$work"/*.frm; do compare_dumps "$frm"; done
    ;;
  text)
    "$fpcform" write "$work"
    for frm in "$work"/*.frm; do
      name=$(basename "$frm" .frm)
      "$fpcform" totext "$frm" "$work/$name.fpc.txt"
      "$vtform" --to-text "$frm" "$work/$name.vt.txt" || { fail "$name: vtform --to-text"; continue; }
      diff -u "$work/$name.fpc.txt" "$work/$name.vt.txt" >&2 || fail "$name: text forms differ"
      "$fpcform" tobinary "$work/$name.fpc.txt" "$work/$name.fpc.bin"
      "$vtform" --to-binary "$work/$name.fpc.txt" "$work/$name.vt.bin" \
        || { fail "$name: vtform --to-binary"; continue; }
      cmp "$work/$name.fpc.bin" "$work/$name.vt.bin" >&2 || fail "$name: binary from text differs"
    done
    ;;
  *)
    echo "compare.sh: unknown mode $mode" >&2
    exit 2
    ;;
esac
ls "$work"/*.frm >/dev/null 2>&1 || fail "no forms were written"
exit $status
