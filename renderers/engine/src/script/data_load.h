#pragma once
// What XML and LoadVars share to fetch and send text: load, send,
// sendAndLoad, getBytesLoaded, getBytesTotal and addRequestHeader.

#include <functional>
#include <string>

#include "renderers/engine/script.h"

namespace swf {

// Installs the methods on Proto; Body gives the text an object sends.
void InstallDataLoading(ScriptRuntime& R, Object* Proto, std::function<std::string(NativeCall&)> Body);

}  // namespace swf
