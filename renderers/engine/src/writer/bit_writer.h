#pragma once
// Byte and bit packing of the SWF format: little-endian integers, and bit
// fields written most significant bit first, padded to whole bytes.

#include <cstdint>
#include <string>
#include <vector>

#include "renderers/engine/model.h"

namespace swf::writer {

// Bits needed to hold V as an unsigned field (at least 1 for a zero-width-free
// count field is the caller's business: 0 needs 0 bits).
int UnsignedBits(uint64_t V);
// Bits needed to hold V as a two's-complement field (0 needs 1 bit, -1 needs 1).
int SignedBits(int64_t V);

class BitWriter {
 public:
  void U8(uint8_t V);
  void U16(uint16_t V);
  void U32(uint32_t V);
  void Bytes(const uint8_t* Data, size_t Size);
  void Bytes(const std::vector<uint8_t>& Data) { Bytes(Data.data(), Data.size()); }
  // A NUL-terminated string; FormatError if Text holds a NUL itself.
  void String(const std::string& Text, const char* What);

  // Bit fields; Align() pads the pending byte with zero bits.
  void UB(uint32_t V, int Bits);
  void SB(int32_t V, int Bits);
  void Align();

  std::vector<uint8_t>& bytes() { Align(); return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
  uint32_t pending_ = 0;
  int pendingBits_ = 0;
};

// Rounds a model value to the integer the format stores; FormatError when it
// does not fit in Limit (absolute) or is not finite.
int32_t ToInt(double V, double Limit, const char* What);
int32_t Twips(double V, const char* What);  // coordinates: |v| < 2^30

// RECT with the smallest bit width that holds all four values.
void WriteRect(BitWriter& W, const Rect& R);
// MATRIX with scale and rotate parts only where they differ from identity.
void WriteMatrix(BitWriter& W, const Matrix& M);
// CXFORM (Alpha false) or CXFORMWITHALPHA.
void WriteCxform(BitWriter& W, const ColorTransform& C, bool Alpha);

}  // namespace swf::writer
