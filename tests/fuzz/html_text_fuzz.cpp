// HTML text of a text field, read and laid out with square glyphs, in a
// wrapping multiline field; the first byte picks the field's options.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "renderers/engine/src/text/html_text.h"
#include "renderers/engine/src/text/text_layout.h"

namespace {

class StubFace : public swf::detail::TextFace {
 public:
  double EmSize() const override { return 1024; }
  Glyph Lookup(char32_t Code) override {
    if (Code == U' ') return {nullptr, 256};
    return {&shape_, Code % 7 == 0 ? 0.0 : 512.0 + Code % 300};
  }
  swf::DeviceFontMetrics Metrics() override { return {900, 200, 0}; }
  double Kerning(char32_t L, char32_t R) override { return (L + R) % 5 == 0 ? -80 : 0; }

 private:
  swf::Shape shape_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < 1) return 0;
  static StubFace face;
  const uint8_t options = Data[0];
  const std::string html(reinterpret_cast<const char*>(Data + 1), Size - 1);
  swf::detail::CharFormat base;
  base.size = 20 + (options & 0x0F) * 40;
  swf::detail::ParaFormat para;
  para.align = static_cast<swf::TextAlign>((options >> 4) & 3);
  const auto spans = swf::detail::ParseHtmlText(html, base, para);
  const swf::detail::TextBox box{{0, 0, options & 0x40 ? 100.0 : 4000.0, 2000}, true, true, (options & 0x80) != 0};
  const auto layout = swf::detail::LayOutText(box, spans, [](const swf::detail::CharFormat& F) {
    return F.bold ? nullptr : static_cast<swf::detail::TextFace*>(&face);
  });
  if (layout.lines.empty()) __builtin_trap();  // there is always a line
  return 0;
}
