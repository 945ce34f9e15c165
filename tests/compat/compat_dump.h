#pragma once
// The canonical dump of a form read into objects (README.md next to this
// file describes it): what fpcform and cppform print for the same form.

#include <string>
#include <vector>

#include "framework/Classes.h"

namespace compat {

// Every component from Root down in stream order with its published and
// defined properties, then the "loaded:" line from Loaded (names in call
// order). Lines end with LF; the text is ASCII.
std::string DumpForm(vcl::TComponent* Root, const std::vector<std::wstring>& Loaded);

// A string value as the dump writes it: in double quotes, each UTF-16 code
// unit 0x20..0x7E as is (but " and \ escaped), any other as \uXXXX.
std::string QuoteWide(const std::wstring& Text);
// The same for 8-bit text, one byte per unit.
std::string QuoteBytes(const std::string& Text);

}  // namespace compat
