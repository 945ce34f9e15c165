// DefineEditText: a text field's bounds, flags, font, colour, layout, the
// variable it shows and its initial text.
#include <string>

#include "renderers/engine/src/reader/loader.h"
#include "renderers/engine/src/utf8.h"

namespace swf::detail {
namespace {

// Movies before version 6 store text in the system's code page; the engine
// holds UTF-8, so each byte is taken as Latin-1.
std::string Latin1ToUtf8(const std::string& S) {
  std::string out;
  out.reserve(S.size());
  for (const char c : S) AppendUtf8(out, static_cast<uint8_t>(c));
  return out;
}

}  // namespace

EditText ReadEditText(Stream& S, uint8_t Version, LoadState& L) {
  const size_t at = S.Offset();
  EditText t;
  t.bounds = S.ReadRect();
  const uint8_t f1 = S.U8(), f2 = S.U8();
  const bool hasText = f1 & 0x80;
  t.wordWrap = f1 & 0x40;
  t.multiline = f1 & 0x20;
  t.password = f1 & 0x10;
  t.readOnly = f1 & 0x08;
  const bool hasColor = f1 & 0x04, hasMaxLength = f1 & 0x02, hasFont = f1 & 0x01;
  const bool hasFontClass = f2 & 0x80;
  t.autoSize = f2 & 0x40;
  const bool hasLayout = f2 & 0x20;
  t.noSelect = f2 & 0x10;
  t.border = f2 & 0x08;
  t.wasStatic = f2 & 0x04;
  t.html = f2 & 0x02;
  t.useOutlines = f2 & 0x01;
  if (hasFont) t.fontId = S.U16();
  if (hasFontClass) t.fontClass = S.String();
  if (hasFont || hasFontClass) t.fontHeight = S.U16();
  if (hasColor) t.color = S.ReadRGBA();
  if (hasMaxLength) t.maxLength = S.U16();
  if (hasLayout) {
    const uint8_t align = S.U8();
    t.align = align <= 3 ? static_cast<TextAlign>(align) : TextAlign::Left;
    t.leftMargin = S.U16();
    t.rightMargin = S.U16();
    t.indent = S.U16();
    t.leading = static_cast<int16_t>(S.U16());
  }
  t.variableName = S.String();
  if (hasText) {
    t.initialText = S.String();
    if (Version < 6) t.initialText = Latin1ToUtf8(t.initialText);
  }
  L.Charge(sizeof(EditText) + t.fontClass.size() + t.variableName.size() + t.initialText.size(), at);
  return t;
}

}  // namespace swf::detail
