// Writes arbitrary text into every property of a widget through the
// standard property editors, as a designer's user would type it. Text the
// editor refuses must raise EConvertError or EPropertyError and leave the
// value as it was; text it takes must read back as a value the editor takes
// again unchanged.
#include <cstddef>
#include <cstdint>
#include <string>

#include "framework/DesignEditors.h"
#include "tests/portable/framework/filer_test_classes.h"

using namespace vcl;
using namespace filer_test;

namespace {
struct FuzzDesigner : IDesigner {
  void Modified() override {}
  TComponent* Root() const override { return nullptr; }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::wstring text = Utf8ToWide(std::string(reinterpret_cast<const char*>(Data), Size));
  FuzzDesigner designer;
  TTestWidget widget(nullptr);
  for (const auto& editor : GetPropertyEditors(designer, {&widget})) {
    if (editor->GetAttributes().Contains(paReadOnly)) continue;
    const std::wstring before = editor->GetValue();
    try {
      editor->SetValue(text);
    } catch (const EConvertError&) {
    } catch (const EPropertyError&) {
    }
    const std::wstring after = editor->GetValue();
    if (after != before) {
      editor->SetValue(after);
      if (editor->GetValue() != after) __builtin_trap();
    }
  }
  return 0;
}
