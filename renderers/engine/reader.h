#pragma once
// Loading a SWF movie (FWS, or zlib-compressed CWS) from bytes. Portable.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "renderers/engine/model.h"

namespace swf {

// Limits that keep hostile input from exhausting memory or time.
struct LoadLimits {
  size_t maxUncompressedBytes = 64u << 20;  // whole movie after inflating
  size_t maxBitmapPixels = 16u << 20;       // one bitmap
  size_t maxTotalBitmapPixels = 64u << 20;  // all bitmaps together
  uint32_t maxSpriteNesting = 32;           // sprites inside sprites (cycles are refused)
  uint32_t maxEdgesPerShape = 1u << 20;
  uint32_t maxFrames = 16000;               // per timeline
};

// Throws FormatError naming what is wrong and at which offset.
std::shared_ptr<const Movie> LoadMovie(const uint8_t* Data, size_t Size, const LoadLimits& Limits = {});

}  // namespace swf
