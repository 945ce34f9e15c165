#pragma once
// Writing fonts (DefineFont2, or DefineFont3 for a font with a 20480 em
// square) and static text (DefineText, or DefineText2 when a colour is
// translucent).

#include <cstdint>

#include "renderers/engine/model.h"
#include "renderers/engine/src/writer/bit_writer.h"

namespace swf::writer {

void WriteFont(BitWriter& Out, uint16_t Id, const Font& F);
void WriteStaticText(BitWriter& Out, uint16_t Id, const StaticText& T);

}  // namespace swf::writer
