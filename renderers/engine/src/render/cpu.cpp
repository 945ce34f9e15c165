#include "renderers/engine/src/render/cpu.h"

namespace swf::render {

#if defined(VT_RENDER_AVX2)
bool HasAvx2() {
  static const bool has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return has;
}
#endif

}  // namespace swf::render
