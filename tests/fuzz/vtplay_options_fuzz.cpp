// Feeds vtplay's command-line parser arbitrary argument lists: the bytes are
// split at NUL into arguments, each byte widened to one character.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/vtplay/options.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  std::vector<std::wstring> args(1);
  for (size_t i = 0; i < Size; ++i) {
    if (Data[i] == 0)
      args.emplace_back();
    else
      args.back().push_back(static_cast<wchar_t>(Data[i]));
  }
  vtplay::ParseResult r = vtplay::ParseOptions(args);
  if (r.Ok() && (r.Value.Width < 1 || r.Value.Height < 1 || r.Value.Frames < 1)) __builtin_trap();
  return 0;
}
