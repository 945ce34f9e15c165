#pragma once
// Decoding a complete JPEG, PNG or GIF file held in memory (stb_image), with
// every allocation the decoder makes bounded by the size of the image it
// declares, so that hostile data cannot make it take more.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace swf::detail {

struct ImageSize {
  uint32_t width = 0, height = 0;
};

// The size the image's header declares, or nothing when the data is no image
// the decoder knows.
std::optional<ImageSize> ProbeImage(const uint8_t* Data, size_t Size);

struct DecodedImage {
  uint32_t width = 0, height = 0;
  std::vector<uint8_t> rgba;  // 4 bytes a pixel, straight (not premultiplied) alpha
};

// Nothing when the data does not decode.
std::optional<DecodedImage> DecodeImage(const uint8_t* Data, size_t Size);

}  // namespace swf::detail
