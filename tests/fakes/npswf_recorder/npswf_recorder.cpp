// The recording plug-in module. Every NPP_* entry, the module exports and the
// scriptable object's methods append one line to a log; FakeNp_* exports let
// a test read the log, set behaviours and make the module call the browser.
//
// Behaviours (FakeNp_Set key, value):
//   script=none            NPP_GetValue answers no scriptable object
//   answer.<Method>=T:V    invoke answers int:5, double:2.5, bool:1 or str:text
//   fail.<Method>=1        invoke returns false
//   throw.<Method>=N       invoke throws the next N times
//   request=0              invoke "LoadMovie" does not request its URL
//   newstream=N            NPP_NewStream returns error N
//   paint=AARRGGBB         WM_PAINT composites this premultiplied pixel over
//                          the device context's DIB inside its clip box
//   reenter=l,t,r,b        the next WM_PAINT calls NPN_InvalidateRect once
// The hook (FakeNp_SetHook) runs after each logged NPP call with its name; it
// may destroy the instance's driver: the module then touches nothing of it.
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "renderers/npapi/npapi.h"

#define FAKE_EXPORT extern "C" __declspec(dllexport)

namespace {

using Hook = void (*)(const char* event, void* context);

struct Instance {
  NPP npp = nullptr;
  bool destroyed = false;
  NPObject* script = nullptr;
};

struct ScriptObject : NPObject {
  Instance* owner = nullptr;
};

std::string g_log;
std::map<std::string, std::string> g_settings;
NPNetscapeFuncs* g_browser = nullptr;
Instance* g_last = nullptr;
Hook g_hook = nullptr;
void* g_hookContext = nullptr;
// Instances stay allocated until the module shuts down, so a call whose
// instance was destroyed inside the hook can still ask.
std::vector<std::unique_ptr<Instance>> g_instances;
std::string g_answer;
std::string g_evaluated;

void Log(const char* format, ...) {
  char line[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  g_log += line;
  g_log += '\n';
}

std::string Setting(const std::string& key) {
  const auto it = g_settings.find(key);
  return it == g_settings.end() ? std::string() : it->second;
}

unsigned long long Hex(const void* p) { return reinterpret_cast<uintptr_t>(p); }

// Runs the test's hook; false when the instance is gone afterwards.
bool RunHook(const char* event, Instance* instance) {
  if (g_hook) g_hook(event, g_hookContext);
  return !instance || !instance->destroyed;
}

Instance* Of(NPP npp) { return npp ? static_cast<Instance*>(npp->pdata) : nullptr; }

std::string VariantText(const NPVariant& v) {
  char buffer[64];
  switch (v.type) {
    case NPVariantType_Void:
      return "void";
    case NPVariantType_Null:
      return "null";
    case NPVariantType_Bool:
      return v.value.boolValue ? "bool:1" : "bool:0";
    case NPVariantType_Int32:
      std::snprintf(buffer, sizeof buffer, "int:%d", v.value.intValue);
      return buffer;
    case NPVariantType_Double:
      std::snprintf(buffer, sizeof buffer, "double:%g", v.value.doubleValue);
      return buffer;
    case NPVariantType_String:
      return "str:" + std::string(v.value.stringValue.UTF8Characters, v.value.stringValue.UTF8Length);
    case NPVariantType_Object:
      return "object";
  }
  return "?";
}

void SetAnswer(const std::string& text, NPVariant* result) {
  const size_t colon = text.find(':');
  const std::string kind = text.substr(0, colon);
  const std::string value = colon == std::string::npos ? std::string() : text.substr(colon + 1);
  if (kind == "int") {
    result->type = NPVariantType_Int32;
    result->value.intValue = std::atoi(value.c_str());
  } else if (kind == "double") {
    result->type = NPVariantType_Double;
    result->value.doubleValue = std::atof(value.c_str());
  } else if (kind == "bool") {
    result->type = NPVariantType_Bool;
    result->value.boolValue = value == "1";
  } else if (kind == "str") {
    g_answer = value;
    result->type = NPVariantType_String;
    result->value.stringValue = NPString{g_answer.c_str(), static_cast<uint32_t>(g_answer.size())};
  }
}

// ---- the scriptable object ----

NPObject* ScriptAllocate(NPP, NPClass*) { return new ScriptObject(); }
void ScriptDeallocate(NPObject* object) {
  Log("script deallocate");
  delete static_cast<ScriptObject*>(object);
}

bool ScriptInvoke(NPObject* object, NPIdentifier name, const NPVariant* args, uint32_t count,
                  NPVariant* result) {
  const std::string method = static_cast<const char*>(name);
  std::string line = "invoke " + method;
  for (uint32_t i = 0; i < count; ++i) line += " " + VariantText(args[i]);
  Log("%s", line.c_str());
  Instance* owner = static_cast<ScriptObject*>(object)->owner;
  if (!RunHook(("invoke " + method).c_str(), owner)) return true;
  const std::string throws = Setting("throw." + method);
  if (!throws.empty() && std::atoi(throws.c_str()) > 0) {
    g_settings["throw." + method] = std::to_string(std::atoi(throws.c_str()) - 1);
    throw std::runtime_error("invoke " + method + " failed");
  }
  if (method == "LoadMovie" && Setting("request") != "0" && count == 2 &&
      args[1].type == NPVariantType_String) {
    const std::string url(args[1].value.stringValue.UTF8Characters, args[1].value.stringValue.UTF8Length);
    const NPError e =
        g_browser->geturlnotify(owner->npp, url.c_str(), nullptr, reinterpret_cast<void*>(0x1234));
    if (owner->destroyed) return true;
    Log("geturlnotify -> %d", e);
  }
  if (Setting("fail." + method) == "1") return false;
  SetAnswer(Setting("answer." + method), result);
  return true;
}

bool ScriptSetProperty(NPObject*, NPIdentifier name, const NPVariant* value) {
  Log("setProperty %s %s", static_cast<const char*>(name), VariantText(*value).c_str());
  return true;
}

NPClass g_scriptClass = {NP_CLASS_STRUCT_VERSION,
                         ScriptAllocate,
                         ScriptDeallocate,
                         nullptr,
                         nullptr,
                         ScriptInvoke,
                         nullptr,
                         nullptr,
                         nullptr,
                         ScriptSetProperty,
                         nullptr,
                         nullptr,
                         nullptr};

// ---- painting ----

uint8_t Over(uint32_t src, uint32_t dst, int shift, uint32_t alpha) {
  const uint32_t s = (src >> shift) & 0xFF;
  const uint32_t d = (dst >> shift) & 0xFF;
  return static_cast<uint8_t>(s + (d * (255 - alpha) + 127) / 255);
}

void Composite(HDC dc, const RECT& clip, uint32_t pixel) {
  DIBSECTION dib{};
  HGDIOBJ bitmap = GetCurrentObject(dc, OBJ_BITMAP);
  if (!bitmap || GetObjectW(bitmap, sizeof dib, &dib) != sizeof dib || !dib.dsBm.bmBits) return;
  const int width = dib.dsBm.bmWidth;
  const int height = dib.dsBm.bmHeight;
  auto* bits = static_cast<uint32_t*>(dib.dsBm.bmBits);
  const uint32_t a = pixel >> 24;
  for (int y = std::max<int>(clip.top, 0); y < std::min<int>(clip.bottom, height); ++y)
    for (int x = std::max<int>(clip.left, 0); x < std::min<int>(clip.right, width); ++x) {
      uint32_t& d = bits[y * width + x];
      d = (uint32_t{Over(pixel, d, 24, a)} << 24) | (uint32_t{Over(pixel, d, 16, a)} << 16) |
          (uint32_t{Over(pixel, d, 8, a)} << 8) | Over(pixel, d, 0, a);
    }
}

// ---- NPP entries ----

NPError NppNew(NPMIMEType type, NPP npp, uint16_t mode, int16_t argc, char* argn[], char* argv[],
               NPSavedData*) {
  std::string line =
      std::string("NPP_New ") + type + " mode=" + std::to_string(mode) + " argc=" + std::to_string(argc);
  for (int i = 0; i < argc; ++i) line += std::string(" ") + argn[i] + "=" + argv[i];
  Log("%s", line.c_str());
  auto instance = std::make_unique<Instance>();
  instance->npp = npp;
  npp->pdata = instance.get();
  g_last = instance.get();
  g_instances.push_back(std::move(instance));
  RunHook("NPP_New", g_last);
  return NPERR_NO_ERROR;
}

NPError NppDestroy(NPP npp, NPSavedData**) {
  Log("NPP_Destroy");
  Instance* instance = Of(npp);
  if (!instance) return NPERR_INVALID_INSTANCE_ERROR;
  instance->destroyed = true;
  npp->pdata = nullptr;
  if (g_last == instance) g_last = nullptr;
  if (instance->script) g_browser->releaseobject(instance->script);
  instance->script = nullptr;
  return NPERR_NO_ERROR;
}

NPError NppSetWindow(NPP npp, NPWindow* w) {
  Log("NPP_SetWindow dc=%llx %ux%u type=%d x=%d y=%d clip=%u,%u,%u,%u", Hex(w->window), w->width, w->height,
      static_cast<int>(w->type), w->x, w->y, w->clipRect.left, w->clipRect.top, w->clipRect.right,
      w->clipRect.bottom);
  RunHook("NPP_SetWindow", Of(npp));
  return NPERR_NO_ERROR;
}

NPError NppNewStream(NPP npp, NPMIMEType type, NPStream* stream, NPBool seekable, uint16_t* stype) {
  Log("NPP_NewStream %s url=%s end=%u seekable=%d stype=%d notify=%llx", type, stream->url, stream->end,
      seekable, *stype, Hex(stream->notifyData));
  if (!RunHook("NPP_NewStream", Of(npp))) return NPERR_NO_ERROR;
  const std::string error = Setting("newstream");
  return error.empty() ? NPERR_NO_ERROR : static_cast<NPError>(std::atoi(error.c_str()));
}

int32_t NppWrite(NPP npp, NPStream* stream, int32_t offset, int32_t len, void* buffer) {
  const std::string data(static_cast<const char*>(buffer), static_cast<size_t>(std::min(len, 24)));
  Log("NPP_Write url=%s offset=%d len=%d data=%s", stream->url, offset, len, data.c_str());
  RunHook("NPP_Write", Of(npp));
  return len;
}

void NppURLNotify(NPP npp, const char* url, NPReason reason, void* notify) {
  Log("NPP_URLNotify url=%s reason=%d notify=%llx", url, reason, Hex(notify));
  RunHook("NPP_URLNotify", Of(npp));
}

NPError NppDestroyStream(NPP npp, NPStream* stream, NPReason reason) {
  Log("NPP_DestroyStream url=%s reason=%d", stream->url, reason);
  RunHook("NPP_DestroyStream", Of(npp));
  return NPERR_NO_ERROR;
}

int16_t NppHandleEvent(NPP npp, void* event) {
  const NPEvent* e = static_cast<const NPEvent*>(event);
  Instance* instance = Of(npp);
  if (e->event != WM_PAINT) {
    Log("NPP_HandleEvent 0x%x w=0x%llx l=0x%llx", e->event, static_cast<unsigned long long>(e->wParam),
        static_cast<unsigned long long>(e->lParam));
    RunHook("NPP_HandleEvent", instance);
    return 1;
  }
  HDC dc = reinterpret_cast<HDC>(e->wParam);
  const RECT* area = reinterpret_cast<const RECT*>(e->lParam);
  RECT clip{};
  GetClipBox(dc, &clip);
  Log("WM_PAINT dc=%llx rect=%ld,%ld,%ld,%ld clip=%ld,%ld,%ld,%ld", Hex(dc), area->left, area->top,
      area->right, area->bottom, clip.left, clip.top, clip.right, clip.bottom);
  if (!RunHook("WM_PAINT", instance)) return 1;
  const std::string reenter = Setting("reenter");
  if (!reenter.empty()) {
    g_settings.erase("reenter");
    int l = 0, t = 0, r = 0, b = 0;
    std::sscanf(reenter.c_str(), "%d,%d,%d,%d", &l, &t, &r, &b);
    NPRect rect{static_cast<uint16_t>(t), static_cast<uint16_t>(l), static_cast<uint16_t>(b),
                static_cast<uint16_t>(r)};
    Log("reenter");
    g_browser->invalidaterect(npp, &rect);
    if (instance && instance->destroyed) return 1;
    Log("reenter done");
  }
  const std::string paint = Setting("paint");
  if (!paint.empty()) Composite(dc, clip, static_cast<uint32_t>(std::strtoul(paint.c_str(), nullptr, 16)));
  return 1;
}

NPError NppGetValue(NPP npp, NPPVariable variable, void* value) {
  Log("NPP_GetValue %d", static_cast<int>(variable));
  Instance* instance = Of(npp);
  if (variable != NPPVpluginScriptableNPObject || !instance) return NPERR_GENERIC_ERROR;
  if (Setting("script") == "none") {
    *static_cast<NPObject**>(value) = nullptr;
    return NPERR_GENERIC_ERROR;
  }
  auto* object = static_cast<ScriptObject*>(g_browser->createobject(npp, &g_scriptClass));
  object->owner = instance;
  instance->script = object;
  *static_cast<NPObject**>(value) = object;
  return NPERR_NO_ERROR;
}

}  // namespace

// ---- module exports ----

// The entry table; exported as NP_GetEntryPoints except in the build
// without it.
NPError FillEntryPoints(NPPluginFuncs* f) {
  Log("NP_GetEntryPoints size=%u", f->size);
  f->size = sizeof(NPPluginFuncs);
  f->version = (NP_VERSION_MAJOR << 8) | NP_VERSION_MINOR;
  f->newp = NppNew;
  f->destroy = NppDestroy;
  f->setwindow = NppSetWindow;
  f->newstream = NppNewStream;
  f->destroystream = NppDestroyStream;
  f->write = NppWrite;
  f->event = NppHandleEvent;
  f->urlnotify = NppURLNotify;
  f->getvalue = NppGetValue;
  return NPERR_NO_ERROR;
}

#ifndef FAKE_NO_ENTRY_POINTS
FAKE_EXPORT NPError NP_GetEntryPoints(NPPluginFuncs* f) { return FillEntryPoints(f); }
#endif

FAKE_EXPORT NPError NP_Initialize(NPNetscapeFuncs* browser) {
  Log("NP_Initialize size=%u version=%u", browser->size, browser->version);
  g_browser = browser;
  return NPERR_NO_ERROR;
}

FAKE_EXPORT NPError NP_Shutdown() {
  Log("NP_Shutdown");
  g_instances.clear();
  g_last = nullptr;
  return NPERR_NO_ERROR;
}

FAKE_EXPORT void Flash_DisableLocalSecurity() { Log("Flash_DisableLocalSecurity"); }

// ---- for tests ----

FAKE_EXPORT const char* FakeNp_Log() { return g_log.c_str(); }

FAKE_EXPORT void FakeNp_Clear() {
  g_log.clear();
  g_settings.clear();
  g_hook = nullptr;
  g_hookContext = nullptr;
}

FAKE_EXPORT void FakeNp_ClearLog() { g_log.clear(); }

FAKE_EXPORT void FakeNp_Set(const char* key, const char* value) {
  if (value)
    g_settings[key] = value;
  else
    g_settings.erase(key);
}

FAKE_EXPORT void FakeNp_SetHook(Hook hook, void* context) {
  g_hook = hook;
  g_hookContext = context;
}

FAKE_EXPORT const NPNetscapeFuncs* FakeNp_Browser() { return g_browser; }

// NPN_InvalidateRect on the newest instance.
FAKE_EXPORT void FakeNp_Invalidate(int left, int top, int right, int bottom) {
  if (!g_last) return;
  NPRect r{static_cast<uint16_t>(top), static_cast<uint16_t>(left), static_cast<uint16_t>(bottom),
           static_cast<uint16_t>(right)};
  g_browser->invalidaterect(g_last->npp, &r);
}

// NPN_Invoke on the window object with up to two string arguments; the
// result is logged.
FAKE_EXPORT bool FakeNp_Invoke(const char* method, int argc, const char* a1, const char* a2) {
  if (!g_last) return false;
  NPObject* window = nullptr;
  g_browser->getvalue(g_last->npp, NPNVWindowNPObject, &window);
  NPVariant args[2]{};
  const char* texts[2] = {a1, a2};
  for (int i = 0; i < 2; ++i) {
    args[i].type = NPVariantType_String;
    args[i].value.stringValue =
        NPString{texts[i] ? texts[i] : "", texts[i] ? uint32_t(std::strlen(texts[i])) : 0};
  }
  NPVariant result{};
  result.type = NPVariantType_Null;
  const bool ok = g_browser->invoke(g_last->npp, window, g_browser->getstringidentifier(method), args,
                                    static_cast<uint32_t>(argc), &result);
  Log("invoke result %d %s", ok, VariantText(result).c_str());
  return ok;
}

// NPN_Evaluate with a script; the answer text (copied) or "(none)" when the
// result is no string.
FAKE_EXPORT const char* FakeNp_Evaluate(const char* script) {
  if (!g_last) return "(no instance)";
  NPObject* window = nullptr;
  NPP npp = g_last->npp;
  g_browser->getvalue(npp, NPNVWindowNPObject, &window);
  NPString text{script, static_cast<uint32_t>(std::strlen(script))};
  NPVariant result{};
  g_browser->evaluate(npp, window, script ? &text : nullptr, &result);
  g_evaluated = result.type == NPVariantType_String ? std::string(result.value.stringValue.UTF8Characters,
                                                                  result.value.stringValue.UTF8Length)
                                                    : "(none)";
  return g_evaluated.c_str();
}

FAKE_EXPORT int FakeNp_GetURLNotify(const char* url, const char* target) {
  if (!g_last) return -1;
  return g_browser->geturlnotify(g_last->npp, url, target, reinterpret_cast<void*>(0x99));
}
