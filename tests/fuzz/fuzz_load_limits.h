#pragma once
// The load limits fuzz targets use: small enough that every input loads,
// renders and plays in a few milliseconds.
#include "renderers/engine/reader.h"

inline swf::LoadLimits FuzzLoadLimits() {
  swf::LoadLimits limits;
  limits.maxUncompressedBytes = 1u << 20;
  limits.maxBitmapPixels = 64u << 10;
  limits.maxTotalBitmapPixels = 256u << 10;
  limits.maxSpriteNesting = 8;
  limits.maxEdgesPerShape = 10000;
  limits.maxFrames = 64;
  return limits;
}
