// Decimal text of extended floats, by exact big-integer arithmetic: slow
// next to a shortest-digits algorithm, but simple and right for every
// encoding, subnormals included.
#include "framework/src/portable/form_text_float.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

namespace vcl::form_text {

namespace {

constexpr int kDigits = 21;           // significant digits written
constexpr int kExpBias = 16383;
constexpr int kMinUlpExp = -16445;    // 2^kMinUlpExp: the smallest subnormal
constexpr int kMaxDecimalExp = 4933;  // above: too large for an extended
constexpr int kMinDecimalExp = -4952; // below: rounds to zero
constexpr size_t kMaxDigits = 12000;  // more significant digits only act as a sticky bit

// An unsigned big integer, little-endian 32-bit limbs, no leading zero limb.
using Big = std::vector<uint32_t>;

void Trim(Big& A) {
  while (!A.empty() && A.back() == 0) A.pop_back();
}

void MulSmall(Big& A, uint32_t M, uint32_t Add = 0) {
  uint64_t Carry = Add;
  for (auto& Limb : A) {
    const uint64_t V = uint64_t(Limb) * M + Carry;
    Limb = static_cast<uint32_t>(V);
    Carry = V >> 32;
  }
  if (Carry) A.push_back(static_cast<uint32_t>(Carry));
}

// Divides by D in place; returns the remainder.
uint32_t DivSmall(Big& A, uint32_t D) {
  uint64_t Rem = 0;
  for (size_t i = A.size(); i-- > 0;) {
    const uint64_t V = (Rem << 32) | A[i];
    A[i] = static_cast<uint32_t>(V / D);
    Rem = V % D;
  }
  Trim(A);
  return static_cast<uint32_t>(Rem);
}

void ShiftLeft(Big& A, size_t Bits) {
  if (A.empty() || Bits == 0) return;
  const size_t Limbs = Bits / 32, Rest = Bits % 32;
  A.insert(A.begin(), Limbs, 0);
  if (Rest) {
    uint32_t Carry = 0;
    for (size_t i = Limbs; i < A.size(); ++i) {
      const uint32_t V = A[i];
      A[i] = (V << Rest) | Carry;
      Carry = V >> (32 - Rest);
    }
    if (Carry) A.push_back(Carry);
  }
}

size_t BitLength(const Big& A) {
  return A.empty() ? 0 : A.size() * 32 - static_cast<size_t>(std::countl_zero(A.back()));
}

bool Bit(const Big& A, size_t Index) {
  return Index / 32 < A.size() && ((A[Index / 32] >> (Index % 32)) & 1u);
}

int Compare(const Big& A, const Big& B) {
  if (A.size() != B.size()) return A.size() < B.size() ? -1 : 1;
  for (size_t i = A.size(); i-- > 0;)
    if (A[i] != B[i]) return A[i] < B[i] ? -1 : 1;
  return 0;
}

// A -= B, where A >= B.
void Subtract(Big& A, const Big& B) {
  int64_t Borrow = 0;
  for (size_t i = 0; i < A.size(); ++i) {
    int64_t V = int64_t(A[i]) - Borrow - (i < B.size() ? int64_t(B[i]) : 0);
    Borrow = V < 0;
    if (V < 0) V += int64_t(1) << 32;
    A[i] = static_cast<uint32_t>(V);
  }
  Trim(A);
}

Big FromUint64(uint64_t V) {
  Big A{static_cast<uint32_t>(V), static_cast<uint32_t>(V >> 32)};
  Trim(A);
  return A;
}

void MulPow(Big& A, uint32_t Base, uint32_t ChunkBase, int ChunkExp, int Exp) {
  for (; Exp >= ChunkExp; Exp -= ChunkExp) MulSmall(A, ChunkBase);
  for (; Exp > 0; --Exp) MulSmall(A, Base);
}
void MulPow5(Big& A, int Exp) { MulPow(A, 5, 1220703125u, 13, Exp); }
void MulPow10(Big& A, int Exp) { MulPow(A, 10, 1000000000u, 9, Exp); }

std::string ToDecimal(Big A) {
  std::string Digits;
  while (!A.empty()) {
    uint32_t Chunk = DivSmall(A, 1000000000u);
    for (int i = 0; i < 9; ++i, Chunk /= 10) Digits.push_back(static_cast<char>('0' + Chunk % 10));
  }
  while (Digits.size() > 1 && Digits.back() == '0') Digits.pop_back();  // leading zeros
  std::reverse(Digits.begin(), Digits.end());
  return Digits;
}

std::string PadLeft(std::string S) {
  constexpr size_t kWidth = 29;  // the width of a finite number's text
  if (S.size() < kWidth) S.insert(0, kWidth - S.size(), ' ');
  return S;
}

}  // namespace

TExtended DoubleToExtended(double Value) {
  uint64_t Bits;
  std::memcpy(&Bits, &Value, sizeof Bits);
  const uint16_t Sign = (Bits >> 63) ? 0x8000 : 0;
  const int Exp = static_cast<int>((Bits >> 52) & 0x7FF);
  uint64_t Frac = Bits & ((uint64_t(1) << 52) - 1);
  if (Exp == 0x7FF) return {(uint64_t(1) << 63) | (Frac << 11), static_cast<uint16_t>(Sign | 0x7FFF)};
  if (Exp == 0) {
    if (Frac == 0) return {0, Sign};
    // A subnormal double is a normal extended.
    const int Shift = std::countl_zero(Frac);
    return {Frac << Shift, static_cast<uint16_t>(Sign | (kExpBias - 1022 - (Shift - 11)))};
  }
  return {(uint64_t(1) << 63) | (Frac << 11), static_cast<uint16_t>(Sign | (Exp - 1023 + kExpBias))};
}

std::string FormatExtended(TExtended Value) {
  const bool Negative = Value.SignExp & 0x8000;
  const int Exp = Value.SignExp & 0x7FFF;
  const uint64_t M = Value.Mantissa;
  if (Exp == 0x7FFF) {
    if ((M << 1) == 0) return PadLeft(Negative ? "-Inf" : "+Inf");
    return PadLeft("Nan");
  }
  if (Exp != 0 && !(M >> 63)) return PadLeft("Nan");  // an unnormal

  std::string Digits(kDigits, '0');
  int DecimalExp = 0;
  if (M != 0) {
    // Value = M * 2^E exactly; with E < 0 it is M * 5^-E / 10^-E.
    const int E = Exp ? Exp - kExpBias - 63 : kMinUlpExp;
    Big N = FromUint64(M);
    if (E >= 0)
      ShiftLeft(N, static_cast<size_t>(E));
    else
      MulPow5(N, -E);
    std::string All = ToDecimal(std::move(N));
    DecimalExp = static_cast<int>(All.size()) - 1 + std::min(E, 0);
    if (All.size() <= kDigits) {
      All.append(kDigits - All.size(), '0');
    } else {
      // Round to nearest, ties to even.
      const char Next = All[kDigits];
      const bool Beyond = All.find_first_not_of('0', kDigits + 1) != std::string::npos;
      const bool Up = Next > '5' || (Next == '5' && (Beyond || (All[kDigits - 1] - '0') % 2 == 1));
      All.resize(kDigits);
      if (Up) {
        size_t i = kDigits;
        while (i > 0 && All[i - 1] == '9') All[--i] = '0';
        if (i == 0) {
          All.insert(All.begin(), '1');  // 9.99... became 10.00...
          All.pop_back();
          ++DecimalExp;
        } else {
          ++All[i - 1];
        }
      }
    }
    Digits = std::move(All);
  }
  std::string Text;
  Text += Negative ? '-' : ' ';
  Text += Digits[0];
  Text += '.';
  Text.append(Digits, 1, std::string::npos);
  Text += 'E';
  Text += DecimalExp < 0 ? '-' : '+';
  const std::string ExpText = std::to_string(DecimalExp < 0 ? -DecimalExp : DecimalExp);
  Text.append(ExpText.size() < 4 ? 4 - ExpText.size() : 0, '0');
  Text += ExpText;
  return Text;
}

std::optional<TExtended> ParseExtended(std::string_view Text) {
  size_t Pos = 0;
  bool Negative = false;
  if (Pos < Text.size() && (Text[Pos] == '-' || Text[Pos] == '+')) Negative = Text[Pos++] == '-';
  // The significant digits (without leading zeros), and the power of ten of
  // the last one kept.
  std::string Digits;
  bool Sticky = false, AnyDigit = false;
  long long Scale = 0;
  auto TakeDigit = [&](char C, bool Fraction) {
    AnyDigit = true;
    if (Digits.empty() && C == '0') {
      if (Fraction) --Scale;
      return;
    }
    if (Digits.size() < kMaxDigits) {
      Digits.push_back(C);
      if (Fraction) --Scale;
    } else {
      Sticky |= C != '0';
      if (!Fraction) ++Scale;
    }
  };
  while (Pos < Text.size() && Text[Pos] >= '0' && Text[Pos] <= '9') TakeDigit(Text[Pos++], false);
  if (Pos < Text.size() && Text[Pos] == '.') {
    ++Pos;
    while (Pos < Text.size() && Text[Pos] >= '0' && Text[Pos] <= '9') TakeDigit(Text[Pos++], true);
  }
  if (!AnyDigit) return std::nullopt;
  if (Pos < Text.size() && (Text[Pos] == 'e' || Text[Pos] == 'E')) {
    ++Pos;
    bool ExpNegative = false;
    if (Pos < Text.size() && (Text[Pos] == '-' || Text[Pos] == '+')) ExpNegative = Text[Pos++] == '-';
    if (Pos == Text.size()) return std::nullopt;
    long long Exp10 = 0;
    for (; Pos < Text.size() && Text[Pos] >= '0' && Text[Pos] <= '9'; ++Pos)
      Exp10 = std::min(Exp10 * 10 + (Text[Pos] - '0'), 1000000LL);
    Scale += ExpNegative ? -Exp10 : Exp10;
  }
  if (Pos != Text.size()) return std::nullopt;

  const uint16_t Sign = Negative ? 0x8000 : 0;
  if (Digits.empty()) return TExtended{0, Sign};
  const long long Magnitude = Scale + static_cast<long long>(Digits.size()) - 1;
  if (Magnitude > kMaxDecimalExp) return std::nullopt;
  if (Magnitude < kMinDecimalExp) return TExtended{0, Sign};

  // Value = D * 10^Scale. Find Q = floor(Value * 2^Shift) with at least 66
  // bits, and whether anything was cut off.
  Big D;
  for (char C : Digits) MulSmall(D, 10, static_cast<uint32_t>(C - '0'));
  Big Q;
  long long Shift = 0;  // Value = (Q + fraction) * 2^-Shift
  if (Scale >= 0) {
    MulPow10(D, static_cast<int>(Scale));
    Q = std::move(D);
  } else {
    Big P{1};
    MulPow10(P, static_cast<int>(-Scale));
    // D * 2^Shift / P, with Shift chosen so the quotient has 66 or 67 bits.
    Shift = 66 + static_cast<long long>(BitLength(P)) - static_cast<long long>(BitLength(D));
    if (Shift >= 0)
      ShiftLeft(D, static_cast<size_t>(Shift));
    else
      ShiftLeft(P, static_cast<size_t>(-Shift));
    // Restoring division, one quotient bit at a time.
    const size_t QBits = BitLength(D) >= BitLength(P) ? BitLength(D) - BitLength(P) + 1 : 0;
    Q.assign(QBits / 32 + 1, 0);
    for (size_t b = QBits; b-- > 0;) {
      Big Part = P;
      ShiftLeft(Part, b);
      if (Compare(D, Part) >= 0) {
        Subtract(D, Part);
        Q[b / 32] |= 1u << (b % 32);
      }
    }
    Trim(Q);
    Sticky |= !D.empty();
  }
  // The exponent of Q's top bit, and of the last place kept.
  const long long Top = static_cast<long long>(BitLength(Q)) - 1 - Shift;
  long long Ulp = std::max(Top - 63, static_cast<long long>(kMinUlpExp));
  const long long Drop = Ulp + Shift;  // bits of Q below the last place
  uint64_t M = 0;
  if (Drop <= 0) {
    for (size_t i = 0; i < Q.size(); ++i) M |= uint64_t(Q[i]) << (32 * i);
    M <<= -Drop;
  } else {
    const size_t DropBits = static_cast<size_t>(Drop);
    for (size_t b = DropBits; b < BitLength(Q); ++b)
      if (Bit(Q, b)) M |= uint64_t(1) << (b - DropBits);
    const bool Half = Bit(Q, DropBits - 1);
    bool Below = Sticky;
    for (size_t b = 0; b + 1 < DropBits && !Below; ++b) Below = Bit(Q, b);
    if (Half && (Below || (M & 1))) {
      if (++M == 0) {  // carried out of 64 bits
        M = uint64_t(1) << 63;
        ++Ulp;
      }
    }
  }
  if (M == 0) return TExtended{0, Sign};
  if (!(M >> 63)) return TExtended{M, Sign};  // subnormal
  const long long Biased = Ulp + 63 + kExpBias;
  if (Biased >= 0x7FFF) return std::nullopt;
  return TExtended{M, static_cast<uint16_t>(Sign | Biased)};
}

}  // namespace vcl::form_text
