#pragma once
// The bitmap a JPEG, PNG or GIF file gives, decoded as a movie holding the
// file decodes it.

#include <cstdint>
#include <optional>
#include <vector>

#include "renderers/engine/model.h"

namespace swfc {

// Nothing when the file is no image the engine decodes.
std::optional<swf::Bitmap> ImageFileBitmap(const std::vector<uint8_t>& File);

}  // namespace swfc
