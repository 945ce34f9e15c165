// The ExternalInterface request built from any script text the plug-in module
// hands to NPN_Evaluate: never crashes, and a request is always one invoke
// element.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "vt_d7/flash_call_request.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  // Bytes as the 8-bit text arrives (each byte one character).
  std::wstring script(Data, Data + Size);
  const auto request = vt::FlashCallRequestFromScript(script);
  if (request) {
    if (!request->starts_with(L"<invoke name=\"") || !request->ends_with(L"</arguments></invoke>"))
      std::abort();
  } else if (script.starts_with(vt::FlashCallScriptPrefix)) {
    std::abort();
  }
  return 0;
}
