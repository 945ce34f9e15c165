// Feeds the movie description parser arbitrary text: it must end in a movie
// or a CompileError, never crash, hang or exhaust memory. Movies it accepts
// are written too, which must not fail either.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "renderers/engine/writer.h"
#include "tools/swfc/compile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  std::string_view text(reinterpret_cast<const char*>(Data), Size);
  try {
    swf::Movie m = swfc::Parse(text);
    if (m.timeline.frames.empty()) __builtin_trap();
    // Everything Parse accepts is in the format's range.
    swf::WriteMovie(m, false);
  } catch (const swfc::CompileError& e) {
    if (e.line() < 1) __builtin_trap();
  }
  return 0;
}
