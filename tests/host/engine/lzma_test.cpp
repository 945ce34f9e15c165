// The engine's LZMA decoder against liblzma: what liblzma compresses comes
// back, cut-off data gives what liblzma gives, and "ZWS" movies load as their
// uncompressed form does.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "lzma_reference.h"
#include "portable/engine/reader_bytes.h"
#include "renderers/engine/reader.h"
#include "renderers/engine/src/reader/lzma.h"

using lzmaref::Bytes;

namespace {

Bytes Random(size_t N, uint32_t Seed) {
  std::mt19937 rng(Seed);
  Bytes b(N);
  for (auto& v : b) v = static_cast<uint8_t>(rng());
  return b;
}

// Text-like data with long and short repeats and runs.
Bytes Structured(size_t N) {
  std::mt19937 rng(7);
  const std::string words[] = {"frame ", "sprite ", "shape ", "\x00\x01\x02", "place 17 at 3 ", "\xff\xfe"};
  Bytes b;
  while (b.size() < N) {
    const std::string& w = words[rng() % 6];
    const size_t times = rng() % 5 == 0 ? 40 : 1;
    for (size_t i = 0; i < times; ++i) b.insert(b.end(), w.begin(), w.end());
    b.push_back(static_cast<uint8_t>(rng() % 4));
  }
  b.resize(N);
  return b;
}

swf::detail::LzmaOutput Decode(const Bytes& Packed, size_t Length, size_t Size) {
  return swf::detail::DecodeLzma(Packed.data(), Packed.data() + 5, Length, Size, 0);
}

}  // namespace

TEST(LzmaDecoder, GivesBackWhatLiblzmaCompressed) {
  struct Props {
    uint32_t lc, lp, pb, dictionary;
  } props[] = {{3, 0, 2, 1u << 16}, {0, 4, 0, 4096}, {2, 2, 4, 1u << 20}, {1, 1, 1, 5000}};
  const Bytes inputs[] = {{}, {42}, Random(70000, 1), Structured(200000), Bytes(100000, 0),
                          // repeats farther back than a small dictionary holds
                          [] {
                            Bytes b = Random(6000, 2);
                            Bytes again(b.begin(), b.begin() + 3000);
                            b.insert(b.end(), again.begin(), again.end());
                            return b;
                          }()};
  for (const Props& p : props)
    for (const Bytes& in : inputs) {
      SCOPED_TRACE("lc " + std::to_string(p.lc) + " lp " + std::to_string(p.lp) + " pb " + std::to_string(p.pb) +
                   ", " + std::to_string(in.size()) + " bytes");
      const Bytes packed = lzmaref::Compress(in, p.lc, p.lp, p.pb, p.dictionary);
      ASSERT_GE(packed.size(), 5u);
      // The declared size stops decoding before the end marker.
      const auto exact = Decode(packed, packed.size() - 5, in.size());
      EXPECT_TRUE(exact.bytes == in && !exact.cutOff && !exact.endMarker);
      // A larger size runs into the end marker.
      const auto longer = Decode(packed, packed.size() - 5, in.size() + 10);
      EXPECT_TRUE(longer.bytes == in && longer.endMarker);
    }
}

// Data cut off anywhere gives the whole symbols before the cut, as liblzma does.
TEST(LzmaDecoder, CutOffDataGivesWhatLiblzmaGives) {
  const Bytes in = Structured(20000);
  const Bytes packed = lzmaref::Compress(in);
  for (size_t length = 0; length < packed.size() - 5; length += 1 + length / 16) {
    SCOPED_TRACE(length);
    const auto ours = Decode(packed, length, in.size());
    const auto ref = lzmaref::Decompress(packed.data(), packed.data() + 5, length, in.size());
    EXPECT_TRUE(ours.cutOff);
    EXPECT_EQ(ours.bytes, ref.bytes);
  }
}

TEST(LzmaDecoder, BadDataIsAFormatError) {
  const Bytes packed = lzmaref::Compress(Structured(5000));
  Bytes firstNonZero = packed;
  firstNonZero[5] = 1;
  Bytes badProps = packed;
  badProps[0] = 225;
  for (const Bytes* b : {&firstNonZero, &badProps})
    EXPECT_THROW(Decode(*b, b->size() - 5, 5000), swf::FormatError);
  // A match at the very start has nothing to copy: flipping the early bytes
  // of the data soon reaches one.
  int errors = 0;
  for (int i = 0; i < 64; ++i) {
    Bytes damaged = packed;
    damaged[6 + i % 4] ^= static_cast<uint8_t>(0x80 >> (i / 8));
    try {
      Decode(damaged, damaged.size() - 5, 5000);
    } catch (const swf::FormatError&) {
      ++errors;
    }
  }
  EXPECT_GT(errors, 0);
}

namespace {

// The movie of Tags as "ZWS": the uncompressed header's length, the
// compressed length, then liblzma's properties and data.
Bytes Zws(const Bytes& Movie, size_t CutOff = 0) {
  const Bytes body(Movie.begin() + 8, Movie.end());
  Bytes packed = lzmaref::Compress(body);
  packed.resize(packed.size() - CutOff);
  Bytes out = {'Z', 'W', 'S', Movie[3], Movie[4], Movie[5], Movie[6], Movie[7]};
  const uint32_t compressed = static_cast<uint32_t>(packed.size() - 5);
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(compressed >> (8 * i)));
  out.insert(out.end(), packed.begin(), packed.end());
  return out;
}

}  // namespace

TEST(ReaderLzma, ZwsMovieLoadsAsItsUncompressedForm) {
  using namespace swftest;
  const Bytes tags = Cat({Tag(9, Bits().Rgb(10, 20, 30)), ShowFrame(), Tag(43, Bits().Str("two")), ShowFrame()});
  const Bytes plain = Movie(tags, false, 13, 2);
  const Bytes zws = Zws(plain);
  const auto m = swf::LoadMovie(zws.data(), zws.size());
  EXPECT_TRUE(m->compressed);
  EXPECT_EQ(m->version, 13);
  EXPECT_EQ(m->timeline.frames.size(), 2u);
  EXPECT_EQ(m->timeline.frames[1].label, "two");
  EXPECT_EQ(m->background.r, 10);
  EXPECT_TRUE(m->loadNotes.empty());

  // Cut off: the frames before the cut, noted.
  const Bytes cut = Zws(plain, 12);
  const auto c = swf::LoadMovie(cut.data(), cut.size());
  EXPECT_EQ(c->timeline.frames.size(), 1u);
  ASSERT_FALSE(c->loadNotes.empty());
  EXPECT_NE(c->loadNotes.front().find("cut off"), std::string::npos);

  swf::LoadLimits small;
  small.maxUncompressedBytes = plain.size() - 1;
  EXPECT_THROW(swf::LoadMovie(zws.data(), zws.size(), small), swf::FormatError);
  for (size_t n = 8; n < 17; ++n) EXPECT_THROW(swf::LoadMovie(zws.data(), n), swf::FormatError);
}
