// Feeds the ExternalInterface readers arbitrary text, as an invoke request, as
// a value text and as a host's answer: each ends in a value or a FormatError,
// never a crash, hang or huge allocation. Whatever is read encodes, and the
// encoding reads back to a value that encodes to the same text (numbers are
// printed with 15 significant digits, so only the printed form is compared).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "renderers/engine/external.h"

namespace {

void CheckRoundTrip(const swf::ExternalValue& Value) {
  const std::string text = swf::EncodeExternalValue(Value);
  const swf::ExternalValue back = swf::DecodeExternalValue(text);
  if (swf::EncodeExternalValue(back) != text) __builtin_trap();
  if (Value.kind != back.kind) __builtin_trap();
  swf::BuildExternalCallScript("f", {Value});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string_view text(reinterpret_cast<const char*>(Data), Size);
  // Only the reading may fail; a failure in what follows is a fault and
  // escapes as an uncaught exception.
  std::optional<swf::InvokeRequest> r;
  try {
    r = swf::ParseInvokeRequest(text);
  } catch (const swf::FormatError&) {
  }
  if (r) {
    const std::string built = swf::BuildInvokeRequest(r->name, r->arguments, r->returnType);
    const swf::InvokeRequest again = swf::ParseInvokeRequest(built);
    if (again.name != r->name || again.returnType != r->returnType || again.arguments.size() != r->arguments.size())
      __builtin_trap();
    if (swf::BuildInvokeRequest(again.name, again.arguments, again.returnType) != built) __builtin_trap();
    for (const swf::ExternalValue& a : r->arguments) CheckRoundTrip(a);
  }
  // The answer is the value when the text is one, else undefined for blank
  // text and the raw text as a string otherwise.
  const swf::ExternalValue answer = swf::DecodeExternalAnswer(text);
  std::optional<swf::ExternalValue> value;
  try {
    value = swf::DecodeExternalValue(text);
  } catch (const swf::FormatError&) {
  }
  const bool blank = text.find_first_not_of(" \t\r\n") == std::string_view::npos;
  if (!(answer == (value          ? *value
                   : blank        ? swf::ExternalValue::Undefined()
                                  : swf::ExternalValue::String(std::string(text)))))
    __builtin_trap();
  CheckRoundTrip(answer);
  return 0;
}
