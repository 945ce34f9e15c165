// The browser side offered to the plug-in module: the 42 entries of the
// browser function table, the four browser objects and their class. No
// entry lets an exception reach the module.
#include <cstdlib>
#include <cstring>

#include "framework/SysUtils.h"
#include "netscape_unit.h"

namespace vt {

namespace {

constexpr char kUserAgent[] =
    "Mozilla/5.0 (Windows; U; Windows NT 5.1; en-US; rv:1.8.0.3) Gecko/20060426 Vistrel/4";
constexpr char kEmpty[] = "";

// ---- the browser object class: entries that do nothing ----

NPObject* ClassAllocate(NPP, NPClass*) { return nullptr; }
void ClassDeallocate(NPObject*) {}
void ClassInvalidate(NPObject*) {}
bool ClassHasName(NPObject*, NPIdentifier) { return false; }
bool ClassInvoke(NPObject*, NPIdentifier, const NPVariant*, uint32_t, NPVariant*) { return false; }
bool ClassInvokeDefault(NPObject*, const NPVariant*, uint32_t, NPVariant*) { return false; }
bool ClassGetProperty(NPObject*, NPIdentifier, NPVariant*) { return false; }
bool ClassSetProperty(NPObject*, NPIdentifier, const NPVariant*) { return false; }
bool ClassEnumerate(NPObject*, NPIdentifier**, uint32_t*) { return false; }

NPClass browserClass{};
NPObject windowObject{};
NPObject locationObject{};
NPObject topObject{};
NPObject topLocationObject{};

bool IsBrowserObject(const NPObject* Object) {
  return Object == &windowObject || Object == &locationObject || Object == &topObject ||
         Object == &topLocationObject;
}

// A browser object as it is handed out: its class set, its count 1.
NPObject* HandOut(NPObject& Object) {
  Object._class = &browserClass;
  Object.referenceCount = 1;
  return &Object;
}

void SetObject(NPVariant* Result, NPObject* Object) {
  Result->type = NPVariantType_Object;
  Result->value.objectValue = Object;
}

void SetVoid(NPVariant* Result) {
  Result->type = NPVariantType_Void;
  Result->value.objectValue = nullptr;
}

bool NameIs(NPIdentifier Name, const char* Text) {
  return Name && std::strcmp(static_cast<const char*>(Name), Text) == 0;
}

// ---- the entries ----

NPError NpnGetURL(NPP, const char*, const char*) { return NPERR_NO_ERROR; }
NPError NpnPostURL(NPP, const char*, const char*, uint32_t, const char*, NPBool) { return NPERR_NO_ERROR; }
NPError NpnRequestRead(NPStream*, NPByteRange*) { return NPERR_NO_ERROR; }
NPError NpnNewStream(NPP, NPMIMEType, const char*, NPStream**) { return NPERR_NO_ERROR; }
int32_t NpnWrite(NPP, NPStream*, int32_t, void*) { return 0; }
NPError NpnDestroyStream(NPP, NPStream*, NPReason) { return NPERR_NO_ERROR; }
void NpnStatus(NPP, const char*) {}
const char* NpnUserAgent(NPP) { return kUserAgent; }

void* NpnMemAlloc(uint32_t Size) { return std::calloc(Size ? Size : 1, 1); }
void NpnMemFree(void* Block) { std::free(Block); }
uint32_t NpnMemFlush(uint32_t) { return 0; }
void NpnReloadPlugins(NPBool) {}
void* NpnGetJavaEnv() { return nullptr; }
void* NpnGetJavaPeer(NPP) { return nullptr; }

NPError NpnGetURLNotify(NPP Instance, const char* Url, const char* Target, void* NotifyData) {
  const TModuleCall call(true);
  if (!Url || std::strstr(Url, "java")) return NPERR_INVALID_URL;
  if (Target) return NPERR_NO_ERROR;
  try {
    if (TvtFlashDriverNS* driver = TvtFlashDriverNS::FromInstance(Instance))
      driver->CreateStream(vcl::AnsiToWide(Url, NetscapeCodePage), NotifyData);
  } catch (...) {
    // A request that fails is a request not served.
  }
  return NPERR_NO_ERROR;
}

NPError NpnPostURLNotify(NPP, const char*, const char*, uint32_t, const char*, NPBool, void*) {
  return NPERR_NO_ERROR;
}

NPError NpnGetValue(NPP, NPNVariable Variable, void* Value) {
  if (!Value) return NPERR_NO_ERROR;
  switch (Variable) {
    case NPNVnetscapeWindow:
      *static_cast<void**>(Value) = nullptr;
      break;
    case NPNVjavascriptEnabledBool:
    case NPNVSupportsWindowless:
      *static_cast<NPBool*>(Value) = true;
      break;
    case NPNVWindowNPObject:
      *static_cast<NPObject**>(Value) = HandOut(windowObject);
      break;
    default:
      break;
  }
  return NPERR_NO_ERROR;
}

NPError NpnSetValue(NPP, NPPVariable, void*) { return NPERR_NO_ERROR; }

void NpnInvalidateRect(NPP Instance, NPRect* Rect) {
  const TModuleCall call(true);
  try {
    TvtFlashDriverNS* driver = TvtFlashDriverNS::FromInstance(Instance);
    if (!driver) return;
    if (Rect)
      driver->PaintRect(vcl::Rect(Rect->left, Rect->top, Rect->right, Rect->bottom));
    else
      driver->PaintRect(vcl::Rect(0, 0, driver->FWidth, driver->FHeight));
  } catch (...) {
    // The player's callbacks failed; the module only hears that it returned.
  }
}

void NpnInvalidateRegion(NPP, NPRegion) {}
void NpnForceRedraw(NPP) {}
NPIdentifier NpnGetStringIdentifier(const NPUTF8* Name) { return const_cast<NPUTF8*>(Name); }
void NpnGetStringIdentifiers(const NPUTF8**, int32_t, NPIdentifier*) {}
NPIdentifier NpnGetIntIdentifier(int32_t) { return nullptr; }
bool NpnIdentifierIsString(NPIdentifier) { return true; }

NPUTF8* NpnUTF8FromIdentifier(NPIdentifier Identifier) {
  if (!Identifier) return nullptr;
  const char* name = static_cast<const char*>(Identifier);
  const size_t n = std::strlen(name) + 1;
  auto* copy = static_cast<NPUTF8*>(std::malloc(n));
  if (copy) std::memcpy(copy, name, n);
  return copy;
}

int32_t NpnIntFromIdentifier(NPIdentifier) { return 0; }

NPObject* NpnCreateObject(NPP Instance, NPClass* Class) {
  if (!Class || !Class->allocate) return nullptr;
  try {
    NPObject* object = Class->allocate(Instance, Class);
    if (!object) return nullptr;
    object->_class = Class;
    object->referenceCount = 1;
    return object;
  } catch (...) {
    return nullptr;
  }
}

NPObject* NpnRetainObject(NPObject* Object) {
  if (Object) ++Object->referenceCount;
  return Object;
}

void NpnReleaseObject(NPObject* Object) {
  if (!Object || Object->referenceCount == 0) return;
  if (--Object->referenceCount != 0 || IsBrowserObject(Object)) return;
  NPClass* cls = Object->_class;
  if (!cls) return;
  try {
    if (cls->deallocate)
      cls->deallocate(Object);
    else if (cls->invalidate)
      cls->invalidate(Object);
  } catch (...) {
  }
}

bool NpnInvoke(NPP Instance, NPObject*, NPIdentifier Method, const NPVariant* Args, uint32_t ArgCount,
               NPVariant* Result) {
  const TModuleCall call(true);
  try {
    if (TvtFlashDriverNS* driver = TvtFlashDriverNS::FromInstance(Instance))
      return driver->HandleInvoke(Method, Args, ArgCount, Result);
    if (!NameIs(Method, "_DoFSCommand") && Result) {
      Result->type = NPVariantType_String;
      Result->value.stringValue = NPString{kEmpty, 0};
    }
  } catch (...) {
  }
  return true;
}

bool NpnInvokeDefault(NPP, NPObject*, const NPVariant*, uint32_t, NPVariant*) { return false; }

bool NpnEvaluate(NPP Instance, NPObject*, NPString* Script, NPVariant* Result) {
  const TModuleCall call(true);
  if (Result) {
    Result->type = NPVariantType_String;
    Result->value.stringValue = NPString{kEmpty, 0};
  }
  try {
    if (TvtFlashDriverNS* driver = TvtFlashDriverNS::FromInstance(Instance))
      return driver->HandleEvaluate(Script, Result);
  } catch (...) {
  }
  return true;
}

bool NpnGetProperty(NPP, NPObject* Object, NPIdentifier Name, NPVariant* Result) {
  if (!Result) return false;
  if (Object == &windowObject && NameIs(Name, "location")) {
    SetObject(Result, HandOut(locationObject));
    return true;
  }
  if (Object == &windowObject && NameIs(Name, "top")) {
    SetObject(Result, HandOut(topObject));
    return true;
  }
  if (Object == &topObject && NameIs(Name, "location")) {
    SetObject(Result, HandOut(topLocationObject));
    return true;
  }
  SetVoid(Result);
  return false;
}

bool NpnSetProperty(NPP, NPObject*, NPIdentifier, const NPVariant*) { return false; }
bool NpnRemoveProperty(NPP, NPObject*, NPIdentifier) { return false; }
bool NpnHasProperty(NPP, NPObject*, NPIdentifier) { return false; }
bool NpnHasMethod(NPP, NPObject*, NPIdentifier) { return false; }
void NpnReleaseVariantValue(NPVariant*) {}
void NpnSetException(NPObject*, const NPUTF8*) {}
void NpnPushPopupsEnabledState(NPP, NPBool) {}
void NpnPopPopupsEnabledState(NPP) {}

}  // namespace

void PrepareBrowserObjectClass() {
  browserClass.structVersion = NP_CLASS_STRUCT_VERSION;
  browserClass.allocate = ClassAllocate;
  browserClass.deallocate = ClassDeallocate;
  browserClass.invalidate = ClassInvalidate;
  browserClass.hasMethod = ClassHasName;
  browserClass.invoke = ClassInvoke;
  browserClass.invokeDefault = ClassInvokeDefault;
  browserClass.hasProperty = ClassHasName;
  browserClass.getProperty = ClassGetProperty;
  browserClass.setProperty = ClassSetProperty;
  browserClass.removeProperty = ClassHasName;
  browserClass.enumerate = ClassEnumerate;
}

void FillBrowserFuncs(NPNetscapeFuncs& F) {
  F.geturl = NpnGetURL;
  F.posturl = NpnPostURL;
  F.requestread = NpnRequestRead;
  F.newstream = NpnNewStream;
  F.write = NpnWrite;
  F.destroystream = NpnDestroyStream;
  F.status = NpnStatus;
  F.uagent = NpnUserAgent;
  F.memalloc = NpnMemAlloc;
  F.memfree = NpnMemFree;
  F.memflush = NpnMemFlush;
  F.reloadplugins = NpnReloadPlugins;
  F.getJavaEnv = NpnGetJavaEnv;
  F.getJavaPeer = NpnGetJavaPeer;
  F.geturlnotify = NpnGetURLNotify;
  F.posturlnotify = NpnPostURLNotify;
  F.getvalue = NpnGetValue;
  F.setvalue = NpnSetValue;
  F.invalidaterect = NpnInvalidateRect;
  F.invalidateregion = NpnInvalidateRegion;
  F.forceredraw = NpnForceRedraw;
  F.getstringidentifier = NpnGetStringIdentifier;
  F.getstringidentifiers = NpnGetStringIdentifiers;
  F.getintidentifier = NpnGetIntIdentifier;
  F.identifierisstring = NpnIdentifierIsString;
  F.utf8fromidentifier = NpnUTF8FromIdentifier;
  F.intfromidentifier = NpnIntFromIdentifier;
  F.createobject = NpnCreateObject;
  F.retainobject = NpnRetainObject;
  F.releaseobject = NpnReleaseObject;
  F.invoke = NpnInvoke;
  F.invokeDefault = NpnInvokeDefault;
  F.evaluate = NpnEvaluate;
  F.getproperty = NpnGetProperty;
  F.setproperty = NpnSetProperty;
  F.removeproperty = NpnRemoveProperty;
  F.hasproperty = NpnHasProperty;
  F.hasmethod = NpnHasMethod;
  F.releasevariantvalue = NpnReleaseVariantValue;
  F.setexception = NpnSetException;
  F.pushpopupsenabledstate = NpnPushPopupsEnabledState;
  F.poppopupsenabledstate = NpnPopPopupsEnabledState;
}

}  // namespace vt
