// The NPP_* entries: each finds its live instance (a destroyed or unknown one
// gets nothing done), holds a CallGuard while it works and catches everything.
#include "renderers/npswf/plugin_table.h"

#include <memory>

#include "renderers/npswf/browser.h"
#include "renderers/npswf/embed_args.h"
#include "renderers/npswf/frame_timer.h"
#include "renderers/npswf/instance.h"
#include "renderers/npswf/instance_registry.h"
#include "renderers/npswf/scriptable.h"

namespace npswf {
namespace {

constexpr int32_t kWriteReady = 0x0FFFFFFF;
const char kPluginName[] = "Shockwave Flash";
const char kPluginDescription[] = "Shockwave Flash stand-in playing movies with the vt_d7 engine";

NPError New(NPMIMEType, NPP Instance, uint16_t, int16_t Argc, char* Argn[], char* Argv[], NPSavedData*) {
  try {
    if (!Instance) return NPERR_INVALID_INSTANCE_ERROR;
    const EmbedArgs args = ParseEmbedArgs(Argc, Argn, Argv);
    Instance->pdata = AddInstance(std::make_unique<PluginInstance>(Instance, args));
    return NPERR_NO_ERROR;
  } catch (...) {
    if (Instance) Instance->pdata = nullptr;
    return NPERR_OUT_OF_MEMORY_ERROR;
  }
}

NPError Destroy(NPP Instance, NPSavedData** Save) {
  try {
    if (Save) *Save = nullptr;
    PluginInstance* i = FindInstance(Instance);
    if (!i) return NPERR_INVALID_INSTANCE_ERROR;
    Instance->pdata = nullptr;
    DestroyInstance(i);  // freed now, or when its outermost call returns
    return NPERR_NO_ERROR;
  } catch (...) {
    return NPERR_GENERIC_ERROR;
  }
}

NPError SetWindow(NPP Instance, NPWindow* Window) {
  try {
    PluginInstance* i = FindInstance(Instance);
    if (!i) return NPERR_INVALID_INSTANCE_ERROR;
    CallGuard guard(i);
    i->SetWindow(Window);
    return NPERR_NO_ERROR;
  } catch (...) {
    return NPERR_GENERIC_ERROR;
  }
}

NPError NewStream(NPP Instance, NPMIMEType, NPStream* Stream, NPBool, uint16_t* Type) {
  try {
    if (Type) *Type = NP_NORMAL;
    PluginInstance* i = FindInstance(Instance);
    if (!i) return NPERR_INVALID_INSTANCE_ERROR;
    if (!Stream) return NPERR_INVALID_PARAM;
    CallGuard guard(i);
    i->NewStream(Stream);
    return NPERR_NO_ERROR;
  } catch (...) {
    return NPERR_GENERIC_ERROR;
  }
}

NPError DestroyStream(NPP Instance, NPStream* Stream, NPReason Reason) {
  try {
    PluginInstance* i = FindInstance(Instance);
    if (!i) return NPERR_INVALID_INSTANCE_ERROR;
    if (!Stream) return NPERR_INVALID_PARAM;
    CallGuard guard(i);
    i->DestroyStream(Stream, Reason);
    return NPERR_NO_ERROR;
  } catch (...) {
    return NPERR_GENERIC_ERROR;
  }
}

void StreamAsFile(NPP, NPStream*, const char*) {}

int32_t WriteReady(NPP, NPStream*) { return kWriteReady; }

int32_t Write(NPP Instance, NPStream* Stream, int32_t, int32_t Len, void* Buffer) {
  try {
    PluginInstance* i = FindInstance(Instance);
    if (!i || !Stream) return -1;
    CallGuard guard(i);
    return i->Write(Stream, Len, Buffer);
  } catch (...) {
    return -1;
  }
}

void Print(NPP, NPPrint*) {}

int16_t HandleEvent(NPP Instance, void* Event) {
  try {
    PluginInstance* i = FindInstance(Instance);
    if (!i || !Event) return 0;
    CallGuard guard(i);
    return i->HandleEvent(*static_cast<const NPEvent*>(Event));
  } catch (...) {
    return 0;
  }
}

void UrlNotify(NPP Instance, const char*, NPReason Reason, void* NotifyData) {
  try {
    PluginInstance* i = FindInstance(Instance);
    if (!i) return;
    CallGuard guard(i);
    i->UrlNotify(Reason, NotifyData);
  } catch (...) {
  }
}

NPError GetValue(NPP Instance, NPPVariable Variable, void* Value) {
  try {
    if (!Value) return NPERR_INVALID_PARAM;
    switch (Variable) {
      case NPPVpluginNameString: *static_cast<const char**>(Value) = kPluginName; return NPERR_NO_ERROR;
      case NPPVpluginDescriptionString:
        *static_cast<const char**>(Value) = kPluginDescription;
        return NPERR_NO_ERROR;
      case NPPVpluginScriptableNPObject: {
        *static_cast<NPObject**>(Value) = nullptr;
        PluginInstance* i = FindInstance(Instance);
        if (!i) return NPERR_INVALID_INSTANCE_ERROR;
        NPObject* object = RetainScriptObject(i->scriptObject());
        *static_cast<NPObject**>(Value) = object;
        return object ? NPERR_NO_ERROR : NPERR_OUT_OF_MEMORY_ERROR;
      }
      default: return NPERR_GENERIC_ERROR;
    }
  } catch (...) {
    return NPERR_GENERIC_ERROR;
  }
}

NPError SetValue(NPP, NPNVariable, void*) { return NPERR_GENERIC_ERROR; }

}  // namespace

NPError FillPluginFuncs(NPPluginFuncs* Funcs) {
  if (!Funcs) return NPERR_INVALID_FUNCTABLE_ERROR;
  *Funcs = NPPluginFuncs{};
  Funcs->size = sizeof(NPPluginFuncs);
  Funcs->version = (NP_VERSION_MAJOR << 8) | NP_VERSION_MINOR;
  Funcs->newp = New;
  Funcs->destroy = Destroy;
  Funcs->setwindow = SetWindow;
  Funcs->newstream = NewStream;
  Funcs->destroystream = DestroyStream;
  Funcs->asfile = StreamAsFile;
  Funcs->writeready = WriteReady;
  Funcs->write = Write;
  Funcs->print = Print;
  Funcs->event = HandleEvent;
  Funcs->urlnotify = UrlNotify;
  Funcs->getvalue = GetValue;
  Funcs->setvalue = SetValue;
  return NPERR_NO_ERROR;
}

NPError InitializeModule(NPNetscapeFuncs* Browser) {
  if (!Browser) return NPERR_INVALID_FUNCTABLE_ERROR;
  if ((Browser->version >> 8) > NP_VERSION_MAJOR) return NPERR_INCOMPATIBLE_VERSION_ERROR;
  return browser::Attach(Browser) ? NPERR_NO_ERROR : NPERR_INVALID_FUNCTABLE_ERROR;
}

NPError ShutdownModule() {
  StopAllFrameTimers();
  DestroyAllInstances();
  FreeDetachedScriptObjects();
  browser::Attach(nullptr);
  return NPERR_NO_ERROR;
}

}  // namespace npswf
