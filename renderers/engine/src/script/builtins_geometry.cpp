// flash.geom: Point, Rectangle, Matrix, ColorTransform, Transform.

#include "renderers/engine/src/script/internal.h"

namespace swf {

void InstallGeometry(ScriptRuntime& /*R*/) {}

}  // namespace swf
