#include "renderers/engine/src/external/value_xml.h"

#include <unordered_map>

#include "renderers/engine/src/external/number_text.h"

namespace swf {
namespace detail {
namespace {

// The property's id attribute, required.
const std::string& PropertyId(const XmlCursor& Cursor, const XmlTag& Tag) {
  const std::string* id = Tag.Attribute("id");
  if (!id) Cursor.FailAt("<property> without an id", Tag.offset);
  return *id;
}

// An array index: decimal digits only, at most 9 of them (the slot budget is
// far below 10^9 anyway).
bool ParseIndex(const std::string& Id, size_t& Index) {
  if (Id.empty() || Id.size() > 9) return false;
  Index = 0;
  for (char c : Id) {
    if (c < '0' || c > '9') return false;
    Index = Index * 10 + static_cast<size_t>(c - '0');
  }
  return true;
}

// Reads the <property> children of an array or object up to its end tag.
void ReadProperties(XmlCursor& Cursor, const XmlTag& Container, ExternalValue& Value, size_t& Slots,
                    size_t Depth) {
  std::unordered_map<std::string, size_t> places;  // object property name -> its place
  for (;;) {
    Cursor.SkipSpace();
    if (Cursor.AtEndTag()) break;
    const XmlTag prop = Cursor.ReadStartTag();
    if (prop.name != "property")
      Cursor.FailAt("<" + prop.name + "> inside <" + Container.name + ">, expected <property>", prop.offset);
    const std::string& id = PropertyId(Cursor, prop);
    ExternalValue item;
    if (!prop.empty) {
      Cursor.SkipSpace();
      if (!Cursor.AtEndTag()) item = ReadXmlValue(Cursor, Slots, Depth + 1);
      Cursor.SkipSpace();
      Cursor.ReadEndTag("property");
    }
    if (Value.kind == ExternalValue::Kind::Object) {
      // A name given twice keeps its first place and its last value.
      const auto [place, added] = places.try_emplace(id, Value.object.size());
      if (added)
        Value.object.push_back({id, std::move(item)});
      else
        Value.object[place->second].value = std::move(item);
      continue;
    }
    size_t index = 0;
    if (!ParseIndex(id, index)) Cursor.FailAt("array property id \"" + id + "\" is not an index", prop.offset);
    if (index >= Value.array.size()) {
      const size_t added = index + 1 - Value.array.size();
      if (added > Cursor.TextSize() - Slots) Cursor.FailAt("array index " + id + " too large", prop.offset);
      Slots += added;
      Value.array.resize(index + 1);
    }
    Value.array[index] = std::move(item);
  }
  Cursor.ReadEndTag(Container.name);
}

}  // namespace

ExternalValue ReadXmlValue(XmlCursor& Cursor, size_t& Slots, size_t Depth) {
  Cursor.SkipSpace();
  const XmlTag tag = Cursor.ReadStartTag();
  const std::string& n = tag.name;
  if (n == "string") {
    if (tag.empty) return ExternalValue::String("");
    ExternalValue v = ExternalValue::String(Cursor.ReadText());
    Cursor.ReadEndTag(n);
    return v;
  }
  if (n == "number") {
    if (tag.empty) Cursor.FailAt("<number/> without a number", tag.offset);
    const size_t at = Cursor.Offset();
    const std::string text = Cursor.ReadText();
    double number = 0;
    if (!ParseNumberText(text, number)) Cursor.FailAt("\"" + text.substr(0, 40) + "\" is not a number", at);
    Cursor.ReadEndTag(n);
    return ExternalValue::Number(number);
  }
  ExternalValue v;
  if (n == "true" || n == "false") {
    v = ExternalValue::Boolean(n == "true");
  } else if (n == "null") {
    v = ExternalValue::Null();
  } else if (n == "undefined") {
    v = ExternalValue::Undefined();
  } else if (n == "array" || n == "object") {
    if (Depth >= kMaxExternalDepth)
      Cursor.FailAt("arrays and objects nested deeper than " + std::to_string(kMaxExternalDepth), tag.offset);
    v = n == "array" ? ExternalValue::Array({}) : ExternalValue::Object({});
    if (!tag.empty) ReadProperties(Cursor, tag, v, Slots, Depth);
    return v;
  } else {
    Cursor.FailAt("unknown value element <" + n + ">", tag.offset);
  }
  // <true></true> and the like: nothing but whitespace inside.
  if (!tag.empty) {
    Cursor.SkipSpace();
    Cursor.ReadEndTag(n);
  }
  return v;
}

void AppendXmlEscaped(std::string& Out, std::string_view Text, bool Attribute) {
  for (char c : Text) {
    switch (c) {
      case '&': Out += "&amp;"; break;
      case '<': Out += "&lt;"; break;
      case '>': Out += "&gt;"; break;
      case '"':
        if (Attribute) {
          Out += "&quot;";
          break;
        }
        [[fallthrough]];
      default: Out += c;
    }
  }
}

void AppendXmlValue(std::string& Out, const ExternalValue& Value, size_t Depth) {
  using Kind = ExternalValue::Kind;
  switch (Value.kind) {
    case Kind::Undefined: Out += "<undefined/>"; return;
    case Kind::Null: Out += "<null/>"; return;
    case Kind::Boolean: Out += Value.boolean ? "<true/>" : "<false/>"; return;
    case Kind::Number:
      Out += "<number>";
      Out += FormatExternalNumber(Value.number);
      Out += "</number>";
      return;
    case Kind::String:
      Out += "<string>";
      AppendXmlEscaped(Out, Value.string, false);
      Out += "</string>";
      return;
    case Kind::Array:
    case Kind::Object: break;
  }
  if (Depth >= kMaxExternalDepth)
    throw FormatError("value nested deeper than " + std::to_string(kMaxExternalDepth) + " arrays and objects");
  const bool isArray = Value.kind == Kind::Array;
  Out += isArray ? "<array>" : "<object>";
  auto property = [&](std::string_view Id, const ExternalValue& Item) {
    Out += "<property id=\"";
    AppendXmlEscaped(Out, Id, true);
    Out += "\">";
    AppendXmlValue(Out, Item, Depth + 1);
    Out += "</property>";
  };
  if (isArray) {
    for (size_t i = 0; i < Value.array.size(); ++i) property(std::to_string(i), Value.array[i]);
  } else {
    for (const ExternalProperty& p : Value.object) property(p.name, p.value);
  }
  Out += isArray ? "</array>" : "</object>";
}

}  // namespace detail

std::string EncodeExternalValue(const ExternalValue& Value) {
  std::string out;
  detail::AppendXmlValue(out, Value);
  return out;
}

ExternalValue DecodeExternalValue(std::string_view Text) {
  detail::XmlCursor cursor(Text);
  size_t slots = 0;
  ExternalValue v = detail::ReadXmlValue(cursor, slots);
  cursor.SkipSpace();
  if (!cursor.AtEnd()) cursor.Fail("text after the value");
  return v;
}

ExternalValue DecodeExternalAnswer(std::string_view Text) {
  if (Text.find_first_not_of(" \t\r\n") == std::string_view::npos) return ExternalValue::Undefined();
  try {
    return DecodeExternalValue(Text);
  } catch (const FormatError&) {
    return ExternalValue::String(std::string(Text));
  }
}

}  // namespace swf
