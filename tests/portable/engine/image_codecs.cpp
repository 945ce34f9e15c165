#include "image_codecs.h"

#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wunused-function"
#pragma clang diagnostic ignored "-Wsign-compare"
#pragma clang diagnostic ignored "-Wimplicit-fallthrough"
#pragma clang diagnostic ignored "-Wmissing-field-initializers"
#elif defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#include <stb_image.h>
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>
#if defined(__clang__)
#pragma clang diagnostic pop
#elif defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace swftest {
namespace {

void Append(void* Context, void* Data, int Size) {
  auto* out = static_cast<Bytes*>(Context);
  const auto* p = static_cast<const uint8_t*>(Data);
  out->insert(out->end(), p, p + Size);
}

}  // namespace

Bytes TestPattern(int W, int H) {
  Bytes rgba;
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
      rgba.insert(rgba.end(), {static_cast<uint8_t>(x * 255 / W), static_cast<uint8_t>(y * 255 / H),
                               static_cast<uint8_t>((x + y) * 16), static_cast<uint8_t>(255 - (x * 7 + y * 13))});
  return rgba;
}

Bytes EncodeJpeg(int W, int H, const Bytes& Rgba) {
  Bytes out;
  stbi_write_jpg_to_func(Append, &out, W, H, 4, Rgba.data(), 90);
  return out;
}

Bytes EncodePng(int W, int H, const Bytes& Rgba) {
  Bytes out;
  stbi_write_png_to_func(Append, &out, W, H, 4, Rgba.data(), W * 4);
  return out;
}

Bytes TinyGif() {
  Bytes gif = {'G', 'I', 'F', '8', '9', 'a', 2, 0, 2, 0, 0x91, 0, 0};
  gif.insert(gif.end(), {255, 0, 0, 0, 255, 0, 0, 0, 255, 9, 9, 9});        // palette
  gif.insert(gif.end(), {0x21, 0xF9, 4, 0x01, 0, 0, 3, 0});                  // colour 3 is transparent
  gif.insert(gif.end(), {0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0, 2});               // image, 2-bit codes
  // 3-bit codes, least significant bit first: clear (4) before each pixel
  // keeps the code size, then end (5).
  const int codes[] = {4, 0, 4, 1, 4, 2, 4, 3, 5};
  Bytes data;
  unsigned bits = 0, count = 0;
  for (int c : codes) {
    bits |= static_cast<unsigned>(c) << count;
    count += 3;
    while (count >= 8) {
      data.push_back(static_cast<uint8_t>(bits));
      bits >>= 8;
      count -= 8;
    }
  }
  if (count) data.push_back(static_cast<uint8_t>(bits));
  gif.push_back(static_cast<uint8_t>(data.size()));
  gif.insert(gif.end(), data.begin(), data.end());
  gif.insert(gif.end(), {0, 0x3B});
  return gif;
}

std::vector<uint32_t> ReferencePixels(const Bytes& Encoded, const Bytes& Alpha) {
  int w = 0, h = 0, comp = 0;
  stbi_uc* rgba = stbi_load_from_memory(Encoded.data(), static_cast<int>(Encoded.size()), &w, &h, &comp, 4);
  if (!rgba) return {};
  std::vector<uint32_t> out;
  for (size_t i = 0; i < size_t(w) * size_t(h); ++i) {
    const uint32_t a = Alpha.empty() ? rgba[i * 4 + 3] : Alpha[i];
    auto pm = [a](uint32_t C) { return (C * a + 127) / 255; };
    out.push_back(a << 24 | pm(rgba[i * 4]) << 16 | pm(rgba[i * 4 + 1]) << 8 | pm(rgba[i * 4 + 2]));
  }
  stbi_image_free(rgba);
  return out;
}

}  // namespace swftest
