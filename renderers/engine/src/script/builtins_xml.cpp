// The XML and XMLNode classes.

#include "renderers/engine/src/script/internal.h"

namespace swf {

void InstallXml(ScriptRuntime& /*R*/) {}

}  // namespace swf
