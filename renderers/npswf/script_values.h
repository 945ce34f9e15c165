#pragma once
// Reading the arguments of a scripting call and building its results.
// Strings in variants are 8-bit ANSI text; the engine's are UTF-8.

#include <cstdint>
#include <string>

#include "renderers/npapi/npapi.h"

namespace npswf {

// Int32, a finite Double (truncated, clamped), a Bool, or a String holding a
// number; anything else is Fallback.
int32_t VariantToInt(const NPVariant& V, int32_t Fallback = 0);
// A String's text (as UTF-8), a number in decimal, true/false; else "".
std::string VariantToText(const NPVariant& V);
// A Bool, a non-zero number, or the text "true"/"1".
bool VariantToBool(const NPVariant& V);

void SetVoid(NPVariant* Result);
void SetBool(NPVariant* Result, bool Value);
void SetInt(NPVariant* Result, int32_t Value);
// Utf8 as ANSI text in a block from NPN_MemAlloc (the browser may free it);
// void when no block can be had.
void SetText(NPVariant* Result, const std::string& Utf8);

}  // namespace npswf
