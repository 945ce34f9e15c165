#pragma once
// The HTML subset text fields show: <p align>, <br>, <b>, <i>, <u>,
// <font face size color letterspacing>, <a href>, <textformat leftmargin rightmargin indent
// leading> and the common entities, into formatted spans. Tolerant: unknown
// tags are ignored, a stray '<' or '&' is shown as text, and nesting deeper
// than kMaxHtmlDepth keeps the format it has. Portable.

#include <cstddef>
#include <string>
#include <vector>

#include "renderers/engine/src/text/text_layout.h"

namespace swf::detail {

inline constexpr size_t kMaxHtmlDepth = 64;

// Base and BasePara: the field's own format, which the markup changes.
// KeepLastBreak keeps the line break that ends the last paragraph (a
// multi-line field's text has it).
std::vector<TextSpan> ParseHtmlText(const std::string& Html, const CharFormat& Base, const ParaFormat& BasePara,
                                    bool KeepLastBreak = false);

}  // namespace swf::detail
