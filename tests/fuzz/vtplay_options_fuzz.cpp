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
  if (!r.Ok()) return 0;
  const vtplay::Options& o = r.Value;
  if (o.Width < 1 || o.Height < 1 || o.Frames < 1 || o.Fps < 1 || o.Fps > 1000) __builtin_trap();
  if (!o.Movie.empty() + o.Stdin + !o.FormFile.empty() > 1) __builtin_trap();
  for (const vtplay::Click& c : o.Clicks)
    if (c.X < 0 || c.Y < 0 || c.X > 16383 || c.Y > 16383 || c.Frame < 1) __builtin_trap();
  for (const auto& v : o.Variables)
    if (v.first.empty()) __builtin_trap();
  return 0;
}
