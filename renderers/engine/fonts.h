#pragma once
// Fonts a movie names without embedding their outlines (device fonts): the
// system hosting the engine draws them through a font service. The Windows
// stand-ins ask GDI for the real font's outlines; the host tools read a
// TrueType file. Portable.

#include <string>

#include "renderers/engine/model.h"

namespace swf {

// Device glyph outlines and metrics are in an em square of kDeviceEm units,
// y down, the baseline at 0, like an embedded font's glyphs.
inline constexpr double kDeviceEm = 1024;

struct DeviceGlyph {
  Shape shape;          // fill style 1 (solid white) is the ink
  double advance = 0;   // em units
};

struct DeviceFontMetrics {
  double ascent = 0, descent = 0, leading = 0;  // em units
};

// Face is the name the movie gives: a family name, or "_sans", "_serif" or
// "_typewriter". A face the system lacks falls back to a similar one. Calls
// come from the thread that plays the movie; implementations never throw.
class FontService {
 public:
  virtual ~FontService() = default;
  // The glyph for Code, or nullptr when no font has one. The glyph lives as
  // long as the service.
  virtual const DeviceGlyph* Glyph(const std::string& Face, bool Bold, bool Italic, char32_t Code) = 0;
  virtual DeviceFontMetrics Metrics(const std::string& Face, bool Bold, bool Italic) = 0;
};

}  // namespace swf
