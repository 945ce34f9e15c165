// Screen Video frames encoded here (zlib blocks of BGR rows, bottom first)
// and decoded back, whole, in part, and damaged.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "renderers/engine/src/video/screen_video.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A picture of W x H whose pixel (x, y) is Colour(x, y) as 0xRRGGBB.
std::vector<uint32_t> Picture(int W, int H, uint32_t Seed) {
  std::vector<uint32_t> p;
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) p.push_back((static_cast<uint32_t>(x * 13 + y * 7) * 2654435761u + Seed) & 0xFFFFFF);
  return p;
}

// The packet of Pic with blocks of Bw x Bh; blocks for which Send is false go as unchanged.
Bytes Encode(const std::vector<uint32_t>& Pic, int W, int H, int Bw, int Bh, const std::vector<bool>& Send = {}) {
  Bytes b = {static_cast<uint8_t>((Bw / 16 - 1) << 4 | W >> 8), static_cast<uint8_t>(W), static_cast<uint8_t>((Bh / 16 - 1) << 4 | H >> 8),
             static_cast<uint8_t>(H)};
  size_t index = 0;
  for (int bottom = 0; bottom < H; bottom += Bh)
    for (int left = 0; left < W; left += Bw, ++index) {
      if (index < Send.size() && !Send[index]) {
        b.push_back(0), b.push_back(0);
        continue;
      }
      Bytes raw;
      for (int y = H - 1 - bottom; y >= std::max(0, H - bottom - Bh); --y)
        for (int x = left; x < std::min(W, left + Bw); ++x) {
          const uint32_t c = Pic[static_cast<size_t>(y * W + x)];
          raw.push_back(static_cast<uint8_t>(c)), raw.push_back(static_cast<uint8_t>(c >> 8)), raw.push_back(static_cast<uint8_t>(c >> 16));
        }
      uLongf n = compressBound(raw.size());
      Bytes z(n);
      compress(z.data(), &n, raw.data(), raw.size());
      b.push_back(static_cast<uint8_t>(n >> 8)), b.push_back(static_cast<uint8_t>(n));
      b.insert(b.end(), z.begin(), z.begin() + static_cast<long>(n));
    }
  return b;
}

std::vector<uint32_t> Opaque(std::vector<uint32_t> P) {
  for (uint32_t& c : P) c |= 0xFF000000u;
  return P;
}

TEST(VideoScreen, FramesDecodeAndUnsentBlocksKeepTheLastPicture) {
  struct Case {
    int w, h, bw, bh;
  } cases[] = {{16, 16, 16, 16}, {20, 18, 16, 16}, {100, 37, 32, 48}, {5, 300, 256, 64}};
  for (const Case& c : cases) {
    swf::video::ScreenVideoDecoder d;
    const auto first = Picture(c.w, c.h, 1);
    Bytes key = Encode(first, c.w, c.h, c.bw, c.bh);
    d.Decode(key.data(), key.size());
    ASSERT_EQ(d.Picture().width, c.w);
    ASSERT_EQ(d.Picture().height, c.h);
    EXPECT_EQ(d.Picture().pixels, Opaque(first)) << c.w << "x" << c.h;
    // The next frame sends only its first block (the bottom left).
    const auto second = Picture(c.w, c.h, 99);
    Bytes inter = Encode(second, c.w, c.h, c.bw, c.bh, {true, false, false, false, false, false, false, false, false,
                                                        false, false, false, false, false, false, false});
    d.Decode(inter.data(), inter.size());
    auto want = Opaque(first);
    for (int y = std::max(0, c.h - c.bh); y < c.h; ++y)
      for (int x = 0; x < std::min(c.w, c.bw); ++x) want[static_cast<size_t>(y * c.w + x)] = second[static_cast<size_t>(y * c.w + x)] | 0xFF000000u;
    EXPECT_EQ(d.Picture().pixels, want) << c.w << "x" << c.h;
  }
}

TEST(VideoScreen, DamagedPacketsAreClearErrors) {
  const auto pic = Picture(20, 18, 3);
  const Bytes good = Encode(pic, 20, 18, 16, 16);
  struct Case {
    Bytes bytes;
    const char* message;
  } cases[] = {
      {{0x10, 0x10}, "cut off before its header at offset 0"},
      {{0x00, 0x00, 0x00, 0x10}, "the picture is empty"},
      {Bytes(good.begin(), good.begin() + 5), "cut off before a block at offset 4"},
      {Bytes(good.begin(), good.begin() + 20), "a block's data runs past the end at offset 6"},
      {{0x00, 0x10, 0x00, 0x10, 0x00, 0x03, 1, 2, 3}, "a block does not inflate to its 16x16 pixels at offset 6"},
  };
  for (const Case& c : cases) {
    swf::video::ScreenVideoDecoder d;
    try {
      d.Decode(c.bytes.data(), c.bytes.size());
      ADD_FAILURE() << c.message;
    } catch (const swf::FormatError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
}

}  // namespace
