// Pictures are decoded into the frame that is not the reference, which
// then becomes the reference unless the picture is disposable. Macroblocks
// follow each other without headers, left to right and top to bottom; a
// row may start with a group-of-blocks header, which changes the quantiser
// and cuts motion vector prediction off from the rows above.
#include "renderers/engine/src/video/h263_decoder.h"

#include <algorithm>

#include "renderers/engine/src/video/h263_idct.h"
#include "renderers/engine/src/video/h263_motion.h"

namespace swf::video {
namespace {

int Median(int A, int B, int C) { return std::max(std::min(A, B), std::min(std::max(A, B), C)); }

// Vectors stay within -16..15.5 pixels: a sum outside wraps around.
int Wrap(int V) { return V < -32 ? V + 64 : V > 31 ? V - 64 : V; }

// A group-of-blocks header: its start code (after up to 7 zero bits that
// align it), the group number, frame id and the new quantiser.
int ReadGroupHeader(H263BitReader& Bits) {
  int zeros = 0;
  while (!Bits.ReadBit())
    if (++zeros > 23) Bits.Fail("a damaged group of blocks start code");
  if (zeros < 16) Bits.Fail("a damaged group of blocks start code");
  const uint32_t group = Bits.Read(5);
  if (group == 0 || group == 31) Bits.Fail("a picture start code among the macroblocks");
  Bits.Skip(2);
  const int quant = static_cast<int>(Bits.Read(5));
  if (quant == 0) Bits.Fail("a quantiser of 0");
  return quant;
}

}  // namespace

void H263Decoder::Decode(const uint8_t* Data, size_t Size) {
  packet_.assign(Data, Data + Size);
  packet_.resize(Size + H263BitReader::kPadding, 0);
  H263BitReader bits(packet_.data(), Size);
  const H263PictureHeader header = ReadH263PictureHeader(bits);
  const bool intra = header.type == H263PictureType::Intra;
  const H263Frame& reference = frames_[reference_];
  H263Frame& out = frames_[1 - reference_];
  if (!intra) {
    if (!haveReference_) bits.Fail("an inter picture before any keyframe");
    if (reference.Width() != header.width || reference.Height() != header.height)
      bits.Fail("an inter picture of another size than its reference");
  }
  if (out.Width() != header.width || out.Height() != header.height) out.Resize(header.width, header.height);
  vectors_.assign(static_cast<size_t>(out.MbWidth()) * static_cast<size_t>(out.MbHeight()) * 2, 0);
  decodedMbs_ = 0;
  const bool keep = header.type != H263PictureType::DisposableInter;
  try {
    DecodeMacroblocks(bits, header, out);
  } catch (const FormatError&) {
    mb_ = H263Macroblock{};
    Conceal(out);
    Finish(keep, out);
    throw;
  }
  Finish(keep, out);
}

void H263Decoder::Finish(bool Keep, H263Frame& Out) {
  if (Keep) {
    Out.ExtendEdges();
    reference_ = 1 - reference_;
    haveReference_ = true;
  }
  shown_ = Keep ? reference_ : 1 - reference_;
  stale_ = true;
  picture_.width = Out.Width();
  picture_.height = Out.Height();
  picture_.pixels.resize(static_cast<size_t>(Out.Width()) * static_cast<size_t>(Out.Height()));
}

void H263Decoder::DecodeMacroblocks(H263BitReader& Bits, const H263PictureHeader& Header, H263Frame& Out) {
  const bool inter = Header.type != H263PictureType::Intra;
  int quant = Header.quant, sliceTop = 0;
  for (int y = 0; y < Out.MbHeight(); ++y) {
    if (y > 0 && Bits.Peek(16) == 0) {
      quant = ReadGroupHeader(Bits);
      sliceTop = y;
    }
    for (int x = 0; x < Out.MbWidth(); ++x) {
      ReadH263Macroblock(Bits, inter, Header.version, quant, mb_);
      Reconstruct(x, y, sliceTop, Out);
      ++decodedMbs_;
    }
  }
  if (Bits.Overrun()) Bits.Fail("the packet is cut off");
}

void H263Decoder::Reconstruct(int MbX, int MbY, int SliceTop, H263Frame& Out) {
  const ptrdiff_t ys = Out.LumaStride(), cs = Out.ChromaStride();
  uint8_t* y = Out.Y() + MbY * 16 * ys + MbX * 16;
  uint8_t* planes[2] = {Out.U() + MbY * 8 * cs + MbX * 8, Out.V() + MbY * 8 * cs + MbX * 8};
  uint8_t* const luma[4] = {y, y + 8, y + 8 * ys, y + 8 * ys + 8};
  const size_t index = static_cast<size_t>(MbY * Out.MbWidth() + MbX) * 2;
  if (mb_.intra) {
    for (int b = 0; b < 4; ++b) H263IdctPut(mb_.coefficients[b], mb_.dcOnly[b], luma[b], ys);
    for (int b = 0; b < 2; ++b) H263IdctPut(mb_.coefficients[4 + b], mb_.dcOnly[4 + b], planes[b], cs);
    vectors_[index] = vectors_[index + 1] = 0;
    return;
  }
  int mx = 0, my = 0;
  if (!mb_.skipped) {
    // The median of the vectors left, above and above right (left alone on
    // a group's first row; 0 past the picture's left or right edge).
    const int8_t* v = vectors_.data();
    const ptrdiff_t w = Out.MbWidth() * 2, at = static_cast<ptrdiff_t>(index);
    const int lx = MbX > 0 ? v[at - 2] : 0, ly = MbX > 0 ? v[at - 1] : 0;
    int px = lx, py = ly;
    if (MbY > SliceTop) {
      const bool right = MbX + 1 < Out.MbWidth();
      px = Median(lx, v[at - w], right ? v[at - w + 2] : 0);
      py = Median(ly, v[at - w + 1], right ? v[at - w + 3] : 0);
    }
    mx = Wrap(px + mb_.mvdX);
    my = Wrap(py + mb_.mvdY);
  }
  vectors_[index] = static_cast<int8_t>(mx);
  vectors_[index + 1] = static_cast<int8_t>(my);
  const H263Frame& ref = frames_[reference_];
  H263Predict(y, ys, ref.Y() + (MbY * 16 + (my >> 1)) * ys + MbX * 16 + (mx >> 1), ys, 16, mx & 1, my & 1);
  const int cx = H263ChromaVector(mx), cy = H263ChromaVector(my);
  const ptrdiff_t chromaAt = (MbY * 8 + (cy >> 1)) * cs + MbX * 8 + (cx >> 1);
  H263Predict(planes[0], cs, ref.U() + chromaAt, cs, 8, cx & 1, cy & 1);
  H263Predict(planes[1], cs, ref.V() + chromaAt, cs, 8, cx & 1, cy & 1);
  for (int b = 0; b < 4; ++b)
    if (mb_.coded[b]) H263IdctAdd(mb_.coefficients[b], mb_.dcOnly[b], luma[b], ys);
  for (int b = 0; b < 2; ++b)
    if (mb_.coded[4 + b]) H263IdctAdd(mb_.coefficients[4 + b], mb_.dcOnly[4 + b], planes[b], cs);
}

void H263Decoder::Conceal(H263Frame& Out) {
  const H263Frame& ref = frames_[reference_];
  if (!haveReference_ || ref.Width() != Out.Width() || ref.Height() != Out.Height()) return;
  for (int i = decodedMbs_; i < Out.MbWidth() * Out.MbHeight(); ++i) {
    const int x = i % Out.MbWidth(), y = i / Out.MbWidth();
    const ptrdiff_t ya = y * 16 * Out.LumaStride() + x * 16, ca = y * 8 * Out.ChromaStride() + x * 8;
    H263Predict(Out.Y() + ya, Out.LumaStride(), ref.Y() + ya, ref.LumaStride(), 16, false, false);
    H263Predict(Out.U() + ca, Out.ChromaStride(), ref.U() + ca, ref.ChromaStride(), 8, false, false);
    H263Predict(Out.V() + ca, Out.ChromaStride(), ref.V() + ca, ref.ChromaStride(), 8, false, false);
  }
}

const Bitmap& H263Decoder::Picture() const {
  if (stale_) {
    YuvToRgb(Planes(), picture_.pixels.data());
    stale_ = false;
  }
  return picture_;
}

YuvPlanes H263Decoder::Planes() const {
  if (shown_ < 0) return {};
  const H263Frame& f = frames_[shown_];
  return {f.Width(), f.Height(), f.Y(), f.U(), f.V(), f.LumaStride(), f.ChromaStride()};
}

}  // namespace swf::video
