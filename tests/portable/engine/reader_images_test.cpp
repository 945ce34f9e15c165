// The image tags: JPEG, PNG and GIF data in DefineBits (with JPEGTables) and
// DefineBitsJPEG2/3/4, compared with a reference decoder's pixels; damaged
// data notes what it lost and never fails the movie.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "image_codecs.h"
#include "reader_bytes.h"
#include "renderers/engine/reader.h"

using namespace swftest;

namespace {

constexpr int kW = 9, kH = 7;  // not a multiple of a JPEG block
const Bytes kDht = {0xFF, 0xC4};

std::string LoadError(const Bytes& B, const swf::LoadLimits& L = {}) {
  try {
    swf::LoadMovie(B.data(), B.size(), L);
  } catch (const swf::FormatError& e) {
    return e.what();
  }
  return "";
}

Bytes Jpeg() { return EncodeJpeg(kW, kH, TestPattern(kW, kH)); }
Bytes Png() { return EncodePng(kW, kH, TestPattern(kW, kH)); }

Bytes AlphaPlane() {
  Bytes a;
  for (int i = 0; i < kW * kH; ++i) a.push_back(static_cast<uint8_t>(i * 37));
  return a;
}

// A JPEG split into its tables (quantisation and Huffman) and the rest, each
// framed by start- and end-of-image markers as JPEGTables and DefineBits hold
// them.
std::pair<Bytes, Bytes> SplitTables(const Bytes& J) {
  Bytes tables = {0xFF, 0xD8}, image = {0xFF, 0xD8};
  size_t pos = 2;
  while (J[pos + 1] != 0xDA) {
    const size_t length = size_t{J[pos + 2]} << 8 | J[pos + 3];
    Bytes& to = J[pos + 1] == 0xDB || J[pos + 1] == 0xC4 ? tables : image;
    to.insert(to.end(), J.begin() + pos, J.begin() + pos + 2 + length);
    pos += 2 + length;
  }
  tables.insert(tables.end(), {0xFF, 0xD9});
  image.insert(image.end(), J.begin() + pos, J.end());
  return {tables, image};
}

Bytes JpegN(uint16_t Code, const Bytes& Image, const Bytes& ZAlpha) {
  Bits b;
  b.U16(1).U32(static_cast<uint32_t>(Image.size()));
  if (Code == 90) b.U16(0x0100);
  return Tag(Code, Cat({b, Image, ZAlpha}));
}

struct Case {
  const char* name;
  Bytes tags;        // the image is character 1, the last tag
  Bytes reference;   // what the reference decoder decodes
  Bytes alpha;       // replaces the decoded alpha when not empty
  size_t ignored = 0;  // bytes at the end of the body that do not count
};

std::vector<Case> Cases() {
  const Bytes jpeg = Jpeg(), png = Png(), gif = TinyGif(), id = Bits().U16(1);
  const Bytes bad = {0xFF, 0xD9, 0xFF, 0xD8};
  const auto [tables, image] = SplitTables(jpeg);
  return {
      {"JPEG2 holding a JPEG", Tag(21, Cat({id, jpeg})), jpeg, {}},
      {"JPEG2 with the erroneous header", Tag(21, Cat({id, bad, jpeg})), jpeg, {}},
      {"JPEG2 holding a PNG", Tag(21, Cat({id, png})), png, {}},
      {"JPEG2 holding a GIF", Tag(21, Cat({id, gif})), gif, {}},
      {"DefineBits with the movie's tables", Cat({Tag(8, tables), Tag(6, Cat({id, image}))}), jpeg, {}},
      {"DefineBits, tables with the erroneous header", Cat({Tag(8, Cat({bad, tables})), Tag(6, Cat({id, image}))}),
       jpeg, {}},
      {"JPEG3 with an alpha plane", JpegN(35, jpeg, Zlib(AlphaPlane())), jpeg, AlphaPlane()},
      {"JPEG4 with an alpha plane", JpegN(90, Cat({bad, jpeg}), Zlib(AlphaPlane())), jpeg, AlphaPlane()},
      {"JPEG3 holding a PNG ignores its alpha plane", JpegN(35, png, Zlib(AlphaPlane())), png, {},
       Zlib(AlphaPlane()).size()},
  };
}

}  // namespace

TEST(ReaderImages, DecodeAsTheReferenceDecoderDoes) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    const auto m = swf::LoadMovie(Movie(c.tags).data(), Movie(c.tags).size());
    const auto& bmp = std::get<swf::Bitmap>(m->dictionary.at(1));
    const std::vector<uint32_t> expected = ReferencePixels(c.reference, c.alpha);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(bmp.width, c.reference == TinyGif() ? 2 : kW);
    EXPECT_EQ(bmp.height, c.reference == TinyGif() ? 2 : kH);
    EXPECT_EQ(bmp.pixels, expected);
    EXPECT_TRUE(m->loadNotes.empty()) << m->loadNotes.front();
  }
}

// Damaged image data costs the image (or its alpha), noted; the movie loads.
TEST(ReaderImages, DamagedDataIsNotedAndDrawsNothingOrOpaque) {
  const Bytes jpeg = Jpeg(), alpha = AlphaPlane(), za = Zlib(alpha);
  const Bytes noise = {0xFF, 0xD8, 0x12, 0x34, 0x56};
  const Bytes noTables = SplitTables(jpeg).second;
  // Huffman tables of more codes than a table holds, and a PNG whose first
  // image data chunk is empty: the decoder cannot take either safely.
  Bytes hugeTables = jpeg;
  const size_t dht = static_cast<size_t>(std::search(jpeg.begin(), jpeg.end(), kDht.begin(), kDht.end()) - jpeg.begin());
  std::fill(hugeTables.begin() + static_cast<std::ptrdiff_t>(dht + 5), hugeTables.begin() + static_cast<std::ptrdiff_t>(dht + 21), 0x20);
  Bytes emptyIdat = Png();
  emptyIdat.insert(emptyIdat.begin() + 33, {0, 0, 0, 0, 'I', 'D', 'A', 'T', 0x35, 0xAF, 0x06, 0x1E});
  struct Damage {
    const char* name;
    Bytes tags;
    bool opaque;  // decoded without its alpha, else empty
    const char* note;
  } cases[] = {
      {"no alpha plane", JpegN(35, jpeg, {}), true, "has no alpha plane"},
      {"short alpha plane", JpegN(35, jpeg, Bytes(za.begin(), za.end() - 6)), true, "short or damaged alpha"},
      {"damaged alpha plane", JpegN(35, jpeg, Bytes(za.size(), 0x55)), true, "short or damaged alpha"},
      {"not an image", Tag(21, Cat({Bits().U16(1), noise})), false, "no image that decodes"},
      {"DefineBits without tables", Tag(6, Cat({Bits().U16(1), noTables})), false, "does not decode"},
      {"too many Huffman codes", Tag(21, Cat({Bits().U16(1), hugeTables})), false, "no image that decodes"},
      {"empty first PNG data chunk", Tag(21, Cat({Bits().U16(1), emptyIdat})), false, "no image that decodes"},
  };
  for (const Damage& d : cases) {
    SCOPED_TRACE(d.name);
    const Bytes movie = Movie(Cat({d.tags, Tag(26, Bits().U8(0x06).U16(1).U16(1).Identity())}));
    const auto m = swf::LoadMovie(movie.data(), movie.size());
    const auto& bmp = std::get<swf::Bitmap>(m->dictionary.at(1));
    if (d.opaque)
      EXPECT_EQ(bmp.pixels, ReferencePixels(jpeg));
    else
      EXPECT_TRUE(bmp.width == 0 && bmp.height == 0 && bmp.pixels.empty());
    ASSERT_FALSE(m->loadNotes.empty());
    EXPECT_NE(m->loadNotes.front().find(d.note), std::string::npos) << m->loadNotes.front();
  }
}

// Every strict prefix of every image tag's body is refused or loads with a
// note; a bitmap that loads is whole.
TEST(ReaderImages, EveryCutOffBodyIsRefusedOrNoted) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    // The last tag's header and body.
    size_t at = 0, last = 0;
    while (at < c.tags.size()) {
      last = at;
      const uint16_t h = static_cast<uint16_t>(c.tags[at] | c.tags[at + 1] << 8);
      size_t len = h & 0x3F, hdr = 2;
      if (len == 0x3F) len = c.tags[at + 2] | c.tags[at + 3] << 8 | c.tags[at + 4] << 16, hdr = 6;
      at += hdr + len;
    }
    const uint16_t code = static_cast<uint16_t>((c.tags[last] | c.tags[last + 1] << 8) >> 6);
    const size_t hdr = ((c.tags[last] | c.tags[last + 1] << 8) & 0x3F) == 0x3F ? 6 : 2;
    const Bytes before(c.tags.begin(), c.tags.begin() + static_cast<std::ptrdiff_t>(last));
    const Bytes body(c.tags.begin() + static_cast<std::ptrdiff_t>(last + hdr), c.tags.end());
    for (size_t n = 0; n < body.size(); ++n) {
      const Bytes movie = Movie(Cat({before, Tag(code, Bytes(body.begin(), body.begin() + static_cast<std::ptrdiff_t>(n)))}));
      std::shared_ptr<const swf::Movie> m;
      try {
        m = swf::LoadMovie(movie.data(), movie.size());
      } catch (const swf::FormatError&) {
        continue;
      }
      SCOPED_TRACE(n);
      const auto& bmp = std::get<swf::Bitmap>(m->dictionary.at(1));
      EXPECT_EQ(bmp.pixels.size(), size_t(bmp.width) * size_t(bmp.height));
      if (n < body.size() - c.ignored) {
        EXPECT_FALSE(m->loadNotes.empty());
      }
    }
  }
}

TEST(ReaderImages, ImagesCountAgainstTheBitmapLimits) {
  const Bytes one = Tag(21, Cat({Bits().U16(1), Png()})), two = Tag(21, Cat({Bits().U16(2), Jpeg()}));
  swf::LoadLimits limits;
  limits.maxBitmapPixels = kW * kH - 1;
  EXPECT_NE(LoadError(Movie(one), limits).find("bitmap too large"), std::string::npos);
  limits.maxBitmapPixels = kW * kH;
  limits.maxTotalBitmapPixels = 2 * kW * kH - 1;
  EXPECT_EQ(LoadError(Movie(one), limits), "");
  EXPECT_NE(LoadError(Movie(Cat({one, two})), limits).find("bitmaps too large together"), std::string::npos);
}
