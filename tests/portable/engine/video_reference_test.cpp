// Our decoders against ffmpeg's decoding of the same files (made at build
// time, see tests/videos): Sorenson H.263 planes within 40 dB PSNR on every
// frame, drift across long runs of inter frames included; its pixels within
// the bounds the conversion allows; Screen Video pixels exact.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "renderers/engine/src/video/decoder.h"
#include "renderers/engine/src/video/flv.h"
#include "renderers/engine/src/video/h263_decoder.h"

namespace {

using namespace swf::video;
using Bytes = std::vector<uint8_t>;

Bytes Load(const std::string& Name) {
  std::ifstream f(std::string(VT_TEST_VIDEOS) + "/" + Name, std::ios::binary | std::ios::ate);
  Bytes b(f ? static_cast<size_t>(f.tellg()) : 0);
  f.seekg(0);
  f.read(reinterpret_cast<char*>(b.data()), static_cast<std::streamsize>(b.size()));
  return b;
}

// The video packets of a file (payloads after their first byte).
std::vector<Bytes> Packets(const std::string& Name) {
  const Bytes flv = Load(Name + ".flv");
  FlvReader reader;
  std::vector<Bytes> packets;
  for (const FlvTag& t : reader.Append(flv.data(), flv.size()))
    if (t.Is(FlvTag::Kind::Video) && t.data.size() > 1) packets.emplace_back(t.data.begin() + 1, t.data.end());
  return packets;
}

double Psnr(double SquaredError, size_t Samples) {
  return SquaredError == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 * static_cast<double>(Samples) / SquaredError);
}

// PSNR of a W x H plane at Ours (rows Stride apart) against packed Theirs.
double PlanePsnr(const uint8_t* Ours, ptrdiff_t Stride, const uint8_t* Theirs, int W, int H) {
  double se = 0;
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      const double d = Ours[y * Stride + x] - Theirs[y * W + x];
      se += d * d;
    }
  return Psnr(se, static_cast<size_t>(W) * static_cast<size_t>(H));
}

// PSNR over the colour channels of pixels against B,G,R,A bytes.
double RgbPsnr(const std::vector<uint32_t>& Ours, const uint8_t* Theirs) {
  double se = 0;
  for (size_t i = 0; i < Ours.size(); ++i)
    for (int c = 0; c < 3; ++c) {
      const double d = static_cast<int>((Ours[i] >> (8 * c)) & 0xFF) - Theirs[4 * i + static_cast<size_t>(c)];
      se += d * d;
    }
  return Psnr(se, Ours.size() * 3);
}

struct SorensonClip {
  const char* name;
  int width, height, frames;
  // ffmpeg turns 4:2:0 into BGRA with its table-driven converter, which
  // takes each chroma sample for its 2x2 square as we do, only for widths
  // that are a multiple of 16; other widths go through its scaler, which
  // interpolates chroma (no bound on single pixels then).
  bool sameChromaSiting;
};

constexpr SorensonClip kSorensonClips[] = {
    {"sorenson_320x240", 320, 240, 250, true},
    {"sorenson_176x144_audio", 176, 144, 60, true},
    {"sorenson_100x75", 100, 75, 24, false},
};

// Planes on every frame; pixels on every fourth (where the chroma siting
// agrees): the planes' 40 dB, amplified by the conversion (a step in Cb
// moves blue by 2.02 steps: 6 dB), with the conversion's own rounding,
// leave 33 dB.
TEST(VideoReference, SorensonStaysWithin40DbOfFfmpegOnEveryFrame) {
  for (const SorensonClip& clip : kSorensonClips) {
    const std::vector<Bytes> packets = Packets(clip.name);
    const Bytes yuv = Load(std::string(clip.name) + ".yuv"), bgra = Load(std::string(clip.name) + ".bgra");
    const int cw = (clip.width + 1) / 2, ch = (clip.height + 1) / 2;
    const size_t frameSize = static_cast<size_t>(clip.width * clip.height + 2 * cw * ch);
    ASSERT_EQ(packets.size(), static_cast<size_t>(clip.frames)) << clip.name;
    ASSERT_EQ(yuv.size(), frameSize * packets.size()) << clip.name;
    const size_t pixels = static_cast<size_t>(clip.width * clip.height);
    ASSERT_EQ(bgra.size(), pixels * 4 * packets.size()) << clip.name;
    H263Decoder d;
    for (size_t f = 0; f < packets.size(); ++f) {
      ASSERT_NO_THROW(d.Decode(packets[f].data(), packets[f].size())) << clip.name << " frame " << f;
      const YuvPlanes p = d.Planes();
      ASSERT_EQ(p.width, clip.width);
      ASSERT_EQ(p.height, clip.height);
      const uint8_t* ref = yuv.data() + f * frameSize;
      const size_t lumaSize = static_cast<size_t>(clip.width * clip.height), chromaSize = static_cast<size_t>(cw * ch);
      EXPECT_GT(PlanePsnr(p.y, p.yStride, ref, clip.width, clip.height), 40.0) << clip.name << " Y frame " << f;
      EXPECT_GT(PlanePsnr(p.u, p.cStride, ref + lumaSize, cw, ch), 40.0) << clip.name << " Cb frame " << f;
      EXPECT_GT(PlanePsnr(p.v, p.cStride, ref + lumaSize + chromaSize, cw, ch), 40.0) << clip.name << " Cr frame " << f;
      if (clip.sameChromaSiting && f % 4 == 0) {
        EXPECT_GT(RgbPsnr(d.Picture().pixels, bgra.data() + f * pixels * 4), 33.0) << clip.name << " pixels frame " << f;
      }
    }
  }
}

// The conversion alone, on ffmpeg's own planes: its coefficients carry
// fewer fraction bits than ours, which moves a channel by up to 3 (alpha
// is 255 on both sides).
TEST(VideoReference, YuvToRgbMatchesFfmpegWithin3) {
  for (const SorensonClip& clip : kSorensonClips) {
    if (!clip.sameChromaSiting) continue;
    const Bytes yuv = Load(std::string(clip.name) + ".yuv"), bgra = Load(std::string(clip.name) + ".bgra");
    const int w = clip.width, h = clip.height, cw = w / 2, ch = h / 2;
    const size_t frameSize = static_cast<size_t>(w * h + 2 * cw * ch), pixels = static_cast<size_t>(w * h);
    ASSERT_EQ(bgra.size(), pixels * 4 * static_cast<size_t>(clip.frames)) << clip.name;
    std::vector<uint32_t> out(pixels);
    int worst = 0;
    for (int f = 0; f < clip.frames; f += 8) {
      const uint8_t* y = yuv.data() + static_cast<size_t>(f) * frameSize;
      YuvToRgb({w, h, y, y + pixels, y + pixels + static_cast<size_t>(cw * ch), w, cw}, out.data());
      const uint8_t* ref = bgra.data() + static_cast<size_t>(f) * pixels * 4;
      for (size_t i = 0; i < pixels; ++i)
        for (int c = 0; c < 4; ++c)
          worst = std::max(worst, std::abs(static_cast<int>((out[i] >> (8 * c)) & 0xFF) - ref[4 * i + static_cast<size_t>(c)]));
    }
    EXPECT_LE(worst, 3) << clip.name;
  }
}

TEST(VideoReference, ScreenVideoMatchesFfmpegExactly) {
  struct Clip {
    const char* name;
    int width, height, frames;
  } clips[] = {{"screen_320x240", 320, 240, 30}, {"screen_100x75_audio", 100, 75, 16}};
  for (const Clip& clip : clips) {
    const std::vector<Bytes> packets = Packets(clip.name);
    const Bytes bgra = Load(std::string(clip.name) + ".bgra");
    const size_t pixels = static_cast<size_t>(clip.width * clip.height);
    ASSERT_EQ(packets.size(), static_cast<size_t>(clip.frames)) << clip.name;
    ASSERT_EQ(bgra.size(), pixels * 4 * packets.size()) << clip.name;
    auto d = MakeVideoDecoder(static_cast<uint8_t>(VideoCodec::ScreenVideo));
    for (size_t f = 0; f < packets.size(); ++f) {
      d->Decode(packets[f].data(), packets[f].size());
      const uint8_t* ref = bgra.data() + f * pixels * 4;
      std::vector<uint32_t> want(pixels);
      for (size_t i = 0; i < pixels; ++i)
        want[i] = uint32_t{ref[4 * i + 3]} << 24 | uint32_t{ref[4 * i + 2]} << 16 | uint32_t{ref[4 * i + 1]} << 8 | ref[4 * i];
      ASSERT_EQ(d->Picture().pixels, want) << clip.name << " frame " << f;
    }
  }
}

// Packets of a real clip cut short: each is a clear error, and a keyframe
// after it decodes as if nothing happened (damaged bytes: the fuzz target).
TEST(VideoReference, DamagedSorensonPacketsAreErrorsAndTheNextKeyframeRecovers) {
  const std::vector<Bytes> packets = Packets("sorenson_176x144_audio");
  ASSERT_GE(packets.size(), 16u);
  const Bytes& key = packets[0];
  H263Decoder clean;
  clean.Decode(key.data(), key.size());
  const swf::Bitmap want = clean.Picture();
  for (size_t cut : {size_t{0}, size_t{3}, size_t{9}, key.size() / 3, key.size() - 2}) {
    H263Decoder d;
    try {
      d.Decode(key.data(), cut);
      ADD_FAILURE() << "a keyframe cut to " << cut << " bytes decoded";
    } catch (const swf::FormatError& e) {
      EXPECT_NE(std::string(e.what()).find("Sorenson H.263: "), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find(" at bit "), std::string::npos) << e.what();
    }
    // A cut inter frame next, then the keyframe whole.
    EXPECT_THROW(d.Decode(packets[1].data(), packets[1].size() / 2), swf::FormatError) << cut;
    d.Decode(key.data(), key.size());
    EXPECT_EQ(d.Picture().pixels, want.pixels) << cut;
  }
}

TEST(VideoReference, TheCutFileGivesItsWholeTagsAndTheyDecode) {
  const std::vector<Bytes> packets = Packets("sorenson_cut");
  ASSERT_FALSE(packets.empty());
  auto d = MakeVideoDecoder(static_cast<uint8_t>(VideoCodec::SorensonH263));
  for (const Bytes& p : packets) d->Decode(p.data(), p.size());
  EXPECT_EQ(d->Picture().width, 176);
}

}  // namespace
