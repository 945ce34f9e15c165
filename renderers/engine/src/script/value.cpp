// Values and their conversions, objects and their members, clip paths.

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <optional>
#include <utility>

#include "renderers/engine/external.h"
#include "renderers/engine/src/script/internal.h"

namespace swf {

std::string NumberToString(double N) { return FormatExternalNumber(N); }

double LeadingNumber(const std::string& S) {
  size_t i = 0;
  while (i < S.size() && (S[i] == ' ' || S[i] == '\t' || S[i] == '\r' || S[i] == '\n')) ++i;
  size_t start = i;
  if (i < S.size() && (S[i] == '+' || S[i] == '-')) ++i;
  size_t digits = 0;
  while (i < S.size() && S[i] >= '0' && S[i] <= '9') ++i, ++digits;
  if (i < S.size() && S[i] == '.') {
    ++i;
    while (i < S.size() && S[i] >= '0' && S[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) return 0;
  if (i < S.size() && (S[i] == 'e' || S[i] == 'E')) {
    size_t j = i + 1;
    if (j < S.size() && (S[j] == '+' || S[j] == '-')) ++j;
    if (j < S.size() && S[j] >= '0' && S[j] <= '9') {
      while (j < S.size() && S[j] >= '0' && S[j] <= '9') ++j;
      i = j;
    }
  }
  return std::strtod(S.substr(start, i - start).c_str(), nullptr);
}

// Number text as Number() reads it: blanks may lead but not follow. From
// SWF 6 a leading zero makes an octal number when only octal digits follow
// ("010" is 8, " 010" is 10); octal and hexadecimal ("0x1F") numbers keep
// their low 32 bits, read as signed.
double StringToNumber(const std::string& S, int Version) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; };
  size_t b = 0;
  while (b < S.size() && blank(S[b])) ++b;
  if (b == S.size()) return NAN;
  const std::string t = S.substr(b);
  if (Version >= 6 && b == 0) {
    size_t d = t[0] == '-' || t[0] == '+' ? 1 : 0;
    if (t.size() > d + 1 && t[d] == '0' && t.find_first_not_of("01234567", d) == std::string::npos) {
      uint32_t v = 0;
      for (size_t i = d; i < t.size(); ++i) v = v * 8u + static_cast<uint32_t>(t[i] - '0');
      double n = static_cast<int32_t>(v);
      return t[0] == '-' ? -n : n;
    }
  }
  if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
    uint32_t v = 0;
    for (size_t i = 2; i < t.size(); ++i) {
      char c = t[i];
      int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
      if (d < 0) return NAN;
      v = v * 16u + static_cast<uint32_t>(d);
    }
    return static_cast<int32_t>(v);
  }
  // Digits, sign, point and exponent only: strtod alone would take "nan" and "inf".
  for (char c : t)
    if (!((c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '+' || c == '-')) return NAN;
  char* end = nullptr;
  double v = std::strtod(t.c_str(), &end);
  if (end != t.c_str() + t.size()) return NAN;
  return v;
}

namespace {
thread_local uint64_t work = 0;
thread_local bool refusedInstance = false;
}

void RefuseInstance() { refusedInstance = true; }

bool TakeRefusedInstance() { return std::exchange(refusedInstance, false); }

void ChargeWork(uint64_t Units) { work += Units; }

uint64_t TakeWork() {
  uint64_t w = work;
  work = 0;
  return w;
}

bool Value::IsFunction() const { return type_ == Type::Object && object_->IsFunction(); }

double Value::ToNumber() const {
  switch (type_) {
    case Type::Boolean:
    case Type::Number: return number_;
    case Type::String: return StringToNumber(string_);
    default: return NAN;
  }
}

double ArrayLength(const Object& A) {
  Value l = A.Get("length");
  double n = l.IsNumber() ? l.number() : 0;
  return std::isfinite(n) && n > 0 ? std::floor(n) : 0;
}

std::string JoinArray(const Object& A, const std::string& Separator, int Depth) {
  // Nested and self-containing arrays are cut off rather than followed forever.
  // Bounded in depth, elements and length so that one conversion stays cheap.
  if (Depth > 4) return "";
  constexpr double kMaxJoined = 10000;
  double n = std::min(ArrayLength(A), kMaxJoined);
  std::string out;
  for (double i = 0; i < n; ++i) {
    ChargeWork(1);
    if (i > 0) out += Separator;
    Value v = A.Get(NumberToString(i));
    if (v.IsObject() && v.object()->isArray)
      out += JoinArray(*v.object(), ",", Depth + 1);
    else if (!v.IsUndefined() || !A.caseless)  // undefined reads "" before SWF 7
      out += v.ToString();
    if (out.size() > (256u << 10)) break;
  }
  return out;
}

std::string Value::ToString() const {
  switch (type_) {
    case Type::Undefined: return "undefined";
    case Type::Null: return "null";
    case Type::Boolean: return number_ != 0 ? "true" : "false";
    case Type::Number: return NumberToString(number_);
    case Type::String:
    case Type::Clip: return string_;
    case Type::Object:
      if (object_->isArray) return JoinArray(*object_, ",");
      if (object_->IsFunction()) return "[type Function]";
      return "[object Object]";
  }
  return "";
}

bool Value::ToBoolean() const {
  switch (type_) {
    case Type::Undefined:
    case Type::Null: return false;
    case Type::Boolean:
    case Type::Number: return number_ != 0 && !std::isnan(number_);
    case Type::String: return !string_.empty();
    default: return true;
  }
}

std::string Value::TypeOf() const {
  switch (type_) {
    case Type::Undefined: return "undefined";
    case Type::Null: return "null";
    case Type::Boolean: return "boolean";
    case Type::Number: return "number";
    case Type::String: return "string";
    case Type::Clip: return "movieclip";
    case Type::Object: return object_->IsFunction() ? "function" : "object";
  }
  return "undefined";
}

bool operator==(const Value& A, const Value& B) {
  if (A.type_ != B.type_) return false;
  switch (A.type_) {
    case Value::Type::Undefined:
    case Value::Type::Null: return true;
    case Value::Type::Boolean:
    case Value::Type::Number: return A.number_ == B.number_;
    case Value::Type::String:
    case Value::Type::Clip: return A.string_ == B.string_;
    case Value::Type::Object: return A.object_ == B.object_;
  }
  return false;
}

// ---- objects ----

Object::Object() = default;
Object::~Object() = default;

std::string Object::Key(const std::string& Name) const {
  if (!caseless) return Name;
  std::string k = Name;
  for (char& c : k)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return k;
}

bool Object::NamesProto(const std::string& Name) const { return Name.size() == 9 && Key(Name) == "__proto__"; }

Property* Object::OwnProperty(const std::string& Name) {
  auto it = members_.find(Key(Name));
  return it == members_.end() ? nullptr : &it->second;
}

const Property* Object::OwnProperty(const std::string& Name) const {
  auto it = members_.find(Key(Name));
  return it == members_.end() ? nullptr : &it->second;
}

bool Object::Has(const std::string& Name) const {
  if (NamesProto(Name)) return prototype != nullptr || !protoValue.IsUndefined();
  return OwnProperty(Name) != nullptr;
}

Value Object::Get(const std::string& Name) const {
  if (NamesProto(Name)) return prototype ? Value::Obj(prototype) : protoValue;
  const Property* p = OwnProperty(Name);
  return p ? p->value : Value();
}

const Property* Object::FindProperty(const std::string& Name, const Object** Holder) const {
  const Object* o = this;
  for (int depth = 0; o && depth < 256; ++depth, o = o->prototype) {
    if (const Property* p = o->OwnProperty(Name)) {
      if (Holder) *Holder = o;
      return p;
    }
  }
  return nullptr;
}

std::optional<Value> Object::Find(const std::string& Name) const {
  if (NamesProto(Name)) {
    if (prototype) return Value::Obj(prototype);
    return protoValue.IsUndefined() ? std::nullopt : std::optional<Value>(protoValue);
  }
  const Property* p = FindProperty(Name);
  if (!p) return std::nullopt;
  return p->value;
}

Property& Object::Slot(const std::string& Name) {
  auto [it, created] = members_.try_emplace(Key(Name));
  if (created) {
    it->second.order = nextOrder_++;
    it->second.name = Name;
  }
  return it->second;
}

int32_t WrapInt32(double V) {
  if (!std::isfinite(V)) return 0;
  double m = std::fmod(std::trunc(V), 4294967296.0);
  if (m < 0) m += 4294967296.0;
  return static_cast<int32_t>(static_cast<uint32_t>(m));
}

namespace {

// The index an element name stands for: decimal digits, perhaps after a
// minus sign, read with 32-bit wrap-around as the reference player reads
// them ("4294967296" is element 0's neighbour in length arithmetic).
std::optional<int32_t> WrappedIndex(const std::string& Name) {
  size_t i = !Name.empty() && Name[0] == '-' ? 1 : 0;
  if (i == Name.size()) return std::nullopt;
  uint32_t v = 0;
  for (; i < Name.size(); ++i) {
    char c = Name[i];
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10u + static_cast<uint32_t>(c - '0');
  }
  if (Name[0] == '-') v = 0u - v;
  return static_cast<int32_t>(v);
}

// The element an own member name is: canonical decimal, 0 to 2^31 - 1; or -1.
double ElementIndex(const std::string& Name) {
  if (Name.empty() || Name.size() > 10) return -1;
  if (Name.size() > 1 && Name[0] == '0') return -1;
  double v = 0;
  for (char c : Name) {
    if (c < '0' || c > '9') return -1;
    v = v * 10 + (c - '0');
  }
  return v < 2147483648.0 ? v : -1;
}

}  // namespace

// An array's length is a 32-bit signed number: setting an element at or
// past it makes it the index plus one (wrapping), and lowering it removes
// the elements from the new length (at least 0) up to the old one, except
// those that may not be deleted.
void Object::SetArrayLength(int32_t N) {
  Property& p = Slot("length");
  double old = p.value.IsNumber() ? p.value.number() : 0;
  p.value = Value::Number(N);
  p.flags |= kDontEnum | kDontDelete;
  double from = std::max<double>(N, 0);
  if (from >= old) return;
  ChargeWork(members_.size());
  for (auto it = members_.begin(); it != members_.end();) {
    double i = ElementIndex(it->first);
    bool drop = i >= from && i < old && !(it->second.flags & kDontDelete);
    it = drop ? members_.erase(it) : std::next(it);
  }
}

void Object::Set(const std::string& Name, Value V) {
  if (NamesProto(Name)) {
    // Only an object continues the chain; anything else ends it, and reads back as it was set.
    prototype = V.IsObject() ? V.object() : nullptr;
    protoValue = V.IsObject() ? Value() : std::move(V);
    return;
  }
  if (isArray) {
    if (Name == "length") {
      SetArrayLength(WrapInt32(V.ToNumber()));
      return;
    }
    if (std::optional<int32_t> i = WrappedIndex(Name)) {
      const Property* l = OwnProperty("length");
      double length = l && l->value.IsNumber() ? l->value.number() : 0;
      if (*i >= length) SetArrayLength(static_cast<int32_t>(static_cast<uint32_t>(*i) + 1u));
    }
  }
  Slot(Name).value = std::move(V);
}

void Object::Define(const std::string& Name, Value V, uint8_t Flags) {
  if (NamesProto(Name)) {
    Set(Name, std::move(V));
    return;
  }
  Set(Name, std::move(V));
  Property& p = Slot(Name);
  p.getter = p.setter = nullptr;
  p.flags = Flags;
}

void Object::DefineAccessor(const std::string& Name, Object* Getter, Object* Setter, uint8_t Flags) {
  Property& p = Slot(Name);
  p.value = Value();
  p.getter = Getter;
  p.setter = Setter;
  p.flags = Flags;
}

bool Object::SetFlags(const std::string& Name, uint16_t Set, uint16_t Clear) {
  Property* p = OwnProperty(Name);
  if (!p) return false;
  p->flags = static_cast<uint16_t>((p->flags & ~Clear) | Set);
  return true;
}

bool Object::Delete(const std::string& Name) {
  if (NamesProto(Name)) {
    bool had = Has(Name);
    prototype = nullptr;
    protoValue = Value();
    return had;
  }
  if (isArray && Name == "length") return false;
  auto it = members_.find(Key(Name));
  if (it == members_.end() || (it->second.flags & kDontDelete)) return false;
  members_.erase(it);
  return true;
}

std::vector<std::string> Object::Keys(bool IncludeHidden) const {
  std::vector<const Property*> props;
  props.reserve(members_.size());
  for (const auto& [key, p] : members_)
    if (IncludeHidden || !(p.flags & kDontEnum)) props.push_back(&p);
  std::sort(props.begin(), props.end(), [](const Property* A, const Property* B) { return A->order < B->order; });
  std::vector<std::string> out;
  out.reserve(props.size());
  for (const Property* p : props) out.push_back(p->name);
  return out;
}

std::vector<std::pair<std::string, Value>> Object::OwnValues() const {
  std::vector<std::pair<std::string, Value>> out;
  for (const std::string& k : Keys()) out.emplace_back(k, Get(k));
  return out;
}

// ---- clips ----

ScriptClip* ScriptClip::Root() {
  // The level's root, unless a clip on the way up locks _root to itself
  // (_lockroot, set on the clip a movie is loaded into).
  ScriptClip* c = this;
  for (int i = 0; i < 4096; ++i) {
    ScriptClip* p = c->Parent();
    if (!p) break;
    const std::optional<Value> locked = c->DisplayProperty("_lockroot");
    if (locked && locked->type() == Value::Type::Boolean && locked->boolean()) break;
    c = p;
  }
  return c;
}

std::string ScriptClip::TargetPath() {
  std::vector<std::string> names;
  ScriptClip* c = this;
  for (int i = 0; i < 4096 && c->Parent(); ++i, c = c->Parent()) names.push_back(c->Name());
  std::string path = "_level" + std::to_string(c->LevelNumber());
  for (auto it = names.rbegin(); it != names.rend(); ++it) path += "." + *it;
  return path;
}

std::string ScriptClip::SlashPath() {
  std::vector<std::string> names;
  ScriptClip* c = this;
  for (int i = 0; i < 4096 && c->Parent(); ++i, c = c->Parent()) names.push_back(c->Name());
  if (names.empty()) return "/";
  std::string path;
  for (auto it = names.rbegin(); it != names.rend(); ++it) path += "/" + *it;
  return path;
}

int PropertyIndex(const std::string& Name) {
  static const char* names[] = {"_x",          "_y",         "_xscale",      "_yscale",    "_currentframe", "_totalframes",
                                "_alpha",      "_visible",   "_width",       "_height",    "_rotation",     "_target",
                                "_framesloaded", "_name",    "_droptarget",  "_url",       "_highquality",  "_focusrect",
                                "_soundbuftime", "_quality", "_xmouse",      "_ymouse"};
  // Display property names match in any case, in every version ("_X" is _x).
  auto same = [&](const char* Known) {
    size_t k = 0;
    for (; Known[k] && k < Name.size(); ++k)
      if (std::tolower(static_cast<unsigned char>(Name[k])) != Known[k]) return false;
    return !Known[k] && k == Name.size();
  };
  for (int i = 0; i < static_cast<int>(std::size(names)); ++i)
    if (same(names[i])) return i;
  return -1;
}

}  // namespace swf
