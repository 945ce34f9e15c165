#pragma once
// Device fonts on Windows: the system's fonts outlined by GDI for the
// engine, shared by the plug-in module and the control.

#include <memory>

#include "renderers/engine/fonts.h"

namespace swfwin {

// "_sans", "_serif" and "_typewriter" are Arial, Times New Roman and Courier
// New; other faces are asked for by name and GDI picks the nearest font.
// Fonts and glyphs are kept once made. Never throws.
std::unique_ptr<swf::FontService> MakeGdiFontService();

}  // namespace swfwin
