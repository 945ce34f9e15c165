#include "renderers/engine/src/external/xml_cursor.h"

#include <cstdint>

#include "renderers/engine/src/utf8.h"

namespace swf::detail {
namespace {

bool IsSpace(char C) { return C == ' ' || C == '\t' || C == '\r' || C == '\n'; }

bool IsNameChar(char C) {
  return (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z') || (C >= '0' && C <= '9') || C == '_' || C == '-' ||
         C == '.' || C == ':';
}

int DigitValue(char C, bool Hex) {
  if (C >= '0' && C <= '9') return C - '0';
  if (Hex && C >= 'a' && C <= 'f') return C - 'a' + 10;
  if (Hex && C >= 'A' && C <= 'F') return C - 'A' + 10;
  return -1;
}

}  // namespace

const std::string* XmlTag::Attribute(std::string_view Name) const {
  for (const auto& [n, v] : attributes)
    if (n == Name) return &v;
  return nullptr;
}

void XmlCursor::FailAt(const std::string& What, size_t Offset) {
  throw FormatError(What + " at offset " + std::to_string(Offset));
}

void XmlCursor::SkipSpace() {
  while (pos_ < text_.size() && IsSpace(text_[pos_])) ++pos_;
}

void XmlCursor::SkipDeclaration() {
  if (text_.substr(pos_, 5) != "<?xml") return;
  const size_t end = text_.find("?>", pos_ + 5);
  if (end == std::string_view::npos) Fail("unterminated XML declaration");
  pos_ = end + 2;
}

std::string XmlCursor::ReadName(const char* What) {
  const size_t start = pos_;
  while (pos_ < text_.size() && IsNameChar(text_[pos_])) ++pos_;
  if (pos_ == start) Fail(std::string("expected ") + What);
  return std::string(text_.substr(start, pos_ - start));
}

XmlTag XmlCursor::ReadStartTag() {
  XmlTag tag;
  tag.offset = pos_;
  if (AtEnd()) Fail("unexpected end of text, expected an element");
  if (text_[pos_] != '<' || AtEndTag()) Fail("expected an element");
  ++pos_;
  tag.name = ReadName("an element name after '<'");
  for (;;) {
    const size_t before = pos_;
    SkipSpace();
    if (AtEnd()) Fail("unterminated tag <" + tag.name + ">");
    if (text_[pos_] == '>') {
      ++pos_;
      return tag;
    }
    if (text_[pos_] == '/') {
      ++pos_;
      if (AtEnd() || text_[pos_] != '>') Fail("expected '>' after '/' in <" + tag.name + ">");
      ++pos_;
      tag.empty = true;
      return tag;
    }
    if (pos_ == before) Fail("expected whitespace before an attribute of <" + tag.name + ">");
    const size_t nameAt = pos_;
    std::string name = ReadName("an attribute name");
    if (tag.Attribute(name)) FailAt("duplicate attribute " + name + " in <" + tag.name + ">", nameAt);
    SkipSpace();
    if (AtEnd() || text_[pos_] != '=') Fail("expected '=' after attribute " + name);
    ++pos_;
    SkipSpace();
    tag.attributes.emplace_back(std::move(name), ReadAttributeValue());
  }
}

std::string XmlCursor::ReadAttributeValue() {
  if (AtEnd() || (text_[pos_] != '"' && text_[pos_] != '\'')) Fail("expected a quoted attribute value");
  const char quote = text_[pos_++];
  std::string value;
  for (;;) {
    if (AtEnd()) Fail("unterminated attribute value");
    const char c = text_[pos_];
    if (c == quote) {
      ++pos_;
      return value;
    }
    if (c == '<') Fail("'<' in an attribute value");
    if (c == '&') {
      AppendReference(value);
    } else {
      value += c;
      ++pos_;
    }
  }
}

void XmlCursor::ReadEndTag(std::string_view Name) {
  const std::string expected = "</" + std::string(Name) + ">";
  if (AtEnd()) Fail("unexpected end of text, expected " + expected);
  if (!AtEndTag()) Fail("expected " + expected);
  const size_t start = pos_;
  pos_ += 2;
  const size_t nameStart = pos_;
  while (pos_ < text_.size() && IsNameChar(text_[pos_])) ++pos_;
  if (text_.substr(nameStart, pos_ - nameStart) != Name) FailAt("expected " + expected, start);
  SkipSpace();
  if (AtEnd() || text_[pos_] != '>') FailAt("unterminated end tag, expected " + expected, start);
  ++pos_;
}

std::string XmlCursor::ReadText() {
  std::string out;
  while (pos_ < text_.size()) {
    const char c = text_[pos_];
    if (c == '&') {
      AppendReference(out);
    } else if (c == '<') {
      if (text_.substr(pos_, 9) != "<![CDATA[") break;
      const size_t end = text_.find("]]>", pos_ + 9);
      if (end == std::string_view::npos) Fail("unterminated CDATA section");
      out.append(text_.substr(pos_ + 9, end - pos_ - 9));
      pos_ = end + 3;
    } else {
      out += c;
      ++pos_;
    }
  }
  return out;
}

void XmlCursor::AppendReference(std::string& Out) {
  const size_t start = pos_;
  // The longest reference accepted is "&#x10FFFF;" plus leading zeros; a name
  // or number longer than this cannot be valid, so the search stays short.
  constexpr size_t kMaxReference = 12;
  const size_t semi = text_.substr(pos_, kMaxReference).find(';');
  if (semi == std::string_view::npos) Fail("'&' without a reference (write &amp;)");
  const std::string_view ref = text_.substr(pos_ + 1, semi - 1);
  pos_ += semi + 1;
  if (ref == "lt") {
    Out += '<';
  } else if (ref == "gt") {
    Out += '>';
  } else if (ref == "amp") {
    Out += '&';
  } else if (ref == "quot") {
    Out += '"';
  } else if (ref == "apos") {
    Out += '\'';
  } else if (ref.size() >= 2 && ref[0] == '#') {
    const bool hex = ref[1] == 'x';
    const std::string_view digits = ref.substr(hex ? 2 : 1);
    if (digits.empty()) FailAt("character reference without digits", start);
    uint32_t code = 0;
    for (char d : digits) {
      const int v = DigitValue(d, hex);
      if (v < 0) FailAt("bad digit in character reference &" + std::string(ref) + ";", start);
      code = code * (hex ? 16 : 10) + static_cast<uint32_t>(v);
      if (code > 0x10FFFF) FailAt("character reference &" + std::string(ref) + "; beyond U+10FFFF", start);
    }
    if (code == 0 || (code >= 0xD800 && code <= 0xDFFF))
      FailAt("character reference &" + std::string(ref) + "; names no character", start);
    AppendUtf8(Out, code);
  } else {
    FailAt("unknown entity &" + std::string(ref) + ";", start);
  }
}

}  // namespace swf::detail
