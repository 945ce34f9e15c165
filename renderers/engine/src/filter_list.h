#pragma once
// The filter list a button record (or a placement) may carry. The engine
// does not draw filters; it only needs the list's length to step over it,
// and to check a list it is asked to write back.

#include <cstddef>
#include <cstdint>

namespace swf::detail {

// The length in bytes of the well-formed filter list (count byte, then the
// filters) at the start of Data..Data+Size; 0 when it is cut short or names
// a filter kind the format does not have.
size_t FilterListSize(const uint8_t* Data, size_t Size);

}  // namespace swf::detail
