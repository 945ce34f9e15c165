// The XWD reader: the layouts Xvfb and xwd write, and malformed files, each
// refused with a message naming what is wrong.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/SysUtils.h"
#include "xwd_test_files.h"
#include "xwd_image.h"

using namespace xdisplay;
using namespace xdisplay::test;
using ::testing::HasSubstr;

namespace {

TEST(XwdImage, ReadsThePixelLayoutsOfXvfbAndXwd) {
  auto colour = [](int X, int Y) { return static_cast<uint32_t>(0x102030 + X * 0x010000 + Y * 0x000101); };
  // Xvfb's frame buffer: 32 bits, least significant byte first, a window name and a
  // colour map before the pixels, rows padded.
  XwdLayout xvfb;
  xvfb.name = "Xvfb main window";
  xvfb.colours = 256;
  xvfb.rowPadding = 12;
  XwdImage a = XwdImage::Read(MakeXwd(5, 3, xvfb, colour));
  // xwd's dump of a screen with several visuals: 24 bits packed, most significant byte first.
  XwdLayout packed;
  packed.bitsPerPixel = 24;
  packed.msbFirst = true;
  XwdImage b = XwdImage::Read(MakeXwd(5, 3, packed, colour));
  for (const XwdImage* image : {&a, &b}) {
    ASSERT_EQ(image->Width(), 5);
    ASSERT_EQ(image->Height(), 3);
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 5; ++x) EXPECT_EQ(image->Pixel(x, y), colour(x, y)) << x << "," << y;
    }
  }
  EXPECT_THROW(a.Pixel(5, 0), std::out_of_range);
  EXPECT_THROW(a.Pixel(0, -1), std::out_of_range);
}

TEST(XwdImage, DirectColourGoesThroughTheColourMap) {
  XwdLayout direct;
  direct.visualClass = 5;
  direct.colours = 256;
  direct.colourMap = [](int I) { return static_cast<uint16_t>((255 - I) * 0x101); };  // inverted ramp
  XwdImage image = XwdImage::Read(MakeXwd(2, 1, direct, [](int X, int) { return X ? 0x00FF10u : 0u; }));
  EXPECT_EQ(image.Pixel(0, 0), 0xFFFFFFu);
  EXPECT_EQ(image.Pixel(1, 0), 0xFF00EFu);
  // A colour map too short for the channel values cannot be trusted.
  direct.colours = 16;
  EXPECT_THROW(XwdImage::Read(MakeXwd(2, 1, direct, [](int, int) { return 0u; })), vcl::EReadError);
}

std::string ReadError(std::vector<uint8_t> Bytes) {
  try {
    XwdImage::Read(std::move(Bytes));
  } catch (const vcl::EReadError& e) {
    return e.what();
  }
  return "read without error";
}

TEST(XwdImage, MalformedFilesAreRefusedWithTheReason) {
  auto black = [](int, int) { return 0u; };
  const std::vector<uint8_t> good = MakeXwd(4, 4, XwdLayout{}, black);
  auto with = [&](int Field, uint32_t Value) {
    std::vector<uint8_t> bytes = good;
    SetField(bytes, Field, Value);
    return bytes;
  };
  EXPECT_THAT(ReadError({}), HasSubstr("shorter than its header"));
  EXPECT_THAT(ReadError(std::vector<uint8_t>(good.begin(), good.begin() + 99)),
              HasSubstr("shorter than its header"));
  EXPECT_THAT(ReadError(with(1, 6)), HasSubstr("version 6"));
  EXPECT_THAT(ReadError(with(0, 99)), HasSubstr("header size 99"));
  EXPECT_THAT(ReadError(with(0, 0xFFFFFFFF)), HasSubstr("header size"));
  EXPECT_THAT(ReadError(with(2, 1)), HasSubstr("Z-pixmaps"));
  EXPECT_THAT(ReadError(with(11, 16)), HasSubstr("16 bits per pixel"));
  EXPECT_THAT(ReadError(with(13, 3)), HasSubstr("visual class 3"));
  EXPECT_THAT(ReadError(with(7, 2)), HasSubstr("byte order 2"));
  EXPECT_THAT(ReadError(with(4, 0)), HasSubstr("size 0x4"));
  EXPECT_THAT(ReadError(with(5, 40000)), HasSubstr("size 4x40000"));
  EXPECT_THAT(ReadError(with(12, 15)), HasSubstr("rows of 15 bytes"));
  EXPECT_THAT(ReadError(with(14, 0)), HasSubstr("colour mask 0"));
  EXPECT_THAT(ReadError(with(15, 0xF0F0)), HasSubstr("colour mask"));
  // Sizes that promise more than the file holds, also where 32-bit sums would wrap.
  EXPECT_THAT(ReadError(with(5, 5)), HasSubstr("ends before its 5 rows"));
  EXPECT_THAT(ReadError(std::vector<uint8_t>(good.begin(), good.end() - 1)), HasSubstr("ends before"));
  EXPECT_THAT(ReadError(with(19, 0x40000000)), HasSubstr("ends before"));
  std::vector<uint8_t> wide = with(12, 0xFFFFFFF0);
  SetField(wide, 5, 32768);
  EXPECT_THAT(ReadError(wide), HasSubstr("ends before"));
}

}  // namespace
