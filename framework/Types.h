#pragma once
// Plain geometry and the set template shared by every layer. Portable: no
// <windows.h> here, so pixel code and parsers build on the host as well.

#include <cstdint>
#include <initializer_list>
#include <type_traits>

namespace vcl {

struct TPoint {
  int32_t X = 0;
  int32_t Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

// Left and top inclusive, right and bottom exclusive.
struct TRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;
  int32_t Width() const { return Right - Left; }
  int32_t Height() const { return Bottom - Top; }
  bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  bool Contains(TPoint P) const { return P.X >= Left && P.X < Right && P.Y >= Top && P.Y < Bottom; }
  friend bool operator==(const TRect&, const TRect&) = default;
};

inline TRect Rect(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom) {
  return TRect{Left, Top, Right, Bottom};
}
inline TRect Bounds(int32_t Left, int32_t Top, int32_t Width, int32_t Height) {
  return TRect{Left, Top, Left + Width, Top + Height};
}

// A small set of enumeration values (at most 32), the framework's "set of".
template <class E>
class TSet {
  static_assert(std::is_enum_v<E>);
  uint32_t bits_ = 0;
  static constexpr uint32_t Bit(E e) { return 1u << static_cast<unsigned>(e); }

 public:
  using Element = E;
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> values) {
    for (E e : values) bits_ |= Bit(e);
  }
  constexpr bool Contains(E e) const { return (bits_ & Bit(e)) != 0; }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr TSet& Include(E e) { bits_ |= Bit(e); return *this; }
  constexpr TSet& Exclude(E e) { bits_ &= ~Bit(e); return *this; }
  constexpr uint32_t Bits() const { return bits_; }
  friend constexpr TSet operator+(TSet a, TSet b) { a.bits_ |= b.bits_; return a; }
  friend constexpr TSet operator-(TSet a, TSet b) { a.bits_ &= ~b.bits_; return a; }
  friend constexpr TSet operator*(TSet a, TSet b) { a.bits_ &= b.bits_; return a; }
  friend constexpr bool operator==(TSet, TSet) = default;
};

}  // namespace vcl
