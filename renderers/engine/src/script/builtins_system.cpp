// System, Key, Mouse, Stage, Selection and SharedObject.

#include "renderers/engine/src/script/internal.h"

namespace swf {

void InstallSystemObjects(ScriptRuntime& /*R*/) {}

}  // namespace swf
