// The expected screen: premultiplied pixels, blending, and the screen checks
// against pictures of a right and of wrong screens.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "layer_picture.h"
#include "xwd_test_files.h"

using namespace xdisplay;
using namespace xdisplay::test;
using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

namespace {

constexpr uint32_t kDesktop = 0x808080;

TEST(LayerPicture, PixelsArePremultipliedAndBlendedSourceOver) {
  const LayerPicture picture = TestPicture();
  ASSERT_EQ(picture.areas.size(), 3u);
  const PictureArea &red = picture.areas[0], &clear = picture.areas[1], &blue = picture.areas[2];
  EXPECT_EQ(PremultipliedPixel(red), 0xFFFF0000u);
  EXPECT_EQ(PremultipliedPixel(clear), 0u);  // whatever its colour, a transparent pixel is all zero
  EXPECT_EQ(PremultipliedPixel(blue), 0x80000080u);
  EXPECT_EQ(Blend(kDesktop, red), 0xFF0000u);
  EXPECT_EQ(Blend(kDesktop, clear), kDesktop);
  EXPECT_EQ(Blend(kDesktop, blue), 0x4040C0u);
  EXPECT_EQ(Blend(0xFFFFFF, PictureArea{"white", 0, 0, 1, 1, 0xFFFFFF, 200}), 0xFFFFFFu);  // no overflow
}

// A 320x200 screen: the desktop with the picture at (OriginX, OriginY), each area drawn as
// Shade says.
std::vector<uint8_t> Screen(const LayerPicture& Picture, int OriginX, int OriginY,
                            uint32_t (*Shade)(const PictureArea&)) {
  return MakeXwd(320, 200, XwdLayout{}, [&](int X, int Y) {
    for (const PictureArea& a : Picture.areas) {
      if (X >= OriginX + a.left && X < OriginX + a.right && Y >= OriginY + a.top && Y < OriginY + a.bottom)
        return Shade(a);
    }
    return kDesktop;
  });
}
uint32_t Composited(const PictureArea& A) { return Blend(kDesktop, A); }
uint32_t Unblended(const PictureArea& A) { return PremultipliedPixel(A) & 0xFFFFFF; }
uint32_t ShapedUnblended(const PictureArea& A) { return A.alpha ? Unblended(A) : kDesktop; }

TEST(LayerPicture, ARightScreenPassesWithAndWithoutACompositor) {
  const LayerPicture picture = TestPicture();
  std::vector<std::string> notes;
  XwdImage composited = XwdImage::Read(Screen(picture, 40, 50, Composited));
  EXPECT_THAT(CheckScreen(composited, picture, {40, 50, kDesktop, true}, &notes), IsEmpty());
  EXPECT_THAT(notes, IsEmpty());
  // Without a compositor the window is cut to its visible pixels, which show unblended.
  XwdImage shaped = XwdImage::Read(Screen(picture, 40, 50, ShapedUnblended));
  EXPECT_THAT(CheckScreen(shaped, picture, {40, 50, kDesktop, false}, &notes), IsEmpty());
  EXPECT_THAT(notes, ElementsAre(AllOf(HasSubstr("half-transparent blue"), HasSubstr("#000080"),
                                       HasSubstr("#4040c0"))));
}

TEST(LayerPicture, WrongScreensFailNamingWhatIsWrong) {
  const LayerPicture picture = TestPicture();
  // Transparent pixels drawn black: the window was not cut to its shape.
  XwdImage black = XwdImage::Read(Screen(picture, 40, 50, Unblended));
  std::vector<std::string> failures = CheckScreen(black, picture, {40, 50, kDesktop, false}, nullptr);
  EXPECT_THAT(failures,
              ElementsAre(HasSubstr("transparent area at (122, 52) shows #000000, expected #808080"),
                          HasSubstr("transparent area"), HasSubstr("... and 7 more points")));
  // Translucent pixels not blended although a compositor runs.
  failures = CheckScreen(black, picture, {40, 50, kDesktop, true}, nullptr);
  EXPECT_THAT(failures,
              testing::Contains(HasSubstr("half-transparent blue area at (202, 52) shows #000080")));
  // The window three pixels off where it belongs.
  XwdImage shifted = XwdImage::Read(Screen(picture, 43, 50, Composited));
  failures = CheckScreen(shifted, picture, {40, 50, kDesktop, true}, nullptr);
  EXPECT_THAT(failures, testing::Contains(HasSubstr("the desktop at (280, 95) shows #4040c0")));
  EXPECT_THAT(failures, testing::Contains(HasSubstr("the opaque red area at (42, 52) shows #808080")));
  // No window at all.
  XwdImage empty = XwdImage::Read(MakeXwd(320, 200, XwdLayout{}, [](int, int) { return kDesktop; }));
  EXPECT_THAT(CheckScreen(empty, picture, {40, 50, kDesktop, true}, nullptr),
              testing::Contains(HasSubstr("opaque red area")));
  // A layer partly off the screen is a failure, not a read outside the picture.
  failures = CheckScreen(empty, picture, {200, 150, kDesktop, true}, nullptr);
  EXPECT_THAT(failures, testing::Contains(HasSubstr("lies off the 320x200 screen")));
}

}  // namespace
