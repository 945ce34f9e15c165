#pragma once
// TrueType font files: glyph outlines, advances, metrics and kerning read
// from a .ttf file, and a font service for device fonts built on them (the
// host tools' stand-in for the system's fonts). Portable; never throws.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "renderers/engine/fonts.h"
#include "renderers/engine/model.h"

namespace swf {

// One font of a TrueType file. Sizes are in an em square of Em units, y
// down, the baseline at 0; outlines fill with style 1 (solid white).
class TrueTypeFace {
 public:
  // nullptr when Bytes (or the file at Path) is not a font.
  static std::unique_ptr<TrueTypeFace> FromBytes(std::vector<uint8_t> Bytes);
  static std::unique_ptr<TrueTypeFace> Open(const std::string& Path);
  ~TrueTypeFace();
  TrueTypeFace(const TrueTypeFace&) = delete;
  TrueTypeFace& operator=(const TrueTypeFace&) = delete;

  bool HasGlyph(char32_t Code) const;
  // The outline and advance of Code's glyph; nullopt when the font has none.
  std::optional<DeviceGlyph> Glyph(char32_t Code, double Em) const;
  Rect GlyphBounds(char32_t Code, double Em) const;  // empty for no ink
  DeviceFontMetrics Metrics(double Em) const;
  double Kerning(char32_t Left, char32_t Right, double Em) const;  // added to Left's advance

 private:
  struct Impl;
  explicit TrueTypeFace(std::unique_ptr<Impl> I);
  std::unique_ptr<Impl> impl_;
};

// Device fonts from the TrueType files in Folder: "_sans", "_serif" and
// "_typewriter" are DejaVu Sans, DejaVu Serif and DejaVu Sans Mono (with
// their bold and oblique cuts where the folder has them); a face named by
// its family name is looked for as "<Family>.ttf" (spaces removed) and falls
// back to the sans font. Glyphs are cached.
std::unique_ptr<FontService> MakeTrueTypeFontService(std::string Folder = "/usr/share/fonts/truetype/dejavu");

}  // namespace swf
