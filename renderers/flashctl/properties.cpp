// The saved form of the control's properties.
#include "renderers/flashctl/properties.h"

#include <cstring>

namespace flashctl {
namespace {

enum class Type : uint8_t { Int = 0, Bool = 1, String = 2 };

// One field: its tag, its type and where it lives in ControlProperties.
struct Field {
  uint16_t tag;
  Type type;
  int32_t ControlProperties::*integer = nullptr;
  bool ControlProperties::*boolean = nullptr;
  std::wstring ControlProperties::*text = nullptr;
};

constexpr Field S(uint16_t Tag, std::wstring ControlProperties::*M) { return {Tag, Type::String, nullptr, nullptr, M}; }
constexpr Field B(uint16_t Tag, bool ControlProperties::*M) { return {Tag, Type::Bool, nullptr, M, nullptr}; }
constexpr Field I(uint16_t Tag, int32_t ControlProperties::*M) { return {Tag, Type::Int, M, nullptr, nullptr}; }

// Tags are never reused: a removed field keeps its number.
constexpr Field kFields[] = {
    S(1, &ControlProperties::movie),          S(2, &ControlProperties::wmode),
    S(3, &ControlProperties::salign),         S(4, &ControlProperties::base),
    S(5, &ControlProperties::scale),          S(6, &ControlProperties::bgcolor),
    S(7, &ControlProperties::quality2),       S(8, &ControlProperties::swremote),
    S(9, &ControlProperties::flashVars),      S(10, &ControlProperties::allowScriptAccess),
    S(11, &ControlProperties::movieData),     S(12, &ControlProperties::profileAddress),
    S(13, &ControlProperties::allowNetworking), S(14, &ControlProperties::allowFullScreen),
    B(20, &ControlProperties::loop),          B(21, &ControlProperties::playing),
    B(22, &ControlProperties::menu),          B(23, &ControlProperties::deviceFont),
    B(24, &ControlProperties::embedMovie),    B(25, &ControlProperties::seamlessTabbing),
    B(26, &ControlProperties::profile),       I(40, &ControlProperties::quality),
    I(41, &ControlProperties::scaleMode),     I(42, &ControlProperties::alignMode),
    I(43, &ControlProperties::profilePort),   I(44, &ControlProperties::extentX),
    I(45, &ControlProperties::extentY),
};

constexpr char kMagic[4] = {'V', 'T', 'F', 'C'};

void Put(std::vector<uint8_t>& Out, uint32_t V, int Bytes) {
  for (int i = 0; i < Bytes; ++i) Out.push_back(static_cast<uint8_t>(V >> (8 * i)));
}

class Reader {
 public:
  explicit Reader(const std::vector<uint8_t>& D) : d_(D) {}
  bool AtEnd() const { return at_ == d_.size(); }
  bool Get(uint32_t& V, int Bytes) {
    if (d_.size() - at_ < size_t(Bytes)) return false;
    V = 0;
    for (int i = 0; i < Bytes; ++i) V |= uint32_t(d_[at_++]) << (8 * i);
    return true;
  }
  bool Text(std::wstring& T) {
    uint32_t n;
    if (!Get(n, 4) || (d_.size() - at_) / 2 < n) return false;
    T.resize(n);
    for (uint32_t i = 0; i < n; ++i, at_ += 2) T[i] = static_cast<wchar_t>(d_[at_] | (d_[at_ + 1] << 8));
    return true;
  }
  // Skips a field of an unknown tag.
  bool Skip(Type T) {
    uint32_t v;
    std::wstring text;
    switch (T) {
      case Type::Int: return Get(v, 4);
      case Type::Bool: return Get(v, 1);
      case Type::String: return Text(text);
    }
    return false;
  }

 private:
  const std::vector<uint8_t>& d_;
  size_t at_ = 0;
};

const Field* FindField(uint16_t Tag) {
  for (const Field& f : kFields)
    if (f.tag == Tag) return &f;
  return nullptr;
}

}  // namespace

std::optional<uint32_t> ParseColor(const std::wstring& Text) {
  if (Text.size() != 7 || Text[0] != L'#') return std::nullopt;
  uint32_t v = 0;
  for (size_t i = 1; i < 7; ++i) {
    const wchar_t c = Text[i];
    int d = -1;
    if (c >= L'0' && c <= L'9') d = c - L'0';
    else if (c >= L'a' && c <= L'f') d = c - L'a' + 10;
    else if (c >= L'A' && c <= L'F') d = c - L'A' + 10;
    if (d < 0) return std::nullopt;
    v = v * 16 + static_cast<uint32_t>(d);
  }
  return v;
}

std::vector<uint8_t> SaveProperties(const ControlProperties& P) {
  std::vector<uint8_t> payload;
  for (const Field& f : kFields) {
    Put(payload, f.tag, 2);
    Put(payload, static_cast<uint8_t>(f.type), 1);
    switch (f.type) {
      case Type::Int: Put(payload, static_cast<uint32_t>(P.*f.integer), 4); break;
      case Type::Bool: Put(payload, P.*f.boolean ? 1 : 0, 1); break;
      case Type::String: {
        const std::wstring& t = P.*f.text;
        Put(payload, static_cast<uint32_t>(t.size()), 4);
        for (wchar_t c : t) Put(payload, static_cast<uint16_t>(c), 2);
        break;
      }
    }
  }
  std::vector<uint8_t> out(kMagic, kMagic + 4);
  Put(out, kPropertiesVersion, 2);
  Put(out, static_cast<uint32_t>(payload.size()), 4);
  out.insert(out.end(), payload.begin(), payload.end());
  return out;
}

std::optional<uint32_t> PayloadSize(const uint8_t (&Header)[kPropertiesHeaderBytes]) {
  if (std::memcmp(Header, kMagic, 4) != 0) return std::nullopt;
  const uint32_t version = Header[4] | (Header[5] << 8);
  const uint32_t size = Header[6] | (Header[7] << 8) | (Header[8] << 16) | (uint32_t(Header[9]) << 24);
  if (version == 0 || version > kPropertiesVersion || size > kMaxPropertiesPayload) return std::nullopt;
  return size;
}

std::optional<ControlProperties> LoadProperties(const std::vector<uint8_t>& Payload) {
  ControlProperties p;
  Reader r(Payload);
  while (!r.AtEnd()) {
    uint32_t tag, type;
    if (!r.Get(tag, 2) || !r.Get(type, 1) || type > 2) return std::nullopt;
    const Field* f = FindField(static_cast<uint16_t>(tag));
    if (!f) {
      if (!r.Skip(static_cast<Type>(type))) return std::nullopt;
      continue;
    }
    if (f->type != static_cast<Type>(type)) return std::nullopt;
    uint32_t v;
    switch (f->type) {
      case Type::Int:
        if (!r.Get(v, 4)) return std::nullopt;
        p.*f->integer = static_cast<int32_t>(v);
        break;
      case Type::Bool:
        if (!r.Get(v, 1) || v > 1) return std::nullopt;
        p.*f->boolean = v == 1;
        break;
      case Type::String:
        if (!r.Text(p.*f->text)) return std::nullopt;
        break;
    }
  }
  if (p.quality < 0 || p.quality > 5 || p.scaleMode < 0 || p.scaleMode > 2) return std::nullopt;
  return p;
}

}  // namespace flashctl
