#include <cstdio>

#include "renderers/engine/external.h"

namespace swf {
namespace {

void AppendQuoted(std::string& Out, std::string_view Text) {
  Out += '"';
  for (char c : Text) {
    switch (c) {
      case '"': Out += "\\\""; break;
      case '\\': Out += "\\\\"; break;
      case '\n': Out += "\\n"; break;
      case '\r': Out += "\\r"; break;
      case '\t': Out += "\\t"; break;
      default:
        // Any other control character would end or break the literal.
        if (static_cast<unsigned char>(c) < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
          Out += buf;
        } else {
          Out += c;
        }
    }
  }
  Out += '"';
}

void AppendLiteral(std::string& Out, const ExternalValue& Value, size_t Depth) {
  using Kind = ExternalValue::Kind;
  switch (Value.kind) {
    case Kind::Undefined: Out += "undefined"; return;
    case Kind::Null: Out += "null"; return;
    case Kind::Boolean: Out += Value.boolean ? "true" : "false"; return;
    case Kind::Number: Out += FormatExternalNumber(Value.number); return;
    case Kind::String: AppendQuoted(Out, Value.string); return;
    case Kind::Array:
    case Kind::Object: break;
  }
  if (Depth >= kMaxExternalDepth)
    throw FormatError("value nested deeper than " + std::to_string(kMaxExternalDepth) + " arrays and objects");
  if (Value.kind == Kind::Array) {
    Out += '[';
    for (size_t i = 0; i < Value.array.size(); ++i) {
      if (i) Out += ',';
      AppendLiteral(Out, Value.array[i], Depth + 1);
    }
    Out += ']';
    return;
  }
  Out += '{';
  for (size_t i = 0; i < Value.object.size(); ++i) {
    if (i) Out += ',';
    AppendQuoted(Out, Value.object[i].name);
    Out += ':';
    AppendLiteral(Out, Value.object[i].value, Depth + 1);
  }
  Out += '}';
}

}  // namespace

std::string BuildExternalCallScript(std::string_view Name, const std::vector<ExternalValue>& Arguments) {
  std::string out = "try { __flash__toXML(";
  out += Name;
  out += '(';
  for (size_t i = 0; i < Arguments.size(); ++i) {
    if (i) out += ',';
    AppendLiteral(out, Arguments[i], 0);
  }
  out += ")) ; } catch (e) { \"<undefined/>\"; }";
  return out;
}

}  // namespace swf
