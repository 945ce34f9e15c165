// Writing the FlashCall request.
#include "renderers/flashctl/flash_call.h"

namespace flashctl {
namespace {

void AppendEscaped(std::string& Out, const std::string& Text) {
  for (char c : Text) {
    switch (c) {
      case '&': Out += "&amp;"; break;
      case '<': Out += "&lt;"; break;
      case '>': Out += "&gt;"; break;
      default: Out += c;
    }
  }
}

std::string ArgumentText(const swf::ExternalValue& V) {
  using Kind = swf::ExternalValue::Kind;
  switch (V.kind) {
    case Kind::Undefined: return "undefined";
    case Kind::Null: return "null";
    case Kind::Boolean: return V.boolean ? "true" : "false";
    case Kind::Number: return swf::FormatExternalNumber(V.number);
    case Kind::String: return V.string;
    default: {
      // An array or object as its script literal, the text the call script holds.
      const std::string script = swf::BuildExternalCallScript("f", {V});  // throws FormatError when too deep
      const size_t open = script.find("f(") + 2, close = script.rfind(")) ;");
      return close == std::string::npos || close < open ? std::string() : script.substr(open, close - open);
    }
  }
}

}  // namespace

std::string FlashCallRequest(const std::string& Name, const std::vector<swf::ExternalValue>& Args) {
  std::string request = "<invoke name=\"" + Name + "\" returntype=\"XML\"><arguments>";
  for (const swf::ExternalValue& a : Args) {
    request += "<string>";
    AppendEscaped(request, ArgumentText(a));
    request += "</string>";
  }
  request += "</arguments></invoke>";
  return request;
}

}  // namespace flashctl
