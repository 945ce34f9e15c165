#include "renderers/engine/src/writer/bit_writer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>

namespace swf::writer {

int UnsignedBits(uint64_t V) {
  int n = 0;
  while (V) {
    ++n;
    V >>= 1;
  }
  return n;
}

int SignedBits(int64_t V) {
  // One sign bit plus the magnitude bits of V (or of ~V for negatives).
  return UnsignedBits(static_cast<uint64_t>(V < 0 ? ~V : V)) + 1;
}

void BitWriter::U8(uint8_t V) {
  Align();
  bytes_.push_back(V);
}

void BitWriter::U16(uint16_t V) {
  U8(static_cast<uint8_t>(V));
  U8(static_cast<uint8_t>(V >> 8));
}

void BitWriter::U32(uint32_t V) {
  U16(static_cast<uint16_t>(V));
  U16(static_cast<uint16_t>(V >> 16));
}

void BitWriter::Bytes(const uint8_t* Data, size_t Size) {
  Align();
  bytes_.insert(bytes_.end(), Data, Data + Size);
}

void BitWriter::String(const std::string& Text, const char* What) {
  if (Text.find('\0') != std::string::npos) throw FormatError(std::string(What) + " holds a NUL character");
  Bytes(reinterpret_cast<const uint8_t*>(Text.data()), Text.size());
  U8(0);
}

void BitWriter::UB(uint32_t V, int Bits) {
  for (int i = Bits - 1; i >= 0; --i) {
    pending_ = (pending_ << 1) | ((V >> i) & 1u);
    if (++pendingBits_ == 8) {
      bytes_.push_back(static_cast<uint8_t>(pending_));
      pending_ = 0;
      pendingBits_ = 0;
    }
  }
}

void BitWriter::SB(int32_t V, int Bits) { UB(static_cast<uint32_t>(V), Bits); }

void BitWriter::Align() {
  if (pendingBits_ == 0) return;
  bytes_.push_back(static_cast<uint8_t>(pending_ << (8 - pendingBits_)));
  pending_ = 0;
  pendingBits_ = 0;
}

int32_t ToInt(double V, double Limit, const char* What) {
  if (!std::isfinite(V)) throw FormatError(std::string(What) + " is not a finite number");
  double r = std::round(V);
  if (std::fabs(r) >= Limit) throw FormatError(std::string(What) + " is out of the format's range");
  return static_cast<int32_t>(r);
}

int32_t Twips(double V, const char* What) { return ToInt(V, 1073741824.0, What); }

static int MaxSignedBits(std::initializer_list<int32_t> Values) {
  int n = 1;
  for (int32_t v : Values) n = std::max(n, SignedBits(v));
  return n;
}

void WriteRect(BitWriter& W, const Rect& R) {
  int32_t x0 = 0, x1 = 0, y0 = 0, y1 = 0;
  if (!R.Empty()) {
    x0 = Twips(R.xmin, "rectangle");
    x1 = Twips(R.xmax, "rectangle");
    y0 = Twips(R.ymin, "rectangle");
    y1 = Twips(R.ymax, "rectangle");
  }
  int n = MaxSignedBits({x0, x1, y0, y1});
  W.UB(static_cast<uint32_t>(n), 5);
  W.SB(x0, n);
  W.SB(x1, n);
  W.SB(y0, n);
  W.SB(y1, n);
  W.Align();
}

void WriteMatrix(BitWriter& W, const Matrix& M) {
  const double fixedLimit = 1073741824.0;  // 16.16 values in at most 31 bits
  int32_t a = ToInt(M.a * 65536.0, fixedLimit, "matrix scale");
  int32_t d = ToInt(M.d * 65536.0, fixedLimit, "matrix scale");
  int32_t b = ToInt(M.b * 65536.0, fixedLimit, "matrix rotation");
  int32_t c = ToInt(M.c * 65536.0, fixedLimit, "matrix rotation");
  int32_t tx = Twips(M.tx, "matrix translation");
  int32_t ty = Twips(M.ty, "matrix translation");
  bool hasScale = a != 65536 || d != 65536;
  W.UB(hasScale, 1);
  if (hasScale) {
    int n = MaxSignedBits({a, d});
    W.UB(static_cast<uint32_t>(n), 5);
    W.SB(a, n);
    W.SB(d, n);
  }
  bool hasRotate = b != 0 || c != 0;
  W.UB(hasRotate, 1);
  if (hasRotate) {
    int n = MaxSignedBits({b, c});
    W.UB(static_cast<uint32_t>(n), 5);
    W.SB(b, n);
    W.SB(c, n);
  }
  int n = (tx == 0 && ty == 0) ? 0 : MaxSignedBits({tx, ty});
  W.UB(static_cast<uint32_t>(n), 5);
  W.SB(tx, n);
  W.SB(ty, n);
  W.Align();
}

void WriteCxform(BitWriter& W, const ColorTransform& C, bool Alpha) {
  std::vector<int32_t> mult{C.multR, C.multG, C.multB};
  std::vector<int32_t> add{C.addR, C.addG, C.addB};
  if (Alpha) {
    mult.push_back(C.multA);
    add.push_back(C.addA);
  }
  bool hasMult = std::any_of(mult.begin(), mult.end(), [](int32_t v) { return v != 256; });
  bool hasAdd = std::any_of(add.begin(), add.end(), [](int32_t v) { return v != 0; });
  int n = 1;
  if (hasMult)
    for (int32_t v : mult) n = std::max(n, SignedBits(v));
  if (hasAdd)
    for (int32_t v : add) n = std::max(n, SignedBits(v));
  if (n > 15) throw FormatError("colour transform term out of the format's range (-16384..16383)");
  W.UB(hasAdd, 1);
  W.UB(hasMult, 1);
  W.UB(static_cast<uint32_t>(n), 4);
  if (hasMult)
    for (int32_t v : mult) W.SB(v, n);
  if (hasAdd)
    for (int32_t v : add) W.SB(v, n);
  W.Align();
}

}  // namespace swf::writer
