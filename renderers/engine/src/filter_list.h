#pragma once
// The filter list a button record (or a placement) may carry: its length,
// to step over it and to check a list it is asked to write back; and the
// blend mode byte that goes with it.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "renderers/engine/model.h"

namespace swf::detail {

// The length in bytes of the well-formed filter list (count byte, then the
// filters) at the start of Data..Data+Size; 0 when it is cut short or names
// a filter kind the format does not have.
size_t FilterListSize(const uint8_t* Data, size_t Size);

// The filters of a well-formed filter list (see FilterListSize); none for
// one that is not.
std::vector<Filter> ParseFilterList(const std::vector<uint8_t>& Bytes);

// A blend mode byte; values the format does not name are Normal.
inline BlendMode BlendModeOf(uint8_t Byte) {
  return Byte >= 1 && Byte <= 14 ? static_cast<BlendMode>(Byte) : BlendMode::Normal;
}

}  // namespace swf::detail
