// Device fonts outlined by GDI. Under Wine the real fonts may be missing or
// stood in for, so the glyphs are checked for sanity, not exact outlines.
#include <gtest/gtest.h>

#include "renderers/gdipaint/gdi_fonts.h"

namespace {

TEST(GdiFonts, GlyphsHaveInkAnAdvanceAndSaneBounds) {
  auto service = swfwin::MakeGdiFontService();
  ASSERT_NE(service, nullptr);
  if (!service->Glyph("_sans", false, false, U'H')) GTEST_SKIP() << "no outline font on this system";
  const struct {
    const char* face;
    bool bold, italic;
    char32_t code;
  } cases[] = {{"_sans", false, false, U'H'}, {"_serif", true, false, U'g'}, {"_typewriter", false, true, U'o'},
               {"Arial", true, true, U'\u00e9'}, {"No Such Face At All", false, false, U'A'}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.face);
    const swf::DeviceGlyph* g = service->Glyph(c.face, c.bold, c.italic, c.code);
    if (!g) {
      ADD_FAILURE() << "no glyph";
      continue;
    }
    EXPECT_FALSE(g->shape.paths.empty());
    EXPECT_GT(g->advance, 0);
    EXPECT_LT(g->advance, 2 * swf::kDeviceEm);
    const swf::Rect& b = g->shape.bounds;
    EXPECT_GT(b.Width(), 0.05 * swf::kDeviceEm);
    EXPECT_GT(b.ymin, -1.5 * swf::kDeviceEm);  // nothing far above the ascent
    EXPECT_LT(b.ymax, 0.5 * swf::kDeviceEm);   // nor far below the descent
    EXPECT_LT(b.ymin, 0);                      // ink above the baseline (y down)
    EXPECT_EQ(service->Glyph(c.face, c.bold, c.italic, c.code), g);  // kept
    const swf::DeviceFontMetrics m = service->Metrics(c.face, c.bold, c.italic);
    EXPECT_GT(m.ascent, 0.4 * swf::kDeviceEm);
    EXPECT_GT(m.descent, 0);
  }
  // A space has an advance and no ink; a character past the basic plane has no glyph.
  const swf::DeviceGlyph* space = service->Glyph("_sans", false, false, U' ');
  ASSERT_NE(space, nullptr);
  EXPECT_TRUE(space->shape.paths.empty());
  EXPECT_GT(space->advance, 0);
  EXPECT_EQ(service->Glyph("_sans", false, false, U'\U0001F600'), nullptr);
}

}  // namespace
