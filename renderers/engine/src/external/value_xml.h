#pragma once
// The XML value text, shared by the value codec and the invoke request.

#include <cstddef>
#include <string>

#include "renderers/engine/external.h"
#include "renderers/engine/src/external/xml_cursor.h"

namespace swf::detail {

// Reads one value element at the cursor (whitespace before it is skipped).
// Slots counts the array slots made so far in this text; holes in sparse
// arrays count too, and together they may not exceed the text's length, so a
// short text cannot ask for a huge array.
ExternalValue ReadXmlValue(XmlCursor& Cursor, size_t& Slots, size_t Depth = 0);

void AppendXmlValue(std::string& Out, const ExternalValue& Value, size_t Depth = 0);

// Escapes &, < and > (and with Attribute also ").
void AppendXmlEscaped(std::string& Out, std::string_view Text, bool Attribute);

}  // namespace swf::detail
