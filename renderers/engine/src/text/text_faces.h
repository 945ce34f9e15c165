#pragma once
// The two kinds of face a text field draws with: a font the movie embeds
// (its glyphs by character code, advances and kerning pairs) and a device
// font the host's font service draws. Portable.

#include <map>
#include <string>
#include <utility>

#include "renderers/engine/fonts.h"
#include "renderers/engine/model.h"
#include "renderers/engine/src/text/text_layout.h"

namespace swf::detail {

class EmbeddedFace : public TextFace {
 public:
  explicit EmbeddedFace(const Font& F);
  double EmSize() const override { return font_.emSize; }
  Glyph Lookup(char32_t Code) override;
  DeviceFontMetrics Metrics() override;
  double Kerning(char32_t Left, char32_t Right) override;

 private:
  const Font& font_;
  std::map<char32_t, size_t> index_;  // code -> glyph
  std::map<std::pair<char32_t, char32_t>, double> kerning_;
};

class DeviceFace : public TextFace {
 public:
  DeviceFace(FontService& S, std::string Face, bool Bold, bool Italic)
      : service_(S), face_(std::move(Face)), bold_(Bold), italic_(Italic) {}
  double EmSize() const override { return kDeviceEm; }
  Glyph Lookup(char32_t Code) override;
  DeviceFontMetrics Metrics() override { return service_.Metrics(face_, bold_, italic_); }

 private:
  FontService& service_;
  std::string face_;
  bool bold_, italic_;
};

}  // namespace swf::detail
