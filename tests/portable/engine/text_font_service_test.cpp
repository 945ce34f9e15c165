// The host tools' device fonts: generic and family names find a DejaVu file,
// unknown ones fall back, glyphs are cached, nothing throws.
#include <gtest/gtest.h>

#include <filesystem>

#include "renderers/engine/truetype_fonts.h"

namespace {

const char* kFolder = "/usr/share/fonts/truetype/dejavu";

TEST(TrueTypeFonts, FacesResolveAndGlyphsAreSane) {
  if (!std::filesystem::exists(std::string(kFolder) + "/DejaVuSans.ttf")) GTEST_SKIP() << "no DejaVu fonts";
  auto service = swf::MakeTrueTypeFontService(kFolder);
  const struct {
    const char* face;
    bool bold, italic;
  } faces[] = {{"_sans", false, false}, {"_serif", true, false}, {"_typewriter", false, true},
               {"DejaVu Serif", true, true}, {"No Such Face", false, false}, {"../../etc/passwd", false, false}};
  for (const auto& f : faces) {
    SCOPED_TRACE(f.face);
    const swf::DeviceGlyph* g = service->Glyph(f.face, f.bold, f.italic, U'g');
    ASSERT_NE(g, nullptr);
    EXPECT_FALSE(g->shape.paths.empty());
    EXPECT_GT(g->advance, 0.3 * swf::kDeviceEm);
    EXPECT_LT(g->advance, swf::kDeviceEm);
    // 'g' descends below the baseline and stays inside the em around it.
    EXPECT_GT(g->shape.bounds.ymax, 0);
    EXPECT_GT(g->shape.bounds.ymin, -swf::kDeviceEm);
    EXPECT_EQ(service->Glyph(f.face, f.bold, f.italic, U'g'), g);  // cached
    const swf::DeviceFontMetrics m = service->Metrics(f.face, f.bold, f.italic);
    EXPECT_GT(m.ascent, 0.5 * swf::kDeviceEm);
    EXPECT_GT(m.descent, 0);
  }
  // Monospaced and proportional advances differ as they should.
  EXPECT_EQ(service->Glyph("_typewriter", false, false, U'i')->advance,
            service->Glyph("_typewriter", false, false, U'm')->advance);
  EXPECT_LT(service->Glyph("_sans", false, false, U'i')->advance, service->Glyph("_sans", false, false, U'm')->advance);
  EXPECT_EQ(service->Glyph("_sans", false, false, U'\U000F0000'), nullptr);  // no font has it
}

TEST(TrueTypeFonts, AFolderWithoutFontsGivesNothing) {
  auto service = swf::MakeTrueTypeFontService("/nonexistent");
  EXPECT_EQ(service->Glyph("_sans", false, false, U'a'), nullptr);
  EXPECT_EQ(service->Metrics("_sans", false, false).ascent, 0);
  const std::vector<uint8_t> junk(100, 0xAB);
  EXPECT_EQ(swf::TrueTypeFace::FromBytes(junk), nullptr);
}

}  // namespace
