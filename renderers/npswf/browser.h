#pragma once
// The browser's function table as NP_Initialize handed it over, and the few
// browser functions the module calls. Each wrapper does nothing (or answers
// the failure value) when the table or its entry is missing.

#include <cstdint>
#include <string_view>

#include "renderers/npapi/npapi.h"

namespace npswf::browser {

// Keeps Table (null forgets it). False when the table is too small for the
// entries the module calls.
bool Attach(const NPNetscapeFuncs* Table);
bool Attached();

void* MemAlloc(uint32_t Size);
// Text in a block from MemAlloc, zero-terminated, for the browser to free.
char* MemDup(std::string_view Text);
void InvalidateRect(NPP Instance, NPRect* Rect);
NPError GetURLNotify(NPP Instance, const char* Url, void* NotifyData);
// The page's window object (retained for the caller), or null.
NPObject* WindowObject(NPP Instance);
NPIdentifier StringIdentifier(const char* Name);
void ReleaseObject(NPObject* Object);
bool Invoke(NPP Instance, NPObject* Object, NPIdentifier Method, const NPVariant* Args, uint32_t Count,
            NPVariant* Result);
bool Evaluate(NPP Instance, NPObject* Object, NPString* Script, NPVariant* Result);

}  // namespace npswf::browser
