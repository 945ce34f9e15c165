#pragma once
// What the processor offers beyond the SSE2 baseline both builds assume.
// Private to the renderer: the wider paths are compiled for their own
// instruction set and chosen at run time.

namespace swf::render {

#if defined(__SSE2__) && defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define VT_RENDER_AVX2 1
// The processor and the system (which must save the wide registers) both
// support AVX2; asked once.
bool HasAvx2();
#endif

}  // namespace swf::render
