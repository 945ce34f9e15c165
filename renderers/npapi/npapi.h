#pragma once
// The Netscape plug-in interface (NPAPI) as published, in its 64-bit Windows
// layout: the types, constants and the two function tables a browser and a
// plug-in module exchange. Shared by the hosting driver and the plug-in
// modules; plain C types only, since these records cross DLL boundaries.
// Portable: no <windows.h> (window handles and device contexts are void*).

#include <cstdint>

extern "C" {

// ---- basic types ----

using NPError = int16_t;
using NPReason = int16_t;
using NPBool = unsigned char;
using NPMIMEType = char*;
using NPUTF8 = char;
using NPIdentifier = void*;
using NPRegion = void*;  // HRGN

struct NPP_t {
  void* pdata;  // the plug-in's
  void* ndata;  // the browser's
};
using NPP = NPP_t*;

struct NPStream {
  void* pdata;
  void* ndata;
  const char* url;
  uint32_t end;
  uint32_t lastmodified;
  void* notifyData;
  const char* headers;
};

struct NPByteRange {
  int32_t offset;
  uint32_t length;
  NPByteRange* next;
};

struct NPSavedData {
  int32_t len;
  void* buf;
};

struct NPRect {
  uint16_t top;
  uint16_t left;
  uint16_t bottom;
  uint16_t right;
};

enum NPWindowType : int32_t { NPWindowTypeWindow = 1, NPWindowTypeDrawable = 2 };

struct NPWindow {
  void* window;  // HWND, or HDC for a drawable
  int32_t x;
  int32_t y;
  uint32_t width;
  uint32_t height;
  NPRect clipRect;
  NPWindowType type;
};

// A window message as NPP_HandleEvent receives it on Windows.
struct NPEvent {
  uint16_t event;
  uintptr_t wParam;
  uintptr_t lParam;
};

struct NPPrint;  // never used by this library

// ---- constants ----

constexpr uint16_t NP_EMBED = 1;
constexpr uint16_t NP_FULL = 2;

constexpr uint16_t NP_NORMAL = 1;
constexpr uint16_t NP_SEEK = 2;
constexpr uint16_t NP_ASFILE = 3;
constexpr uint16_t NP_ASFILEONLY = 4;

constexpr NPError NPERR_NO_ERROR = 0;
constexpr NPError NPERR_GENERIC_ERROR = 1;
constexpr NPError NPERR_INVALID_INSTANCE_ERROR = 2;
constexpr NPError NPERR_INVALID_FUNCTABLE_ERROR = 3;
constexpr NPError NPERR_MODULE_LOAD_FAILED_ERROR = 4;
constexpr NPError NPERR_OUT_OF_MEMORY_ERROR = 5;
constexpr NPError NPERR_INVALID_PLUGIN_ERROR = 6;
constexpr NPError NPERR_INVALID_PLUGIN_DIR_ERROR = 7;
constexpr NPError NPERR_INCOMPATIBLE_VERSION_ERROR = 8;
constexpr NPError NPERR_INVALID_PARAM = 9;
constexpr NPError NPERR_INVALID_URL = 10;
constexpr NPError NPERR_FILE_NOT_FOUND = 11;
constexpr NPError NPERR_NO_DATA = 12;
constexpr NPError NPERR_STREAM_NOT_SEEKABLE = 13;

constexpr NPReason NPRES_DONE = 0;
constexpr NPReason NPRES_NETWORK_ERR = 1;
constexpr NPReason NPRES_USER_BREAK = 2;

// Interface version 0.18.
constexpr uint16_t NP_VERSION_MAJOR = 0;
constexpr uint16_t NP_VERSION_MINOR = 18;

enum NPNVariable : int32_t {
  NPNVxDisplay = 1,
  NPNVxtAppContext = 2,
  NPNVnetscapeWindow = 3,
  NPNVjavascriptEnabledBool = 4,
  NPNVasdEnabledBool = 5,
  NPNVisOfflineBool = 6,
  NPNVserviceManager = 10,
  NPNVDOMElement = 11,
  NPNVDOMWindow = 12,
  NPNVToolkit = 13,
  NPNVSupportsXEmbedBool = 14,
  NPNVWindowNPObject = 15,
  NPNVPluginElementNPObject = 16,
  NPNVSupportsWindowless = 17,
};

enum NPPVariable : int32_t {
  NPPVpluginNameString = 1,
  NPPVpluginDescriptionString = 2,
  NPPVpluginWindowBool = 3,
  NPPVpluginTransparentBool = 4,
  NPPVjavaClass = 5,
  NPPVpluginWindowSize = 6,
  NPPVpluginTimerInterval = 7,
  NPPVpluginScriptableIID = 11,
  NPPVjavascriptPushCallerBool = 12,
  NPPVpluginKeepLibraryInMemory = 13,
  NPPVpluginNeedsXEmbed = 14,
  NPPVpluginScriptableNPObject = 15,
};

// ---- scripting ----

struct NPObject;
struct NPClass;

struct NPString {
  const NPUTF8* UTF8Characters;
  uint32_t UTF8Length;
};

enum NPVariantType : int32_t {
  NPVariantType_Void = 0,
  NPVariantType_Null = 1,
  NPVariantType_Bool = 2,
  NPVariantType_Int32 = 3,
  NPVariantType_Double = 4,
  NPVariantType_String = 5,
  NPVariantType_Object = 6,
};

struct NPVariant {
  NPVariantType type;
  union {
    bool boolValue;
    int32_t intValue;
    double doubleValue;
    NPString stringValue;
    NPObject* objectValue;
  } value;
};

using NPAllocateFunctionPtr = NPObject* (*)(NPP npp, NPClass* aClass);
using NPDeallocateFunctionPtr = void (*)(NPObject* npobj);
using NPInvalidateFunctionPtr = void (*)(NPObject* npobj);
using NPHasMethodFunctionPtr = bool (*)(NPObject* npobj, NPIdentifier name);
using NPInvokeFunctionPtr = bool (*)(NPObject* npobj, NPIdentifier name, const NPVariant* args, uint32_t argCount,
                                     NPVariant* result);
using NPInvokeDefaultFunctionPtr = bool (*)(NPObject* npobj, const NPVariant* args, uint32_t argCount,
                                            NPVariant* result);
using NPHasPropertyFunctionPtr = bool (*)(NPObject* npobj, NPIdentifier name);
using NPGetPropertyFunctionPtr = bool (*)(NPObject* npobj, NPIdentifier name, NPVariant* result);
using NPSetPropertyFunctionPtr = bool (*)(NPObject* npobj, NPIdentifier name, const NPVariant* value);
using NPRemovePropertyFunctionPtr = bool (*)(NPObject* npobj, NPIdentifier name);
using NPEnumerationFunctionPtr = bool (*)(NPObject* npobj, NPIdentifier** value, uint32_t* count);
using NPConstructFunctionPtr = bool (*)(NPObject* npobj, const NPVariant* args, uint32_t argCount,
                                        NPVariant* result);

constexpr uint32_t NP_CLASS_STRUCT_VERSION = 1;

struct NPClass {
  uint32_t structVersion;
  NPAllocateFunctionPtr allocate;
  NPDeallocateFunctionPtr deallocate;
  NPInvalidateFunctionPtr invalidate;
  NPHasMethodFunctionPtr hasMethod;
  NPInvokeFunctionPtr invoke;
  NPInvokeDefaultFunctionPtr invokeDefault;
  NPHasPropertyFunctionPtr hasProperty;
  NPGetPropertyFunctionPtr getProperty;
  NPSetPropertyFunctionPtr setProperty;
  NPRemovePropertyFunctionPtr removeProperty;
  NPEnumerationFunctionPtr enumerate;
  NPConstructFunctionPtr construct;
};

struct NPObject {
  NPClass* _class;
  uint32_t referenceCount;
};

// ---- the plug-in's functions (NPP_*) ----

using NPP_NewProcPtr = NPError (*)(NPMIMEType pluginType, NPP instance, uint16_t mode, int16_t argc, char* argn[],
                                   char* argv[], NPSavedData* saved);
using NPP_DestroyProcPtr = NPError (*)(NPP instance, NPSavedData** save);
using NPP_SetWindowProcPtr = NPError (*)(NPP instance, NPWindow* window);
using NPP_NewStreamProcPtr = NPError (*)(NPP instance, NPMIMEType type, NPStream* stream, NPBool seekable,
                                         uint16_t* stype);
using NPP_DestroyStreamProcPtr = NPError (*)(NPP instance, NPStream* stream, NPReason reason);
using NPP_StreamAsFileProcPtr = void (*)(NPP instance, NPStream* stream, const char* fname);
using NPP_WriteReadyProcPtr = int32_t (*)(NPP instance, NPStream* stream);
using NPP_WriteProcPtr = int32_t (*)(NPP instance, NPStream* stream, int32_t offset, int32_t len, void* buffer);
using NPP_PrintProcPtr = void (*)(NPP instance, NPPrint* platformPrint);
using NPP_HandleEventProcPtr = int16_t (*)(NPP instance, void* event);
using NPP_URLNotifyProcPtr = void (*)(NPP instance, const char* url, NPReason reason, void* notifyData);
using NPP_GetValueProcPtr = NPError (*)(NPP instance, NPPVariable variable, void* ret_value);
using NPP_SetValueProcPtr = NPError (*)(NPP instance, NPNVariable variable, void* value);

// The plug-in function table. Its size field holds sizeof(NPPluginFuncs) on
// this target (60 is the 32-bit figure).
struct NPPluginFuncs {
  uint16_t size;
  uint16_t version;
  NPP_NewProcPtr newp;
  NPP_DestroyProcPtr destroy;
  NPP_SetWindowProcPtr setwindow;
  NPP_NewStreamProcPtr newstream;
  NPP_DestroyStreamProcPtr destroystream;
  NPP_StreamAsFileProcPtr asfile;
  NPP_WriteReadyProcPtr writeready;
  NPP_WriteProcPtr write;
  NPP_PrintProcPtr print;
  NPP_HandleEventProcPtr event;
  NPP_URLNotifyProcPtr urlnotify;
  void* javaClass;
  NPP_GetValueProcPtr getvalue;
  NPP_SetValueProcPtr setvalue;
};

// ---- the browser's functions (NPN_*) ----

using NPN_GetURLProcPtr = NPError (*)(NPP instance, const char* url, const char* window);
using NPN_PostURLProcPtr = NPError (*)(NPP instance, const char* url, const char* window, uint32_t len,
                                       const char* buf, NPBool file);
using NPN_RequestReadProcPtr = NPError (*)(NPStream* stream, NPByteRange* rangeList);
using NPN_NewStreamProcPtr = NPError (*)(NPP instance, NPMIMEType type, const char* window, NPStream** stream);
using NPN_WriteProcPtr = int32_t (*)(NPP instance, NPStream* stream, int32_t len, void* buffer);
using NPN_DestroyStreamProcPtr = NPError (*)(NPP instance, NPStream* stream, NPReason reason);
using NPN_StatusProcPtr = void (*)(NPP instance, const char* message);
using NPN_UserAgentProcPtr = const char* (*)(NPP instance);
using NPN_MemAllocProcPtr = void* (*)(uint32_t size);
using NPN_MemFreeProcPtr = void (*)(void* ptr);
using NPN_MemFlushProcPtr = uint32_t (*)(uint32_t size);
using NPN_ReloadPluginsProcPtr = void (*)(NPBool reloadPages);
using NPN_GetJavaEnvProcPtr = void* (*)();
using NPN_GetJavaPeerProcPtr = void* (*)(NPP instance);
using NPN_GetURLNotifyProcPtr = NPError (*)(NPP instance, const char* url, const char* target, void* notifyData);
using NPN_PostURLNotifyProcPtr = NPError (*)(NPP instance, const char* url, const char* target, uint32_t len,
                                             const char* buf, NPBool file, void* notifyData);
using NPN_GetValueProcPtr = NPError (*)(NPP instance, NPNVariable variable, void* ret_value);
using NPN_SetValueProcPtr = NPError (*)(NPP instance, NPPVariable variable, void* value);
using NPN_InvalidateRectProcPtr = void (*)(NPP instance, NPRect* rect);
using NPN_InvalidateRegionProcPtr = void (*)(NPP instance, NPRegion region);
using NPN_ForceRedrawProcPtr = void (*)(NPP instance);
using NPN_GetStringIdentifierProcPtr = NPIdentifier (*)(const NPUTF8* name);
using NPN_GetStringIdentifiersProcPtr = void (*)(const NPUTF8** names, int32_t nameCount,
                                                 NPIdentifier* identifiers);
using NPN_GetIntIdentifierProcPtr = NPIdentifier (*)(int32_t intid);
using NPN_IdentifierIsStringProcPtr = bool (*)(NPIdentifier identifier);
using NPN_UTF8FromIdentifierProcPtr = NPUTF8* (*)(NPIdentifier identifier);
using NPN_IntFromIdentifierProcPtr = int32_t (*)(NPIdentifier identifier);
using NPN_CreateObjectProcPtr = NPObject* (*)(NPP npp, NPClass* aClass);
using NPN_RetainObjectProcPtr = NPObject* (*)(NPObject* obj);
using NPN_ReleaseObjectProcPtr = void (*)(NPObject* obj);
using NPN_InvokeProcPtr = bool (*)(NPP npp, NPObject* obj, NPIdentifier methodName, const NPVariant* args,
                                   uint32_t argCount, NPVariant* result);
using NPN_InvokeDefaultProcPtr = bool (*)(NPP npp, NPObject* obj, const NPVariant* args, uint32_t argCount,
                                          NPVariant* result);
using NPN_EvaluateProcPtr = bool (*)(NPP npp, NPObject* obj, NPString* script, NPVariant* result);
using NPN_GetPropertyProcPtr = bool (*)(NPP npp, NPObject* obj, NPIdentifier propertyName, NPVariant* result);
using NPN_SetPropertyProcPtr = bool (*)(NPP npp, NPObject* obj, NPIdentifier propertyName, const NPVariant* value);
using NPN_RemovePropertyProcPtr = bool (*)(NPP npp, NPObject* obj, NPIdentifier propertyName);
using NPN_HasPropertyProcPtr = bool (*)(NPP npp, NPObject* obj, NPIdentifier propertyName);
using NPN_HasMethodProcPtr = bool (*)(NPP npp, NPObject* obj, NPIdentifier propertyName);
using NPN_ReleaseVariantValueProcPtr = void (*)(NPVariant* variant);
using NPN_SetExceptionProcPtr = void (*)(NPObject* obj, const NPUTF8* message);
using NPN_PushPopupsEnabledStateProcPtr = void (*)(NPP npp, NPBool enabled);
using NPN_PopPopupsEnabledStateProcPtr = void (*)(NPP npp);

// The browser function table: the 42 entries of interface version 0.18, from
// geturl to poppopupsenabledstate. Its size field holds
// sizeof(NPNetscapeFuncs) on this target (172 is the 32-bit figure).
struct NPNetscapeFuncs {
  uint16_t size;
  uint16_t version;
  NPN_GetURLProcPtr geturl;
  NPN_PostURLProcPtr posturl;
  NPN_RequestReadProcPtr requestread;
  NPN_NewStreamProcPtr newstream;
  NPN_WriteProcPtr write;
  NPN_DestroyStreamProcPtr destroystream;
  NPN_StatusProcPtr status;
  NPN_UserAgentProcPtr uagent;
  NPN_MemAllocProcPtr memalloc;
  NPN_MemFreeProcPtr memfree;
  NPN_MemFlushProcPtr memflush;
  NPN_ReloadPluginsProcPtr reloadplugins;
  NPN_GetJavaEnvProcPtr getJavaEnv;
  NPN_GetJavaPeerProcPtr getJavaPeer;
  NPN_GetURLNotifyProcPtr geturlnotify;
  NPN_PostURLNotifyProcPtr posturlnotify;
  NPN_GetValueProcPtr getvalue;
  NPN_SetValueProcPtr setvalue;
  NPN_InvalidateRectProcPtr invalidaterect;
  NPN_InvalidateRegionProcPtr invalidateregion;
  NPN_ForceRedrawProcPtr forceredraw;
  NPN_GetStringIdentifierProcPtr getstringidentifier;
  NPN_GetStringIdentifiersProcPtr getstringidentifiers;
  NPN_GetIntIdentifierProcPtr getintidentifier;
  NPN_IdentifierIsStringProcPtr identifierisstring;
  NPN_UTF8FromIdentifierProcPtr utf8fromidentifier;
  NPN_IntFromIdentifierProcPtr intfromidentifier;
  NPN_CreateObjectProcPtr createobject;
  NPN_RetainObjectProcPtr retainobject;
  NPN_ReleaseObjectProcPtr releaseobject;
  NPN_InvokeProcPtr invoke;
  NPN_InvokeDefaultProcPtr invokeDefault;
  NPN_EvaluateProcPtr evaluate;
  NPN_GetPropertyProcPtr getproperty;
  NPN_SetPropertyProcPtr setproperty;
  NPN_RemovePropertyProcPtr removeproperty;
  NPN_HasPropertyProcPtr hasproperty;
  NPN_HasMethodProcPtr hasmethod;
  NPN_ReleaseVariantValueProcPtr releasevariantvalue;
  NPN_SetExceptionProcPtr setexception;
  NPN_PushPopupsEnabledStateProcPtr pushpopupsenabledstate;
  NPN_PopPopupsEnabledStateProcPtr poppopupsenabledstate;
};

// ---- module exports ----

using NP_GetEntryPointsFunc = NPError (*)(NPPluginFuncs* pFuncs);
using NP_InitializeFunc = NPError (*)(NPNetscapeFuncs* bFuncs);
using NP_ShutdownFunc = NPError (*)();
using Flash_DisableLocalSecurityFunc = void (*)();

}  // extern "C"

static_assert(sizeof(void*) != 8 || sizeof(NPPluginFuncs) == 120, "plug-in function table layout");
static_assert(sizeof(void*) != 8 || sizeof(NPNetscapeFuncs) == 8 + 42 * 8, "browser function table layout");
static_assert(sizeof(void*) != 8 || sizeof(NPEvent) == 24, "event layout");
static_assert(sizeof(NPRect) == 8, "rectangle layout");
