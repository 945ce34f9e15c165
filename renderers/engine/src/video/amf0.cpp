// AMF0 values as FLV script data holds them. Every read is checked against
// the data's end, and nesting is bounded, so no input reads outside it or
// exhausts the stack; the values a stream can hold are bounded by its size.
#include "renderers/engine/src/video/amf0.h"

#include <cstring>

#include "renderers/engine/model.h"

namespace swf::video {
namespace {

constexpr int kMaxDepth = 64;

class AmfReader {
 public:
  AmfReader(const uint8_t* Data, size_t Size, size_t& Pos) : data_(Data), size_(Size), pos_(Pos) {}

  AmfValue Value(int Depth) {
    if (Depth > kMaxDepth) Fail("values nested deeper than " + std::to_string(kMaxDepth));
    const size_t at = pos_;
    AmfValue v;
    switch (U8()) {
      case 0x00: v.type = AmfValue::Type::Number; v.number = Double(); break;
      case 0x01: v.type = AmfValue::Type::Boolean; v.number = U8() ? 1 : 0; break;
      case 0x02: v.type = AmfValue::Type::String; v.string = String(U16()); break;
      case 0x03: v.type = AmfValue::Type::Object; Members(v, Depth); break;
      case 0x05: v.type = AmfValue::Type::Null; break;
      case 0x06: v.type = AmfValue::Type::Undefined; break;
      case 0x08:
        // An ECMA array: a count the writer may get wrong, then members up to the end marker.
        v.type = AmfValue::Type::Array;
        U32();
        Members(v, Depth);
        break;
      case 0x0A: {
        v.type = AmfValue::Type::StrictArray;
        const uint32_t n = U32();
        // Each item takes at least one byte: a count past the data is a cut-off array.
        if (n > size_ - pos_) Fail("a strict array of " + std::to_string(n) + " items runs past the end");
        for (uint32_t i = 0; i < n; ++i) v.items.push_back(Value(Depth + 1));
        break;
      }
      case 0x0B:
        v.type = AmfValue::Type::Date;
        v.number = Double();
        Need(2);  // the time zone, which readers ignore
        pos_ += 2;
        break;
      case 0x0C:
      case 0x0F: v.type = AmfValue::Type::String; v.string = String(U32()); break;
      case 0x10:
        v.type = AmfValue::Type::Object;
        v.string = String(U16());
        Members(v, Depth);
        break;
      case 0x0D: v.type = AmfValue::Type::Undefined; break;  // unsupported: no value follows
      default: pos_ = at; Fail("unknown type marker " + std::to_string(data_[at]));
    }
    return v;
  }

  // Names and values until the empty name and the object end marker (9).
  void Members(AmfValue& V, int Depth) {
    for (;;) {
      std::string name = String(U16());
      if (name.empty() && pos_ < size_ && data_[pos_] == 0x09) {
        ++pos_;
        return;
      }
      AmfValue member = Value(Depth + 1);
      V.members.push_back(AmfMember{std::move(name), std::move(member)});
    }
  }

  uint8_t U8() {
    Need(1);
    return data_[pos_++];
  }
  uint16_t U16() {
    Need(2);
    const uint16_t v = static_cast<uint16_t>(data_[pos_] << 8 | data_[pos_ + 1]);
    pos_ += 2;
    return v;
  }
  uint32_t U32() {
    Need(4);
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = v << 8 | data_[pos_ + static_cast<size_t>(i)];
    pos_ += 4;
    return v;
  }
  double Double() {
    Need(8);
    uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) bits = bits << 8 | data_[pos_ + static_cast<size_t>(i)];
    pos_ += 8;
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
  }
  std::string String(size_t N) {
    Need(N);
    std::string s(reinterpret_cast<const char*>(data_ + pos_), N);
    pos_ += N;
    return s;
  }

 private:
  void Need(size_t N) {
    if (size_ - pos_ < N) Fail("a value is cut off");
  }
  [[noreturn]] void Fail(const std::string& What) {
    throw FormatError("AMF0: " + What + " at offset " + std::to_string(pos_));
  }

  const uint8_t* data_;
  size_t size_;
  size_t& pos_;
};

}  // namespace

const AmfValue* AmfValue::Member(const std::string& Name) const {
  for (const auto& [name, value] : members)
    if (name == Name) return &value;
  return nullptr;
}

AmfValue ReadAmf0(const uint8_t* Data, size_t Size, size_t& Pos) {
  if (Pos > Size) throw FormatError("AMF0: a value is cut off at offset " + std::to_string(Pos));
  return AmfReader(Data, Size, Pos).Value(0);
}

}  // namespace swf::video
