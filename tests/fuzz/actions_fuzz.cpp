// Decodes arbitrary bytes as an action block and runs what decodes against a
// small clip tree with a small budget: it must end in a FormatError or a run
// (perhaps aborted), never crash, hang or exhaust memory.
#include <cstddef>
#include <cstdint>

#include "tests/portable/engine/script_fakes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  try {
    swf::DecodeActions(Data, Size);
  } catch (const swf::FormatError&) {
    return 0;
  }
  script_test::World w;
  w.host.answer = swf::Value::String("answer");
  swf::Budget small;
  small.maxActions = 20000;
  small.maxCallDepth = 64;
  small.maxStack = 10000;
  small.maxStringLength = 1 << 16;
  small.maxObjects = 20000;
  std::vector<uint8_t> bytes(Data, Data + Size);
  w.root.frameActions["1"] = bytes;
  w.Run(bytes, &w.b, small);
  w.runtime.CallCallback("cb", {swf::Value::Number(1)}, w.root, w.host, small);
  // Intervals and timeouts the block set fire twice.
  w.runtime.RunTimers(1000, w.root, w.host, small);
  w.runtime.RunTimers(2000, w.root, w.host, small);
  w.runtime.Collect();
  return 0;
}
