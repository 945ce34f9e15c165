// DefineButton and DefineButton2: the records that make up the states, and
// the condition actions, whose bytes are kept for the script engine.
#include <string>

#include "renderers/engine/src/filter_list.h"
#include "renderers/engine/src/reader/loader.h"

namespace swf::detail {

Button ReadButton(Stream& S, uint16_t Id, int Version, LoadState& L) {
  const std::string what = "button " + std::to_string(Id);
  Button b;
  b.tagVersion = static_cast<uint8_t>(Version);
  size_t offsetAt = 0;
  uint16_t actionOffset = 0;
  if (Version == 2) {
    b.trackAsMenu = (S.U8() & 0x01) != 0;
    offsetAt = S.Offset();
    actionOffset = S.U16();
  }
  for (;;) {
    const size_t at = S.Offset();
    const uint8_t flags = S.U8();
    if (flags == 0) break;  // the end of the records
    ButtonRecord r;
    r.up = flags & 0x01;
    r.over = flags & 0x02;
    r.down = flags & 0x04;
    r.hit = flags & 0x08;
    r.characterId = S.U16();
    r.depth = S.U16();
    r.matrix = S.ReadMatrix();
    if (Version == 2) {
      r.cxform = S.ReadCxform(true);
      if (flags & 0x10) {
        const size_t n = FilterListSize(S.Here(), S.Remaining());
        if (n == 0) Fail(what + " has a malformed filter list", S.Offset());
        r.filters.assign(S.Here(), S.Here() + n);
        S.Skip(n);
      }
      if (flags & 0x20) r.blendMode = S.U8();
    }
    L.Charge(sizeof(ButtonRecord) + r.filters.size(), at);
    b.records.push_back(std::move(r));
  }

  if (Version == 1) {
    // One block of actions, up to the end of the tag, run on release.
    if (!S.AtEnd()) {
      ButtonAction a;
      a.conditions = kOverDownToOverUp;
      a.actions.assign(S.Here(), S.Here() + S.Remaining());
      L.Charge(sizeof(ButtonAction) + a.actions.size(), S.Offset());
      b.actions.push_back(std::move(a));
    }
    return b;
  }
  if (actionOffset == 0) return b;  // no condition actions (anything after is ignored)
  // The offset counts from its own field; it may skip bytes after the
  // records but must leave room for a condition action's header.
  const size_t first = offsetAt + actionOffset;
  if (first < S.Offset() || first - S.Offset() > S.Remaining() || S.Remaining() - (first - S.Offset()) < 4)
    Fail(what + ": its action offset points outside the tag's condition actions", offsetAt);
  S.Skip(first - S.Offset());
  for (;;) {
    const size_t at = S.Offset();
    const uint16_t size = S.U16();
    const uint8_t low = S.U8(), high = S.U8();
    ButtonAction a;
    a.conditions = static_cast<uint16_t>(low | (high & 0x01) << 8);
    a.keyCode = static_cast<uint8_t>(high >> 1);
    size_t n = S.Remaining();  // the last one runs to the end of the tag
    if (size != 0) {
      if (size < 4) Fail(what + " has a condition action shorter than its header", at);
      n = size - 4u;
      if (n > S.Remaining()) Fail(what + " has a condition action that runs past the end of the tag", at);
    }
    a.actions.assign(S.Here(), S.Here() + n);
    S.Skip(n);
    L.Charge(sizeof(ButtonAction) + n, at);
    b.actions.push_back(std::move(a));
    if (size == 0 || S.AtEnd()) break;
  }
  return b;
}

}  // namespace swf::detail
