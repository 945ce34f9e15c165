// ObjectBinaryToText on arbitrary bytes: a text form or EReadError.
#include <cstdint>
#include <string>

#include "framework/Filer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  vcl::TMemoryStream In, Out;
  In.WriteBuffer(Data, static_cast<int64_t>(Size));
  In.SetPosition(0);
  try {
    vcl::ObjectBinaryToText(In, Out);
  } catch (const vcl::EReadError&) {
  }
  return 0;
}
