// Reads arbitrary bytes as a form, both into a root the reader creates and
// into a given root that already owns a component. Malformed input must end
// in EReadError with the given root as it was; a form that reads is written
// again and must read back.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "tests/portable/framework/filer_test_classes.h"

using namespace vcl;
using namespace filer_test;

namespace {
std::unique_ptr<TMemoryStream> StreamOf(const uint8_t* Data, size_t Size) {
  auto s = std::make_unique<TMemoryStream>();
  s->WriteBuffer(Data, static_cast<int64_t>(Size));
  s->SetPosition(0);
  return s;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  static const bool registered = (RegisterTestClasses(), true);
  (void)registered;
  Log().clear();

  auto input = StreamOf(Data, Size);
  std::unique_ptr<TComponent> created;
  try {
    created.reset(ReadComponentFromStream(*input, nullptr));
  } catch (const EReadError&) {
  }

  TTestForm root(nullptr);
  auto* mine = new TTestWidget(&root);
  mine->SetName(L"Mine");
  input->SetPosition(0);
  bool read = false;
  try {
    ReadComponentFromStream(*input, &root);
    read = true;
  } catch (const EReadError&) {
    if (root.ComponentCount() != 1 || root.Components(0) != mine || root.IsLoading() || mine->IsLoading())
      __builtin_trap();
  }
  if (!read) return 0;

  TMemoryStream again;
  WriteComponentToStream(again, &root);
  again.SetPosition(0);
  TTestForm copy(nullptr);
  ReadComponentFromStream(again, &copy);  // anything thrown here is a finding
  return 0;
}
