// The browser functions the module calls, through the table it was given.
#include "renderers/npswf/browser.h"

#include <cstddef>
#include <cstring>

namespace npswf::browser {
namespace {

const NPNetscapeFuncs* g_table = nullptr;

// The table must reach the last entry the module calls.
constexpr size_t kNeededSize = offsetof(NPNetscapeFuncs, evaluate) + sizeof(NPN_EvaluateProcPtr);

}  // namespace

bool Attach(const NPNetscapeFuncs* Table) {
  if (Table && Table->size < kNeededSize) Table = nullptr;
  g_table = Table;
  return g_table != nullptr;
}

bool Attached() { return g_table != nullptr; }

void* MemAlloc(uint32_t Size) { return g_table && g_table->memalloc ? g_table->memalloc(Size) : nullptr; }

char* MemDup(std::string_view Text) {
  if (Text.size() >= UINT32_MAX) return nullptr;
  char* block = static_cast<char*>(MemAlloc(static_cast<uint32_t>(Text.size() + 1)));
  if (!block) return nullptr;
  if (!Text.empty()) std::memcpy(block, Text.data(), Text.size());
  block[Text.size()] = '\0';
  return block;
}

void InvalidateRect(NPP Instance, NPRect* Rect) {
  if (g_table && g_table->invalidaterect) g_table->invalidaterect(Instance, Rect);
}

NPError GetURLNotify(NPP Instance, const char* Url, void* NotifyData) {
  if (!g_table || !g_table->geturlnotify) return NPERR_GENERIC_ERROR;
  return g_table->geturlnotify(Instance, Url, nullptr, NotifyData);
}

NPObject* WindowObject(NPP Instance) {
  if (!g_table || !g_table->getvalue) return nullptr;
  NPObject* window = nullptr;
  if (g_table->getvalue(Instance, NPNVWindowNPObject, &window) != NPERR_NO_ERROR) return nullptr;
  return window;
}

NPIdentifier StringIdentifier(const char* Name) {
  return g_table && g_table->getstringidentifier ? g_table->getstringidentifier(Name) : nullptr;
}

void ReleaseObject(NPObject* Object) {
  if (Object && g_table && g_table->releaseobject) g_table->releaseobject(Object);
}

bool Invoke(NPP Instance, NPObject* Object, NPIdentifier Method, const NPVariant* Args, uint32_t Count,
            NPVariant* Result) {
  return g_table && g_table->invoke && g_table->invoke(Instance, Object, Method, Args, Count, Result);
}

bool Evaluate(NPP Instance, NPObject* Object, NPString* Script, NPVariant* Result) {
  return g_table && g_table->evaluate && g_table->evaluate(Instance, Object, Script, Result);
}

}  // namespace npswf::browser
