#!/usr/bin/env bash
# Compares our form streaming (cppform, vtform) with Free Pascal's (fpcform).
#   compare.sh fpc-written FPCFORM CPPFORM VTFORM WORKDIR
#       forms written by fpcform, read by both: the dumps must be identical
#   compare.sh cpp-written FPCFORM CPPFORM VTFORM WORKDIR
#       forms written by cppform, read by both: the dumps must be identical;
#       the bytes must be fpcform's but for the wide-string tag
#   compare.sh edges FPCFORM CPPFORM VTFORM WORKDIR
#       the text forms in edges/, made binary by fpcform: both read them
#       alike, or (NAME.bad.txt) both reject them
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
    if "$fpcform" read "$work/truncated.bad" >/dev/null 2>&1; then fail "truncated.bad: fpcform read it"; fi
    # The same objects give the same bytes, but for the tag of wide strings:
    # we write vaWString (0x12), Free Pascal vaUString (0x15).
    "$fpcform" write "$work/fpc"
    for frm in "$work"/*.frm; do
      name=$(basename "$frm")
      if [ "$(wc -c <"$frm")" != "$(wc -c <"$work/fpc/$name")" ]; then
        fail "$name: not the size fpcform writes"
        continue
      fi
      # cmp -l: offset, then the two bytes in octal (025 = 0x15, 022 = 0x12).
      other=$(cmp -l "$work/fpc/$name" "$frm" | awk '!($2 == 25 && $3 == 22)' | head -5) || true
      if [ -n "$other" ]; then
        echo "$other" >&2
        fail "$name: bytes differ from fpcform's beyond the string tags"
      fi
    done
    ;;
  edges)
    # Small text forms (edges/), made binary by fpcform: NAME.txt must read
    # the same with both, NAME.bad.txt must be rejected by both.
    for txt in "$(dirname "$0")"/edges/*.txt; do
      name=$(basename "$txt" .txt)
      "$fpcform" tobinary "$txt" "$work/$name.frm"
      case $name in
        *.bad)
          if "$fpcform" read "$work/$name.frm" >/dev/null 2>&1; then fail "$name: fpcform read it"; fi
          if "$cppform" read "$work/$name.frm" >/dev/null 2>&1; then fail "$name: cppform read it"; fi
          ;;
        *) compare_dumps "$work/$name.frm" ;;
      esac
    done
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
