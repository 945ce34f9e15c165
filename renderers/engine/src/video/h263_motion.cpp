// One loop per half-pixel case and block size, so the inner loops have no
// branches and a fixed trip count the compiler can unroll and vectorise.
#include "renderers/engine/src/video/h263_motion.h"

#include <cstring>

namespace swf::video {
namespace {

template <int N>
void Copy(uint8_t* D, ptrdiff_t Ds, const uint8_t* S, ptrdiff_t Ss) {
  for (int y = 0; y < N; ++y) std::memcpy(D + y * Ds, S + y * Ss, N);
}

template <int N>
void Average2(uint8_t* D, ptrdiff_t Ds, const uint8_t* S, ptrdiff_t Ss, ptrdiff_t Step) {
  for (int y = 0; y < N; ++y, D += Ds, S += Ss)
    for (int x = 0; x < N; ++x) D[x] = static_cast<uint8_t>((S[x] + S[x + Step] + 1) >> 1);
}

template <int N>
void Average4(uint8_t* D, ptrdiff_t Ds, const uint8_t* S, ptrdiff_t Ss) {
  for (int y = 0; y < N; ++y, D += Ds, S += Ss)
    for (int x = 0; x < N; ++x) D[x] = static_cast<uint8_t>((S[x] + S[x + 1] + S[x + Ss] + S[x + Ss + 1] + 2) >> 2);
}

template <int N>
void Predict(uint8_t* D, ptrdiff_t Ds, const uint8_t* S, ptrdiff_t Ss, bool Hx, bool Hy) {
  if (Hx && Hy) Average4<N>(D, Ds, S, Ss);
  else if (Hx) Average2<N>(D, Ds, S, Ss, 1);
  else if (Hy) Average2<N>(D, Ds, S, Ss, Ss);
  else Copy<N>(D, Ds, S, Ss);
}

}  // namespace

void H263Predict(uint8_t* Dst, ptrdiff_t DstStride, const uint8_t* Src, ptrdiff_t SrcStride, int Size, bool HalfX,
                 bool HalfY) {
  if (Size == 16) Predict<16>(Dst, DstStride, Src, SrcStride, HalfX, HalfY);
  else Predict<8>(Dst, DstStride, Src, SrcStride, HalfX, HalfY);
}

}  // namespace swf::video
