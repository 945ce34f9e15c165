#include "renderers/engine/src/writer/edit_text.h"

#include <string>

#include "renderers/engine/src/text/text_layout.h"
#include "renderers/engine/src/writer/bit_writer.h"

namespace swf::writer {
namespace {

std::string ToLatin1(const std::string& Utf8) {
  std::string out;
  for (const char32_t c : detail::DecodeUtf8(Utf8)) out += c <= 0xFF ? static_cast<char>(c) : '?';
  return out;
}

}  // namespace

std::vector<uint8_t> EditTextBody(uint16_t Id, const EditText& E, uint8_t Version) {
  if (!E.fontId && E.fontClass.empty() && E.fontHeight != EditText{}.fontHeight)
    throw FormatError("text field " + std::to_string(Id) + " has a font height but no font to store it with");
  BitWriter w;
  w.U16(Id);
  WriteRect(w, E.bounds);
  const bool hasText = !E.initialText.empty();
  const bool hasLayout = E.align != TextAlign::Left || E.leftMargin || E.rightMargin || E.indent || E.leading;
  const bool hasColor = E.color != RGBA{0, 0, 0, 255};
  const bool hasClass = !E.fontId && !E.fontClass.empty();
  w.UB(hasText, 1);
  w.UB(E.wordWrap, 1);
  w.UB(E.multiline, 1);
  w.UB(E.password, 1);
  w.UB(E.readOnly, 1);
  w.UB(hasColor, 1);
  w.UB(E.maxLength.has_value(), 1);
  w.UB(E.fontId.has_value(), 1);
  w.UB(hasClass, 1);
  w.UB(E.autoSize, 1);
  w.UB(hasLayout, 1);
  w.UB(E.noSelect, 1);
  w.UB(E.border, 1);
  w.UB(E.wasStatic, 1);
  w.UB(E.html, 1);
  w.UB(E.useOutlines, 1);
  if (E.fontId) w.U16(*E.fontId);
  if (hasClass) w.String(E.fontClass, "a text field's font class");
  if (E.fontId || hasClass) w.U16(E.fontHeight);
  if (hasColor) {
    w.U8(E.color.r);
    w.U8(E.color.g);
    w.U8(E.color.b);
    w.U8(E.color.a);
  }
  if (E.maxLength) w.U16(*E.maxLength);
  if (hasLayout) {
    w.U8(static_cast<uint8_t>(E.align));
    w.U16(E.leftMargin);
    w.U16(E.rightMargin);
    w.U16(E.indent);
    w.U16(static_cast<uint16_t>(E.leading));
  }
  w.String(E.variableName, "a text field's variable name");
  if (hasText) w.String(Version < 6 ? ToLatin1(E.initialText) : E.initialText, "a text field's text");
  return std::move(w.bytes());
}

}  // namespace swf::writer
