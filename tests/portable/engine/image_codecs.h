#pragma once
// Small images encoded on the fly (JPEG and PNG with stb_image_write, GIF by
// hand) and a reference decoder (stb_image) for the pixels they should give.

#include <cstdint>
#include <vector>

namespace swftest {

using Bytes = std::vector<uint8_t>;

// W x H straight RGBA bytes in a pattern of colours and alphas that differs
// from pixel to pixel.
Bytes TestPattern(int W, int H);
Bytes EncodeJpeg(int W, int H, const Bytes& Rgba);  // baseline, alpha dropped
Bytes EncodePng(int W, int H, const Bytes& Rgba);
// A 2x2 GIF89a of four palette colours, the last of them transparent.
Bytes TinyGif();

// Premultiplied 0xAARRGGBB pixels the reference decoder gives for Encoded,
// its alpha replaced by Alpha when that is not empty; empty if it does not
// decode.
std::vector<uint32_t> ReferencePixels(const Bytes& Encoded, const Bytes& Alpha = {});

}  // namespace swftest
