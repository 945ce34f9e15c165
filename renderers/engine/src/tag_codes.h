#pragma once
// The tag codes of the format that the reader and the writer know.

#include <cstdint>

namespace swf {

enum TagCode : uint16_t {
  kEnd = 0,
  kShowFrame = 1,
  kDefineShape = 2,
  kPlaceObject = 4,
  kRemoveObject = 5,
  kDefineButton = 7,
  kSetBackgroundColor = 9,
  kDoAction = 12,
  kDefineBitsLossless = 20,
  kDefineShape2 = 22,
  kPlaceObject2 = 26,
  kRemoveObject2 = 28,
  kDefineShape3 = 32,
  kDefineButton2 = 34,
  kDefineBitsLossless2 = 36,
  kDefineSprite = 39,
  kFrameLabel = 43,
  kPlaceObject3 = 70,
  kDefineShape4 = 83,
};

}  // namespace swf
