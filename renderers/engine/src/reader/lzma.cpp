// LZMA: adaptive binary probabilities (11 bits, moved by 1/32) drive a range
// decoder; a 12-state machine over the last symbols chooses the contexts of
// literals, matches, and matches repeating one of the last four distances.
// The whole output is the dictionary, so a match copies from it directly.
#include "renderers/engine/src/reader/lzma.h"

#include <algorithm>
#include <array>
#include <string>

#include "renderers/engine/src/reader/stream.h"

namespace swf::detail {
namespace {

using Prob = uint16_t;
constexpr Prob kProbInit = 1024;  // one half
constexpr int kStates = 12;
constexpr int kMaxPosStates = 16;
constexpr unsigned kMatchMinLength = 2;
constexpr unsigned kEndPosModelIndex = 14;
constexpr unsigned kFullDistances = 128;
constexpr uint32_t kEndMarker = 0xFFFFFFFF;

class RangeDecoder {
 public:
  RangeDecoder(const uint8_t* Data, size_t Length) : data_(Data), length_(Length) {}

  // The first byte is always zero, then the initial code.
  bool Start() {
    if (Next() != 0) return false;
    for (int i = 0; i < 4; ++i) code_ = (code_ << 8) | Next();
    return true;
  }

  unsigned Bit(Prob& P) {
    Normalize();
    const uint32_t bound = (range_ >> 11) * P;
    if (code_ < bound) {
      range_ = bound;
      P = static_cast<Prob>(P + ((2048 - P) >> 5));
      return 0;
    }
    range_ -= bound;
    code_ -= bound;
    P = static_cast<Prob>(P - (P >> 5));
    return 1;
  }

  // Bits of equal probability.
  uint32_t Direct(unsigned Count) {
    uint32_t v = 0;
    while (Count--) {
      Normalize();
      range_ >>= 1;
      code_ -= range_;
      const uint32_t mask = 0u - (code_ >> 31);  // all ones when the bit is 0
      code_ += range_ & mask;
      v = (v << 1) + (mask + 1);
    }
    return v;
  }

  template <size_t N>
  unsigned Tree(std::array<Prob, N>& Probs, unsigned Bits) {
    unsigned m = 1;
    for (unsigned i = 0; i < Bits; ++i) m = (m << 1) | Bit(Probs[m]);
    return m - (1u << Bits);
  }

  // Least significant bit first; Probs[1] is the root.
  unsigned ReverseTree(Prob* Probs, unsigned Bits) {
    unsigned m = 1, v = 0;
    for (unsigned i = 0; i < Bits; ++i) {
      const unsigned bit = Bit(Probs[m]);
      m = (m << 1) | bit;
      v |= bit << i;
    }
    return v;
  }

  // Decisions made after the data ran out are not the encoder's.
  bool Overrun() const { return overrun_; }
  size_t Position() const { return pos_; }

 private:
  void Normalize() {
    if (range_ < (1u << 24)) {
      range_ <<= 8;
      code_ = (code_ << 8) | Next();
    }
  }
  uint8_t Next() {
    if (pos_ < length_) return data_[pos_++];
    overrun_ = true;
    return 0;
  }

  const uint8_t* data_;
  size_t length_;
  size_t pos_ = 0;
  uint32_t range_ = 0xFFFFFFFF, code_ = 0;
  bool overrun_ = false;
};

class LengthDecoder {
 public:
  LengthDecoder() {
    for (auto& t : low_) t.fill(kProbInit);
    for (auto& t : mid_) t.fill(kProbInit);
    high_.fill(kProbInit);
  }
  // 0-based: the length minus kMatchMinLength.
  unsigned Decode(RangeDecoder& R, unsigned PosState) {
    if (!R.Bit(choice_)) return R.Tree(low_[PosState], 3);
    if (!R.Bit(choice2_)) return 8 + R.Tree(mid_[PosState], 3);
    return 16 + R.Tree(high_, 8);
  }

 private:
  Prob choice_ = kProbInit, choice2_ = kProbInit;
  std::array<std::array<Prob, 8>, kMaxPosStates> low_, mid_;
  std::array<Prob, 256> high_;
};

class Decoder {
 public:
  Decoder(unsigned Lc, unsigned Lp, unsigned Pb, uint32_t Dictionary)
      : lc_(Lc), lpMask_((1u << Lp) - 1), pbMask_((1u << Pb) - 1),
        literals_(size_t{0x300} << (Lc + Lp), kProbInit) {
    // The dictionary as a decoder holding only that much would have it: at
    // least 4 KiB, in whole 16-byte units.
    dictionary_ = std::max<size_t>(4096, (size_t{Dictionary} + 15) & ~size_t{15});
    for (auto& row : isMatch_) row.fill(kProbInit);
    for (auto& row : isRep0Long_) row.fill(kProbInit);
    for (auto* p : {&isRep_, &isRepG0_, &isRepG1_, &isRepG2_}) p->fill(kProbInit);
    for (auto& t : posSlot_) t.fill(kProbInit);
    posSpecial_.fill(kProbInit);
    align_.fill(kProbInit);
  }

  LzmaOutput Run(RangeDecoder& R, size_t Size, size_t Base) {
    LzmaOutput result;
    std::vector<uint8_t>& out = result.bytes;
    while (out.size() < Size) {
      const size_t symbolStart = out.size();
      const Outcome outcome = Symbol(R, out, Size);
      if (R.Overrun()) {
        out.resize(symbolStart);
        result.cutOff = true;
        break;
      }
      if (outcome == Outcome::End) {
        result.endMarker = true;
        break;
      }
      if (outcome == Outcome::BadDistance)
        Fail("LZMA data refers to bytes before its start or its dictionary", Base + R.Position());
    }
    return result;
  }

 private:
  enum class Outcome { Ok, End, BadDistance };

  Outcome Symbol(RangeDecoder& R, std::vector<uint8_t>& Out, size_t Size) {
    const unsigned posState = static_cast<unsigned>(Out.size()) & pbMask_;
    if (!R.Bit(isMatch_[state_][posState])) {
      Literal(R, Out);
      state_ = state_ < 4 ? 0 : state_ < 10 ? state_ - 3 : state_ - 6;
      return Outcome::Ok;
    }
    unsigned length;
    if (R.Bit(isRep_[state_])) {
      if (Out.empty()) return Outcome::BadDistance;
      if (!R.Bit(isRepG0_[state_])) {
        if (!R.Bit(isRep0Long_[state_][posState])) {  // one byte at the last distance
          state_ = state_ < 7 ? 9 : 11;
          const uint8_t b = Out[Out.size() - rep_[0] - 1];
          Out.push_back(b);
          return Outcome::Ok;
        }
      } else {
        uint32_t distance;
        if (!R.Bit(isRepG1_[state_])) {
          distance = rep_[1];
        } else {
          if (!R.Bit(isRepG2_[state_])) {
            distance = rep_[2];
          } else {
            distance = rep_[3];
            rep_[3] = rep_[2];
          }
          rep_[2] = rep_[1];
        }
        rep_[1] = rep_[0];
        rep_[0] = distance;
      }
      length = repLength_.Decode(R, posState);
      state_ = state_ < 7 ? 8 : 11;
    } else {
      rep_[3] = rep_[2];
      rep_[2] = rep_[1];
      rep_[1] = rep_[0];
      length = matchLength_.Decode(R, posState);
      state_ = state_ < 7 ? 7 : 10;
      rep_[0] = Distance(R, length);
      if (rep_[0] == kEndMarker) return Outcome::End;
      if (rep_[0] >= std::min(Out.size(), dictionary_)) return Outcome::BadDistance;
    }
    // The declared size ends a match that runs past it.
    const size_t count = std::min<size_t>(length + kMatchMinLength, Size - Out.size());
    const size_t from = Out.size() - rep_[0] - 1;
    for (size_t i = 0; i < count; ++i) {
      const uint8_t b = Out[from + i];
      Out.push_back(b);
    }
    return Outcome::Ok;
  }

  void Literal(RangeDecoder& R, std::vector<uint8_t>& Out) {
    const unsigned previous = Out.empty() ? 0 : Out.back();
    const size_t context = ((Out.size() & lpMask_) << lc_) + (previous >> (8 - lc_));
    Prob* probs = &literals_[context * 0x300];
    unsigned symbol = 1;
    if (state_ >= 7) {  // after a match: the byte at the last distance guides the first bits
      unsigned matchByte = Out[Out.size() - rep_[0] - 1];
      while (symbol < 0x100) {
        const unsigned matchBit = (matchByte >> 7) & 1;
        matchByte <<= 1;
        const unsigned bit = R.Bit(probs[((1 + matchBit) << 8) + symbol]);
        symbol = (symbol << 1) | bit;
        if (bit != matchBit) break;
      }
    }
    while (symbol < 0x100) symbol = (symbol << 1) | R.Bit(probs[symbol]);
    Out.push_back(static_cast<uint8_t>(symbol));
  }

  uint32_t Distance(RangeDecoder& R, unsigned Length) {
    const unsigned slot = R.Tree(posSlot_[std::min(Length, 3u)], 6);
    if (slot < 4) return slot;
    const unsigned directBits = (slot >> 1) - 1;
    uint32_t distance = (2 | (slot & 1)) << directBits;
    if (slot < kEndPosModelIndex) return distance + R.ReverseTree(&posSpecial_[distance - slot], directBits);
    distance += R.Direct(directBits - 4) << 4;
    return distance + R.ReverseTree(align_.data(), 4);
  }

  unsigned lc_, lpMask_, pbMask_;
  size_t dictionary_ = 0;
  unsigned state_ = 0;
  std::array<uint32_t, 4> rep_{};
  std::vector<Prob> literals_;
  std::array<std::array<Prob, kMaxPosStates>, kStates> isMatch_, isRep0Long_;
  std::array<Prob, kStates> isRep_, isRepG0_, isRepG1_, isRepG2_;
  std::array<std::array<Prob, 64>, 4> posSlot_;
  // Reverse trees of the distances of slots 4 to 13, all in one array; each
  // tree's root is at its base + 1.
  std::array<Prob, 1 + kFullDistances - kEndPosModelIndex> posSpecial_;
  std::array<Prob, 16> align_;
  LengthDecoder matchLength_, repLength_;
};

}  // namespace

LzmaOutput DecodeLzma(const uint8_t* Properties, const uint8_t* Data, size_t Length, size_t Size, size_t Base) {
  unsigned p = Properties[0];
  if (p >= 9 * 5 * 5) Fail("bad LZMA properties", Base);
  const unsigned lc = p % 9;
  p /= 9;
  const unsigned lp = p % 5, pb = p / 5;
  const uint32_t dictionary = uint32_t{Properties[1]} | uint32_t{Properties[2]} << 8 |
                              uint32_t{Properties[3]} << 16 | uint32_t{Properties[4]} << 24;
  RangeDecoder range(Data, Length);
  const bool started = range.Start();
  if (range.Overrun()) return LzmaOutput{{}, Size > 0, false};
  if (!started) Fail("LZMA data does not start with a zero byte", Base);
  Decoder decoder(lc, lp, pb, dictionary);
  return decoder.Run(range, Size, Base);
}

}  // namespace swf::detail
