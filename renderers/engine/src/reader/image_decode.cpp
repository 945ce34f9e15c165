// stb_image, built here with only the decoders movies need and without file
// access. Its allocations go through BoundedMalloc/BoundedRealloc: no single
// block may exceed a bound derived from the image's declared size, which
// stops, for example, a PNG whose compressed rows inflate far past its size.
#include "renderers/engine/src/reader/image_decode.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace swf::detail {
namespace {

thread_local size_t tAllocationBound = 0;

void* BoundedMalloc(size_t Size) { return Size <= tAllocationBound ? std::malloc(Size) : nullptr; }
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

bool TooManyScans(const uint8_t* Data, size_t Size) {
  size_t scans = 0;
  for (size_t i = 0; i + 1 < Size; ++i)
    if (Data[i] == 0xFF && Data[i + 1] == 0xDA && ++scans > kMaxJpegScans) return true;
  return false;
}

// stb_image takes an int length.
bool Fits(size_t Size) { return Size > 0 && Size <= static_cast<size_t>(INT_MAX); }

}  // namespace

std::optional<ImageSize> ProbeImage(const uint8_t* Data, size_t Size) {
  if (!Fits(Size)) return std::nullopt;
  int w = 0, h = 0, comp = 0;
  tAllocationBound = 1u << 20;  // headers only
  if (!stbi_info_from_memory(Data, static_cast<int>(Size), &w, &h, &comp) || w <= 0 || h <= 0) return std::nullopt;
  return ImageSize{static_cast<uint32_t>(w), static_cast<uint32_t>(h)};
}

std::optional<DecodedImage> DecodeImage(const uint8_t* Data, size_t Size) {
  const std::optional<ImageSize> size = ProbeImage(Data, Size);
  if (!size || TooManyScans(Data, Size)) return std::nullopt;
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
