// Sorenson H.263 pictures written bit by bit here: headers of every size
// form and their errors, both escape forms, motion vectors reaching past
// the picture and wrapping around, disposable pictures, and the inverse
// transform against the exact one.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "renderers/engine/src/video/decoder.h"
#include "renderers/engine/src/video/h263_decoder.h"
#include "renderers/engine/src/video/h263_idct.h"

namespace {

using namespace swf::video;
using Bytes = std::vector<uint8_t>;

class BitWriter {
 public:
  BitWriter& Put(uint32_t Value, int N) {
    for (int i = N - 1; i >= 0; --i) {
      if (used_ % 8 == 0) bytes_.push_back(0);
      if ((Value >> i) & 1) bytes_.back() |= static_cast<uint8_t>(0x80 >> (used_ % 8));
      ++used_;
    }
    return *this;
  }
  const Bytes& Data() const { return bytes_; }

 private:
  Bytes bytes_;
  int used_ = 0;
};

enum Type { kI = 0, kP = 1, kDisposable = 2 };

void Header(BitWriter& B, int W, int H, Type T, int Version = 1, int Quant = 4) {
  B.Put(1, 17).Put(static_cast<uint32_t>(Version), 5).Put(0, 8);
  if (W == 176 && H == 144) B.Put(3, 3);
  else if (W <= 255 && H <= 255) B.Put(0, 3).Put(static_cast<uint32_t>(W), 8).Put(static_cast<uint32_t>(H), 8);
  else B.Put(1, 3).Put(static_cast<uint32_t>(W), 16).Put(static_cast<uint32_t>(H), 16);
  B.Put(T, 2).Put(0, 1).Put(static_cast<uint32_t>(Quant), 5).Put(0, 1);
}

// An intra macroblock of flat blocks: Y for the luma, C for both chroma.
void FlatIntra(BitWriter& B, bool InInterPicture, int Y, int C) {
  if (InInterPicture) B.Put(0, 1).Put(0b00011, 5);  // coded, intra
  else B.Put(1, 1);                                 // intra, no chroma coefficients
  B.Put(0b0011, 4);                                 // no luma coefficients
  for (int b = 0; b < 6; ++b) B.Put(static_cast<uint32_t>(b < 4 ? Y : C), 8);
}

// A motion vector difference in half pixels.
void Mvd(BitWriter& B, int V) {
  struct Code {
    uint32_t bits;
    int length;
  };
  const Code codes[33] = {{1, 1},   {1, 2},   {1, 3},   {1, 4},   {3, 6},   {5, 7},   {4, 7},  {3, 7},  {11, 9},
                          {10, 9},  {9, 9},   {17, 10}, {16, 10}, {15, 10}, {14, 10}, {13, 10}, {12, 10}, {11, 10},
                          {10, 10}, {9, 10},  {8, 10},  {7, 10},  {6, 10},  {5, 10},  {4, 10}, {7, 11}, {6, 11},
                          {5, 11},  {4, 11},  {3, 11},  {2, 11},  {3, 12},  {2, 12}};
  const Code& c = codes[std::abs(V)];
  B.Put(c.bits, c.length);
  if (V) B.Put(V < 0, 1);
}

// An inter macroblock with a horizontal vector difference and no coefficients.
void Moved(BitWriter& B, int Dx) {
  B.Put(0, 1).Put(1, 1).Put(0b11, 2);  // coded, inter with no chroma, no luma coefficients
  Mvd(B, Dx);
  Mvd(B, 0);
}

H263Decoder Decoded(std::initializer_list<Bytes> Packets) {
  H263Decoder d;
  for (const Bytes& p : Packets) d.Decode(p.data(), p.size());
  return d;
}

Bytes FlatPicture(int W, int H, Type T, int Y, int C = 100) {
  BitWriter b;
  Header(b, W, H, T);
  for (int i = 0; i < ((W + 15) / 16) * ((H + 15) / 16); ++i) FlatIntra(b, T != kI, Y, C);
  return b.Data();
}

std::string ErrorOf(const Bytes& P) {
  H263Decoder d;
  try {
    d.Decode(P.data(), P.size());
  } catch (const swf::FormatError& e) {
    return e.what();
  }
  return "";
}

TEST(VideoH263, HeadersGiveTheSizeOrAClearError) {
  struct Case {
    Bytes packet;
    int width, height;
    std::string error;
  } cases[] = {
      {FlatPicture(176, 144, kI, 50), 176, 144, ""},  // a standard size code
      {FlatPicture(100, 75, kI, 50), 100, 75, ""},    // 8-bit sides
      {FlatPicture(260, 20, kI, 50), 260, 20, ""},    // 16-bit sides
      {Bytes{0, 0, 0x40, 0}, 0, 0, "no picture start code at bit 17"},
      {BitWriter().Put(1, 17).Put(2, 5).Data(), 0, 0, "unknown format version 2"},
      {BitWriter().Put(1, 17).Put(0, 13).Put(7, 3).Data(), 0, 0, "unknown picture size code"},
      {BitWriter().Put(1, 17).Put(0, 13).Put(0, 3).Put(0, 8).Put(9, 8).Data(), 0, 0, "an empty picture"},
      {BitWriter().Put(1, 17).Put(0, 13).Put(1, 3).Put(5000, 16).Put(9, 16).Data(), 0, 0, "5000x9 (too large)"},
      {BitWriter().Put(1, 17).Put(0, 13).Put(3, 3).Put(3, 2).Data(), 0, 0, "unknown picture type"},
      {BitWriter().Put(1, 17).Put(0, 13).Put(3, 3).Put(0, 3).Put(0, 5).Data(), 0, 0, "a quantiser of 0"},
      {BitWriter().Put(1, 17).Put(0, 13).Put(3, 3).Put(0, 3).Put(1, 5).Put(0, 1).Data(), 0, 0, "macroblock type code at bit 42"},
  };
  for (const Case& c : cases) {
    H263Decoder d;
    const std::string error = ErrorOf(c.packet);
    if (c.error.empty()) {
      EXPECT_EQ(error, "");
      d.Decode(c.packet.data(), c.packet.size());
      EXPECT_EQ(d.Picture().width, c.width);
      EXPECT_EQ(d.Picture().height, c.height);
      EXPECT_EQ(d.Planes().y[0], 50);
      EXPECT_EQ(d.Picture().pixels[0], 0xFF000000u | d.Picture().pixels[0]);
    } else {
      EXPECT_NE(error.find("Sorenson H.263: "), std::string::npos) << error;
      EXPECT_NE(error.find(c.error), std::string::npos) << error << " (wanted " << c.error << ")";
      EXPECT_EQ(d.Picture().width, 0);
    }
  }
}

// One 16x16 intra picture whose top left block has a single coefficient
// after its DC, written with the short code or either escape form.
TEST(VideoH263, EscapedCoefficientsDecodeLikeShortCodes) {
  struct Case {
    int version;
    std::vector<std::pair<uint32_t, int>> coefficient;  // bits after the block's DC
    int level;                                          // 0: as the short code's picture
  } cases[] = {
      {1, {{0b0111, 4}, {0, 1}}, 1},                                       // last, run 0, level +1
      {1, {{0b0000011, 7}, {0, 1}, {1, 1}, {0, 6}, {1, 7}}, 1},            // 7-bit escape
      {1, {{0b0000011, 7}, {1, 1}, {1, 1}, {0, 6}, {1, 11}}, 1},           // 11-bit escape
      {0, {{0b0000011, 7}, {1, 1}, {0, 6}, {1, 8}}, 1},                    // version 0: 8-bit escape
      {1, {{0b0000011, 7}, {1, 1}, {1, 1}, {0, 6}, {0x7FF & -20, 11}}, -20},
      {0, {{0b0000011, 7}, {1, 1}, {0, 6}, {0xFF & -20, 8}}, -20},
  };
  std::vector<uint8_t> byLevel[2];
  for (const Case& c : cases) {
    BitWriter b;
    Header(b, 16, 16, kI, c.version);
    b.Put(1, 1).Put(0b00010, 5);  // intra, only the top left luma block coded
    b.Put(100, 8);
    for (auto [bits, n] : c.coefficient) b.Put(bits, n);
    for (int i = 1; i < 6; ++i) b.Put(100, 8);
    H263Decoder d = Decoded({b.Data()});
    const YuvPlanes p = d.Planes();
    std::vector<uint8_t> block;
    for (int y = 0; y < 8; ++y) block.insert(block.end(), p.y + y * p.yStride, p.y + y * p.yStride + 8);
    std::vector<uint8_t>& want = byLevel[c.level < 0];
    if (want.empty()) want = block;
    EXPECT_EQ(block, want) << "version " << c.version << " level " << c.level;
    // A horizontal cosine: the left column brighter for a positive level.
    EXPECT_EQ(block[0] > block[7], c.level > 0);
    EXPECT_EQ(p.y[8], 100);  // the next block untouched
  }
}

// Two macroblocks side by side, luma 50 and 200 (chroma 60 and 180), then
// an inter picture moving each horizontally: a vector is its predictor
// (the left macroblock's) plus its difference, wrapped into -16..15.5
// pixels, and reads past the picture's edge repeat the edge pixels.
TEST(VideoH263, MotionVectorsPredictWrapAndReachPastTheEdge) {
  BitWriter key;
  Header(key, 32, 16, kI);
  FlatIntra(key, false, 50, 60);
  FlatIntra(key, false, 200, 180);
  struct Case {
    int dx0, dx1;  // differences; 99: the first macroblock is not coded
    int mv0, mv1;  // the vectors they give, in half pixels
  } cases[] = {{99, -32, 0, -32}, {1, 0, 1, 1}, {-32, -1, -32, 31}, {31, 2, 31, -31}, {-5, 7, -5, 2}};
  for (const Case& c : cases) {
    BitWriter inter;
    Header(inter, 32, 16, kP);
    if (c.dx0 == 99) inter.Put(1, 1);
    else Moved(inter, c.dx0);
    Moved(inter, c.dx1);
    H263Decoder d = Decoded({key.Data(), inter.Data()});
    const YuvPlanes p = d.Planes();
    for (int plane = 0; plane < 2; ++plane) {
      const int size = plane ? 8 : 16, left = plane ? 60 : 50, right = plane ? 180 : 200;
      auto ref = [&](int X) { return X < size ? left : right; };
      for (int mb = 0; mb < 2; ++mb) {
        const int luma = mb ? c.mv1 : c.mv0, v = plane ? (luma >> 1) | (luma & 1) : luma;
        for (int i = 0; i < size; ++i) {
          const int at = mb * size + i + (v >> 1), want = v & 1 ? (ref(at) + ref(at + 1) + 1) >> 1 : ref(at);
          const uint8_t* row = plane ? p.u + 3 * p.cStride : p.y + 9 * p.yStride;
          ASSERT_EQ(row[mb * size + i], want) << "plane " << plane << " mb " << mb << " x " << i << " vectors " << c.mv0
                                              << "," << c.mv1;
        }
      }
    }
  }
}

TEST(VideoH263, DisposablePicturesAreShownButNotReferenced) {
  BitWriter skipped;
  Header(skipped, 16, 16, kP);
  skipped.Put(1, 1);
  H263Decoder d;
  for (auto [packet, luma] : {std::pair{FlatPicture(16, 16, kI, 50), 50}, {FlatPicture(16, 16, kDisposable, 200), 200},
                              {skipped.Data(), 50}, {FlatPicture(16, 16, kP, 120), 120}, {skipped.Data(), 120}}) {
    d.Decode(packet.data(), packet.size());
    EXPECT_EQ(d.Planes().y[15 * d.Planes().yStride + 15], luma);
  }
}

TEST(VideoH263, InterPicturesNeedAKeyframeOfTheirSize) {
  const Bytes inter = FlatPicture(16, 16, kP, 120);
  EXPECT_NE(ErrorOf(inter).find("an inter picture before any keyframe"), std::string::npos);
  H263Decoder d = Decoded({FlatPicture(32, 16, kI, 50)});
  EXPECT_THROW(d.Decode(inter.data(), inter.size()), swf::FormatError);
  EXPECT_EQ(d.Picture().width, 32);
  // Cut inside the second macroblock: the first is kept, the second comes from the reference.
  const Bytes two = FlatPicture(32, 16, kP, 120);
  EXPECT_THROW(d.Decode(two.data(), two.size() - 3), swf::FormatError);
  EXPECT_EQ(d.Planes().y[0], 120);
  EXPECT_EQ(d.Planes().y[16], 50);
}

TEST(VideoH263, CodecIdsWithoutADecoderGiveNothing) {
  EXPECT_NE(dynamic_cast<H263Decoder*>(MakeVideoDecoder(2).get()), nullptr);
  EXPECT_NE(MakeVideoDecoder(3), nullptr);
  for (int id : {0, 1, 4, 5, 6, 7, 8, 15, 255}) EXPECT_EQ(MakeVideoDecoder(static_cast<uint8_t>(id)), nullptr) << id;
}

// Random sparse blocks as video has them, against the transform in doubles:
// no pixel off by more than 1, and no bias.
TEST(VideoH263, InverseTransformIsWithinOneOfTheExactOne) {
  std::mt19937 random(7);
  int worst = 0;
  long long bias = 0, count = 0;
  for (int n = 0; n < 3000; ++n) {
    alignas(16) int16_t block[64] = {};
    const int coefficients = 1 + static_cast<int>(random() % 10), range = n % 3 == 0 ? 2047 : 300;
    for (int k = 0; k < coefficients; ++k)
      block[random() % (k == 0 ? 1 : 64)] = static_cast<int16_t>(static_cast<int>(random() % (2 * range + 1)) - range);
    double exact[64];
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) {
        double s = 0;
        for (int v = 0; v < 8; ++v)
          for (int u = 0; u < 8; ++u)
            s += (u ? 1 : std::numbers::sqrt2 / 2) * (v ? 1 : std::numbers::sqrt2 / 2) * block[8 * v + u] *
                 std::cos((2 * x + 1) * u * std::numbers::pi / 16) * std::cos((2 * y + 1) * v * std::numbers::pi / 16);
        exact[8 * y + x] = std::clamp(std::floor(s / 4 + 128 + 0.5), 0.0, 255.0);
      }
    // Added to a mid-grey prediction, so negative residuals show too.
    uint8_t pixels[64];
    std::fill(std::begin(pixels), std::end(pixels), 128);
    H263IdctAdd(block, false, pixels, 8);
    for (int i = 0; i < 64; ++i) {
      const int d = pixels[i] - static_cast<int>(exact[i]);
      worst = std::max(worst, std::abs(d));
      bias += d, ++count;
      ASSERT_EQ(block[i], 0);  // cleared for the next block
    }
  }
  EXPECT_LE(worst, 1);
  EXPECT_LT(std::abs(static_cast<double>(bias) / static_cast<double>(count)), 0.015);
}

}  // namespace
