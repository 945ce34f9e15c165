#pragma once
// The body of a DefineEditText tag for a text field.

#include <cstdint>
#include <vector>

#include "renderers/engine/model.h"

namespace swf::writer {

// Version: the movie's; before 6 the text is stored as Latin-1 (a character
// beyond it as '?').
std::vector<uint8_t> EditTextBody(uint16_t Id, const EditText& E, uint8_t Version);

}  // namespace swf::writer
