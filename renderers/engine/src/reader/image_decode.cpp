// stb_image, built here with only the decoders movies need and without file
// access. Its allocations go through BoundedMalloc/BoundedRealloc: no single
// block may exceed a bound derived from the image's declared size, which
// stops, for example, a PNG whose compressed rows inflate far past its size.
// Data this version of the decoder cannot take safely is refused before it
// sees it (JpegFitsDecoder, PngFitsDecoder).
#include "renderers/engine/src/reader/image_decode.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace swf::detail {
namespace {

thread_local size_t tAllocationBound = 0;

// Zero-filled: the decoder reads tables a damaged image never defined, which
// must then be the same every time.
void* BoundedMalloc(size_t Size) { return Size <= tAllocationBound ? std::calloc(1, Size) : nullptr; }
void* BoundedRealloc(void* P, size_t Size) { return Size <= tAllocationBound ? std::realloc(P, Size) : nullptr; }

}  // namespace
}  // namespace swf::detail

#define STBI_MALLOC(sz) swf::detail::BoundedMalloc(sz)
#define STBI_REALLOC(p, newsz) swf::detail::BoundedRealloc(p, newsz)
#define STBI_FREE(p) std::free(p)
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_ONLY_JPEG
#define STBI_ONLY_PNG
#define STBI_ONLY_GIF
#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wunused-function"
#pragma clang diagnostic ignored "-Wsign-compare"
#pragma clang diagnostic ignored "-Wimplicit-fallthrough"
#elif defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <stb_image.h>
#if defined(__clang__)
#pragma clang diagnostic pop
#elif defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace swf::detail {
namespace {

// A JPEG is decoded scan by scan over the whole image; a few scans make an
// image, thousands only make work.
constexpr size_t kMaxJpegScans = 256;

// Whether the tables of a Huffman table segment of Length bytes each hold at
// most 256 codes; the decoder trusts the counts and would write past its
// tables. Like the decoder, a table that starts inside the segment takes its
// counts from the bytes after it (Available in all), and zeros past the data.
bool HuffmanTablesFit(const uint8_t* Segment, size_t Length, size_t Available) {
  size_t pos = 0;
  while (pos < Length) {
    size_t codes = 0;
    for (size_t i = pos + 1; i <= pos + 16 && i < Available; ++i) codes += Segment[i];
    if (codes > 256) return false;
    pos += 17 + codes;
  }
  return true;
}

// Walks a JPEG's markers, skipping entropy-coded data, to refuse what the
// decoder cannot take safely or quickly: oversized Huffman tables, or too
// many scans. Other data passes.
bool JpegFitsDecoder(const uint8_t* Data, size_t Size) {
  // The decoder takes fill bytes before the start-of-image marker too.
  size_t pos = 0, scans = 0;
  while (pos < Size && Data[pos] == 0xFF) ++pos;
  if (pos == 0 || pos == Size || Data[pos] != 0xD8) return true;
  ++pos;
  while (pos + 1 < Size) {
    if (Data[pos] != 0xFF) {
      ++pos;
      continue;
    }
    const uint8_t m = Data[pos + 1];
    if (m == 0xFF) {
      ++pos;
      continue;
    }
    // Stuffed zero, restart markers, start and end of image: no length.
    if (m == 0x00 || m == 0x01 || (m >= 0xD0 && m <= 0xD9)) {
      pos += 2;
      continue;
    }
    if (pos + 3 >= Size) break;
    const size_t length = size_t{Data[pos + 2]} << 8 | Data[pos + 3];
    if (length < 2) break;
    const size_t body = std::min(length - 2, Size - pos - 4);
    if (m == 0xC4 && !HuffmanTablesFit(Data + pos + 4, length - 2, Size - pos - 4)) return false;
    if (m == 0xDA && ++scans > kMaxJpegScans) return false;
    pos += 4 + body;
  }
  return true;
}

// The decoder copies a first image data chunk that is empty into a buffer it
// has not yet made; such a PNG is refused (none worth showing has one).
bool PngFitsDecoder(const uint8_t* Data, size_t Size) {
  static const uint8_t kSignature[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (Size < 8 || !std::equal(kSignature, kSignature + 8, Data)) return true;
  for (size_t pos = 8; pos + 8 <= Size;) {
    const size_t length = size_t{Data[pos]} << 24 | size_t{Data[pos + 1]} << 16 | size_t{Data[pos + 2]} << 8 | Data[pos + 3];
    if (std::equal(Data + pos + 4, Data + pos + 8, "IDAT")) return length > 0;
    if (length > Size - pos - 8) break;
    pos += 12 + length;
  }
  return true;
}

// stb_image takes an int length.
bool Fits(size_t Size) { return Size > 0 && Size <= static_cast<size_t>(INT_MAX); }

}  // namespace

std::optional<ImageSize> ProbeImage(const uint8_t* Data, size_t Size) {
  if (!Fits(Size) || !JpegFitsDecoder(Data, Size) || !PngFitsDecoder(Data, Size)) return std::nullopt;
  int w = 0, h = 0, comp = 0;
  tAllocationBound = 1u << 20;  // headers only
  if (!stbi_info_from_memory(Data, static_cast<int>(Size), &w, &h, &comp) || w <= 0 || h <= 0) return std::nullopt;
  return ImageSize{static_cast<uint32_t>(w), static_cast<uint32_t>(h)};
}

std::optional<DecodedImage> DecodeImage(const uint8_t* Data, size_t Size) {
  const std::optional<ImageSize> size = ProbeImage(Data, Size);
  if (!size) return std::nullopt;
  // The largest block a sound image needs: 16-bit samples of four channels,
  // with room for row filter bytes and interlacing passes.
  const size_t pixels = size_t{size->width} * size->height;
  tAllocationBound = pixels * 10 + (size_t{size->height} + 1) * 16 + (1u << 20);
  int w = 0, h = 0, comp = 0;
  stbi_uc* rgba = stbi_load_from_memory(Data, static_cast<int>(Size), &w, &h, &comp, 4);
  tAllocationBound = 0;
  if (!rgba) return std::nullopt;
  std::optional<DecodedImage> out;
  if (static_cast<uint32_t>(w) == size->width && static_cast<uint32_t>(h) == size->height) {
    out.emplace();
    out->width = size->width;
    out->height = size->height;
    out->rgba.assign(rgba, rgba + pixels * 4);
  }
  stbi_image_free(rgba);
  return out;
}

}  // namespace swf::detail
