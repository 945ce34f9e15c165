// A plug-in module for the stream benchmark that only counts what it is
// given: its scriptable object's "LoadMovie" requests the URL, and every
// NPP_Write adds its length to a total the benchmark reads.
#include <windows.h>

#include <cstdint>
#include <string>

#include "renderers/npapi/npapi.h"

#define COUNT_EXPORT extern "C" __declspec(dllexport)

namespace {

NPNetscapeFuncs* g_browser = nullptr;
uint64_t g_bytes = 0;
int g_writes = 0;

struct Script : NPObject {
  NPP npp = nullptr;
};

NPObject* Allocate(NPP, NPClass*) { return new Script(); }
void Deallocate(NPObject* o) { delete static_cast<Script*>(o); }

bool Invoke(NPObject* o, NPIdentifier name, const NPVariant* args, uint32_t count, NPVariant* result) {
  if (result) result->type = NPVariantType_Void;
  if (std::string(static_cast<const char*>(name)) == "LoadMovie" && count == 2 &&
      args[1].type == NPVariantType_String) {
    const std::string url(args[1].value.stringValue.UTF8Characters, args[1].value.stringValue.UTF8Length);
    g_browser->geturlnotify(static_cast<Script*>(o)->npp, url.c_str(), nullptr, nullptr);
  }
  return true;
}

NPClass g_class = {NP_CLASS_STRUCT_VERSION, Allocate, Deallocate, nullptr, nullptr, Invoke, nullptr,
                   nullptr,                 nullptr,  nullptr,    nullptr, nullptr, nullptr};

NPError New(NPMIMEType, NPP, uint16_t, int16_t, char*[], char*[], NPSavedData*) { return NPERR_NO_ERROR; }
NPError Destroy(NPP npp, NPSavedData**) {
  if (npp->pdata) g_browser->releaseobject(static_cast<NPObject*>(npp->pdata));
  npp->pdata = nullptr;
  return NPERR_NO_ERROR;
}
NPError SetWindow(NPP, NPWindow*) { return NPERR_NO_ERROR; }
NPError NewStream(NPP, NPMIMEType, NPStream*, NPBool, uint16_t*) { return NPERR_NO_ERROR; }
NPError DestroyStream(NPP, NPStream*, NPReason) { return NPERR_NO_ERROR; }
int32_t Write(NPP, NPStream*, int32_t, int32_t len, void* buffer) {
  // Touch the data once, as a module reading it would.
  volatile uint8_t sink = len > 0 ? static_cast<uint8_t*>(buffer)[len - 1] : 0;
  (void)sink;
  g_bytes += static_cast<uint64_t>(len);
  ++g_writes;
  return len;
}
int16_t HandleEvent(NPP, void*) { return 1; }
void UrlNotify(NPP, const char*, NPReason, void*) {}
NPError GetValue(NPP npp, NPPVariable variable, void* value) {
  if (variable != NPPVpluginScriptableNPObject) return NPERR_GENERIC_ERROR;
  auto* o = static_cast<Script*>(g_browser->createobject(npp, &g_class));
  o->npp = npp;
  npp->pdata = g_browser->retainobject(o);
  *static_cast<NPObject**>(value) = o;
  return NPERR_NO_ERROR;
}

}  // namespace

COUNT_EXPORT NPError NP_GetEntryPoints(NPPluginFuncs* f) {
  f->size = sizeof(NPPluginFuncs);
  f->newp = New;
  f->destroy = Destroy;
  f->setwindow = SetWindow;
  f->newstream = NewStream;
  f->destroystream = DestroyStream;
  f->write = Write;
  f->event = HandleEvent;
  f->urlnotify = UrlNotify;
  f->getvalue = GetValue;
  return NPERR_NO_ERROR;
}
COUNT_EXPORT NPError NP_Initialize(NPNetscapeFuncs* b) {
  g_browser = b;
  return NPERR_NO_ERROR;
}
COUNT_EXPORT NPError NP_Shutdown() { return NPERR_NO_ERROR; }
COUNT_EXPORT uint64_t CountNp_Bytes() { return g_bytes; }
COUNT_EXPORT int CountNp_Writes() { return g_writes; }
