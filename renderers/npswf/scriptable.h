#pragma once
// The movie's scriptable object: the methods "Play", "StopPlay", "Rewind",
// "Forward", "Back", "GetLoop", "IsPlaying", "CurrentFrame", "TotalFrames",
// "GotoFrame", "GetVariable", "SetVariable", "CallFunction", "LoadMovie" and
// the property "Loop". Names are compared as strings (an identifier is the
// address of its 8-bit name), never by identity.
//
// The instance holds one reference for its life; the browser gets its own
// through NPP_GetValue. A released object is freed by its class; one that
// outlives its instance answers nothing and is freed at NP_Shutdown at the latest.

#include "renderers/npapi/npapi.h"

namespace npswf {

class PluginInstance;

struct ScriptObject : NPObject {
  PluginInstance* owner = nullptr;  // null once the instance is gone
};

// A new object of Owner with the instance's reference.
ScriptObject* NewScriptObject(PluginInstance* Owner);
// The instance is going: the object forgets it and loses the instance's reference.
void DetachScriptObject(ScriptObject* Object);
// Object with one more reference, for the browser.
NPObject* RetainScriptObject(ScriptObject* Object);
// NP_Shutdown: frees the objects that outlived their instances.
void FreeDetachedScriptObjects();

}  // namespace npswf
