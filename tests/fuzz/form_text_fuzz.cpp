// ObjectTextToBinary on arbitrary text; what it accepts must convert back to
// text and again to the same binary form.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "framework/SysUtils.h"
#include "tools/vtform/vtform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  std::string Binary;
  try {
    Binary = vtform::ToBinary(std::string(reinterpret_cast<const char*>(Data), Size));
  } catch (const vcl::EParserError&) {
    return 0;
  }
  // Accepted text makes a binary form whose text converts to a binary form
  // with the same text. (The binary forms may differ: an 8-bit string's
  // bytes above 127 are written as #n and read back as wide characters. A
  // raw identifier byte above 127 the text form cannot spell at all, and it
  // is refused on the way back.)
  const std::string Text = vtform::ToText(Binary);
  std::string Again;
  try {
    Again = vtform::ToText(vtform::ToBinary(Text));
  } catch (const vcl::EParserError&) {
    for (unsigned char C : Text)
      if (C > 127) return 0;
    std::abort();
  }
  if (Again != Text) std::abort();
  return 0;
}
