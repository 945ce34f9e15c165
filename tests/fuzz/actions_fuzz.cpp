// Decodes arbitrary bytes as an action block and runs what decodes against a
// small clip tree with a small budget: it must end in a run (perhaps aborted,
// perhaps of a damaged block), never crash, hang or exhaust memory.
#include <cstddef>
#include <cstdint>

#include "tests/portable/engine/script_fakes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  swf::ActionBlock decoded = swf::DecodeActions(Data, Size);
  // Every record is decoded once, plus one jump back per run from a jump's target.
  if (decoded.actions.size() > 2 * Size + 2) __builtin_trap();
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
