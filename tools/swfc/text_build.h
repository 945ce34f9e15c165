#pragma once
// Fonts and static text for movie descriptions: a font built from a
// TrueType file or from hand-made glyphs, and a run of text laid out in a
// font by its advances and kerning. Portable.

#include <cstdint>
#include <string>
#include <vector>

#include "renderers/engine/model.h"

namespace swfc {

// The em square of the fonts swfc writes (DefineFont3).
inline constexpr double kFontEm = 20480;

// A DefineFont3 font of the TrueType file at Path holding the glyphs of
// Chars (UTF-8) that the file has, with its layout and kerning. Throws
// std::runtime_error with a plain message when the file is not a font.
swf::Font FontFromFile(const std::string& Path, const std::string& Chars);

// Decodes UTF-8 (invalid bytes become U+FFFD); code points above U+FFFF are
// kept, for the caller to refuse.
std::u32string DecodeUtf8(const std::string& Text);

// Adds the hand-made glyph's advance, bounds and kerning-free layout; the
// glyph's outline is already in F's em square.
void FinishHandFont(swf::Font& F);

// The glyphs of Text in F at Height twips from (X, Y) in Color: glyph
// indexes by code and advances (twips) from the font's layout and kerning.
// Throws std::runtime_error naming a character the font has no glyph for.
swf::TextRun LayOutRun(const swf::Font& F, uint16_t FontId, double Height, swf::RGBA Color, const std::u32string& Text,
                       double X, double Y);

// The bounds of Run's glyphs (twips), for the text's bounds.
swf::Rect RunBounds(const swf::Font& F, const swf::TextRun& Run);

}  // namespace swfc
