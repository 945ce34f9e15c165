#pragma once
// ExternalInterface's own helpers for its XML calling convention
// (_toXML, _toAS, _escapeXML, ...), installed as hidden methods.

#include "renderers/engine/script.h"

namespace swf {

void InstallExternalXml(ScriptRuntime& R, Object* ExternalInterface);

}  // namespace swf
