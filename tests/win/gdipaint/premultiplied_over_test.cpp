// The layer composite: premultiplied source-over, exact to the rounding of
// x * (255 - alpha) / 255 in every channel, and held at 255.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "renderers/gdipaint/premultiplied_over.h"

namespace {

using swfwin::OverPixel;

uint32_t Channel(uint32_t Pixel, int Shift) { return (Pixel >> Shift) & 0xFF; }

uint32_t Expected(uint32_t C, uint32_t A, uint32_t D) {
  return std::min<uint32_t>(255, C + uint32_t(std::lround(D * (255.0 - A) / 255.0)));
}

TEST(PremultipliedOver, EveryChannelIsTheRoundedProductPlusTheSource) {
  // Every source alpha over every destination value, with source colour
  // both below and above alpha (a renderer's rounding), in every channel;
  // through the row loop (four pixels at a time) and pixel by pixel.
  for (uint32_t a = 0; a < 256; ++a) {
    std::vector<uint32_t> source, dest;
    for (uint32_t d = 0; d < 256; ++d)
      for (const uint32_t c : {0u, a / 2, a, a < 255 ? a + 1 : 255u}) {
        source.push_back(a << 24 | c << 16 | c << 8 | c);
        dest.push_back(d << 24 | d << 16 | d << 8 | d);
      }
    std::vector<uint32_t> row = dest;
    swfwin::CompositeOver(row.data(), source.data(), static_cast<int32_t>(row.size()));
    for (size_t i = 0; i < row.size(); ++i) {
      const uint32_t c = source[i] & 0xFF, d = dest[i] & 0xFF;
      const uint32_t expect = Expected(c, a, d);
      const uint32_t pixel = OverPixel(source[i], dest[i]);
      ASSERT_EQ(row[i], pixel) << "a " << a << " c " << c << " d " << d;
      ASSERT_EQ(Channel(pixel, 0), expect) << "a " << a << " c " << c << " d " << d;
      ASSERT_EQ(Channel(pixel, 8), expect) << "a " << a << " c " << c << " d " << d;
      ASSERT_EQ(Channel(pixel, 16), expect) << "a " << a << " c " << c << " d " << d;
      ASSERT_EQ(Channel(pixel, 24), Expected(a, a, d));
    }
  }
}

TEST(PremultipliedOver, ChannelsStayApart) {
  const struct {
    uint32_t source, dest, out;
  } cases[] = {
      {0x00000000, 0x12345678, 0x12345678},  // nothing drawn: the host's pixel stays
      {0xFF102030, 0x12345678, 0xFF102030},  // opaque: replaces it
      {0x80800000, 0xFF000000, 0xFF800000},  // half red over black
      {0x80800000, 0xFFFFFFFF, 0xFFFF7F7F},  // over white
      {0x80810000, 0xFFFFFFFF, 0xFFFF7F7F},  // colour above alpha: red held at 255, green untouched
      {0x40004000, 0x00FF00FF, 0x40BF40BF},
  };
  for (const auto& c : cases) EXPECT_EQ(OverPixel(c.source, c.dest), c.out) << std::hex << c.source << " " << c.dest;
}

TEST(PremultipliedOver, ARowIsCompositedPixelByPixelAndNothingBeyondIt) {
  const std::vector<uint32_t> source{0xFF0000FF, 0x80008000, 0x00000000, 0x40404040,
                                     0x80810000, 0x80008000, 0xFF000000, 0xFF000000};
  std::vector<uint32_t> dest(8, 0xFFFFFFFF);
  swfwin::CompositeOver(dest.data(), source.data(), 7);  // four at once, then three
  EXPECT_EQ(dest, (std::vector<uint32_t>{0xFF0000FF, 0xFF7FFF7F, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFF7F7F, 0xFF7FFF7F,
                                         0xFF000000, 0xFFFFFFFF}));
  swfwin::CompositeOver(dest.data(), source.data(), 0);
  swfwin::CompositeOver(dest.data(), source.data(), -4);
  EXPECT_EQ(dest[7], 0xFFFFFFFFu);
}

}  // namespace
