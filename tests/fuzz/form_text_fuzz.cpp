// ObjectTextToBinary on arbitrary text; what it accepts must convert back to
// text and again to the same binary form.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "framework/Filer.h"

namespace {

std::string Convert(const std::string& Input, void (*Converter)(vcl::TStream&, vcl::TStream&)) {
  vcl::TMemoryStream In, Out;
  In.WriteBuffer(Input.data(), static_cast<int64_t>(Input.size()));
  In.SetPosition(0);
  Converter(In, Out);
  return std::string(static_cast<const char*>(Out.Memory()), static_cast<size_t>(Out.Size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  std::string Binary;
  try {
    Binary = Convert(std::string(reinterpret_cast<const char*>(Data), Size), &vcl::ObjectTextToBinary);
  } catch (const vcl::EParserError&) {
    return 0;
  }
  // Accepted text makes a binary form whose text converts to a binary form
  // with the same text. (The binary forms may differ: an 8-bit string's
  // bytes above 127 are written as #n and read back as wide characters. A
  // raw identifier byte above 127 the text form cannot spell at all, and it
  // is refused on the way back.)
  const std::string Text = Convert(Binary, &vcl::ObjectBinaryToText);
  std::string Again;
  try {
    Again = Convert(Convert(Text, &vcl::ObjectTextToBinary), &vcl::ObjectBinaryToText);
  } catch (const vcl::EParserError&) {
    for (unsigned char C : Text)
      if (C > 127) return 0;
    std::abort();
  }
  if (Again != Text) std::abort();
  return 0;
}
