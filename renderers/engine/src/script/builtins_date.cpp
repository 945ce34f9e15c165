// The Date class.

#include "renderers/engine/src/script/internal.h"

namespace swf {

void InstallDate(ScriptRuntime& /*R*/) {}

}  // namespace swf
