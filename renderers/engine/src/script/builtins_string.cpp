// The String class. Strings are UTF-8 inside the runtime; the methods count
// and cut in UTF-16 units as the player does, so a character outside the
// basic plane counts twice and may be split in two (each half then reads
// as U+FFFD).

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "renderers/engine/src/script/internal.h"
#include "renderers/engine/src/script/string_case.h"
#include "renderers/engine/src/utf8.h"

namespace swf {
namespace {

std::u16string ToUtf16(const std::string& S) {
  std::u16string out;
  out.reserve(S.size());
  for (size_t i = 0; i < S.size();) {
    unsigned char c = static_cast<unsigned char>(S[i]);
    uint32_t cp = 0xFFFD;
    size_t n = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
    if (n == 0 || i + n > S.size()) {
      ++i;
    } else {
      cp = n == 1 ? c : n == 2 ? (c & 0x1Fu) : n == 3 ? (c & 0x0Fu) : (c & 0x07u);
      for (size_t k = 1; k < n; ++k) cp = (cp << 6) | (static_cast<unsigned char>(S[i + k]) & 0x3Fu);
      i += n;
    }
    if (cp >= 0x10000 && cp <= 0x10FFFF) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp > 0x10FFFF ? 0xFFFD : cp);
    }
  }
  return out;
}

std::string ToUtf8(const std::u16string& S) {
  std::string out;
  out.reserve(S.size());
  for (size_t i = 0; i < S.size(); ++i) {
    uint32_t c = S[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < S.size() && S[i + 1] >= 0xDC00 && S[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (S[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c < 0xE000) {
      c = 0xFFFD;  // half of a pair
    }
    detail::AppendUtf8(out, c);
  }
  return out;
}

// An index argument as the player reads it: a 32-bit integer, 0 for NaN.
double IntegerArg(NativeCall& C, const Value& V) {
  double n = C.ToNumber(V);
  if (!std::isfinite(n)) return 0;
  double m = std::fmod(std::trunc(n), 4294967296.0);
  if (m < 0) m += 4294967296.0;
  return static_cast<double>(static_cast<int32_t>(static_cast<uint32_t>(m)));
}

// The string `this` is, wraps or converts to.
std::string ThisString(NativeCall& C) {
  if (C.thisValue.IsString()) return C.thisValue.string();
  if (auto w = WrappedPrimitive(C.ThisObject()); w && w->IsString()) return w->string();
  return C.ToString(C.thisValue);
}

Value Piece(const std::u16string& S, double From, double To) {
  double n = static_cast<double>(S.size());
  From = std::clamp(From, 0.0, n);
  To = std::clamp(To, 0.0, n);
  if (To <= From) return Value::String("");
  return Value::String(ToUtf8(S.substr(static_cast<size_t>(From), static_cast<size_t>(To - From))));
}

std::string MapCase(const std::string& S, bool Upper) {
  std::u16string u = ToUtf16(S);
  ChargeWork(u.size() / 16);
  for (char16_t& c : u) c = Upper ? UpperCaseOf(c) : LowerCaseOf(c);
  return ToUtf8(u);
}

Value Split(NativeCall& C, const std::string& S) {
  Object* out = C.runtime.NewArray({});
  // SWF 5 movies split on a comma when given no separator, and keep the
  // string whole for an empty one (later ones cut it into characters).
  const bool swf5 = C.runtime.SwfVersion() < 6;
  Value sepArg = C.Arg(0);
  if (swf5 && sepArg.IsUndefined()) sepArg = Value::String(",");
  if (sepArg.IsUndefined()) {
    // No separator: the whole string, whatever the limit.
    out->Set("0", Value::String(S));
    return Value::Obj(out);
  }
  double limit = 4294967295.0;
  if (C.args.size() > 1 && !C.args[1].IsUndefined()) {
    limit = IntegerArg(C, C.args[1]);
    if (limit <= 0) return Value::Obj(out);
  }
  auto add = [&](std::string piece) {
    double n = ArrayLength(*out);
    if (n >= limit) return false;
    ChargeWork(1);
    out->Set(NumberToString(n), Value::String(std::move(piece)));
    return true;
  };
  std::string sep = C.ToString(sepArg);
  if (sep.empty() && swf5) {
    add(S);
    return Value::Obj(out);
  }
  if (sep.empty()) {
    std::u16string u = ToUtf16(S);
    for (char16_t c : u)
      if (!add(ToUtf8(std::u16string(1, c)))) break;
    return Value::Obj(out);
  }
  size_t pos = 0;
  while (true) {
    size_t at = S.find(sep, pos);
    if (at == std::string::npos) {
      add(S.substr(pos));
      break;
    }
    if (!add(S.substr(pos, at - pos))) break;
    pos = at + sep.size();
  }
  return Value::Obj(out);
}

void InstallMethods(ScriptRuntime& R, Object* P) {
  R.Method(P, "toString", [](NativeCall& C) {
    if (C.thisValue.IsString()) return C.thisValue;
    auto w = WrappedPrimitive(C.ThisObject());
    return w && w->IsString() ? *w : Value();
  });
  R.Method(P, "valueOf", [](NativeCall& C) {
    if (C.thisValue.IsString()) return C.thisValue;
    auto w = WrappedPrimitive(C.ThisObject());
    return w && w->IsString() ? *w : Value();
  });
  R.Method(P, "charAt", [](NativeCall& C) {
    std::u16string s = ToUtf16(ThisString(C));
    double i = IntegerArg(C, C.Arg(0));
    if (i < 0 || i >= static_cast<double>(s.size())) return Value::String("");
    return Value::String(ToUtf8(std::u16string(1, s[static_cast<size_t>(i)])));
  });
  R.Method(P, "charCodeAt", [](NativeCall& C) {
    std::u16string s = ToUtf16(ThisString(C));
    double i = IntegerArg(C, C.Arg(0));
    if (i < 0 || i >= static_cast<double>(s.size()))
      return Value::Number(C.runtime.SwfVersion() < 6 && i >= 0 ? 0 : NAN);
    return Value::Number(s[static_cast<size_t>(i)]);
  });
  R.Method(P, "concat", [](NativeCall& C) {
    std::string s = ThisString(C);
    for (const Value& v : C.args) {
      s += C.ToString(v);
      if (s.size() > (16u << 20)) break;
    }
    return Value::String(std::move(s));
  });
  R.Method(P, "indexOf", [](NativeCall& C) {
    if (C.args.empty()) return Value();
    std::u16string s = ToUtf16(ThisString(C)), what = ToUtf16(C.ToString(C.args[0]));
    double from = C.args.size() > 1 ? std::max(0.0, IntegerArg(C, C.args[1])) : 0;
    if (from > static_cast<double>(s.size())) return Value::Number(-1);
    size_t at = s.find(what, static_cast<size_t>(from));
    return Value::Number(at == std::u16string::npos ? -1 : static_cast<double>(at));
  });
  R.Method(P, "lastIndexOf", [](NativeCall& C) {
    if (C.args.empty()) return Value();
    std::u16string s = ToUtf16(ThisString(C)), what = ToUtf16(C.ToString(C.args[0]));
    double from = static_cast<double>(s.size());
    if (C.args.size() > 1 && !C.args[1].IsUndefined()) {
      from = IntegerArg(C, C.args[1]);
      if (from < 0) return Value::Number(-1);
    }
    size_t at = s.rfind(what, static_cast<size_t>(std::min(from, static_cast<double>(s.size()))));
    return Value::Number(at == std::u16string::npos ? -1 : static_cast<double>(at));
  });
  R.Method(P, "slice", [](NativeCall& C) {
    if (C.args.empty()) return Value();
    std::u16string s = ToUtf16(ThisString(C));
    double n = static_cast<double>(s.size());
    auto position = [&](const Value& v, double Default) {
      if (v.IsUndefined()) return Default;
      double i = IntegerArg(C, v);
      return i < 0 ? i + n : i;
    };
    return Piece(s, position(C.args[0], 0), position(C.Arg(1), n));
  });
  R.Method(P, "substring", [](NativeCall& C) {
    if (C.args.empty()) return Value();
    std::u16string s = ToUtf16(ThisString(C));
    double n = static_cast<double>(s.size());
    double a = C.args[0].IsUndefined() ? 0 : std::max(0.0, IntegerArg(C, C.args[0]));
    double b = C.args.size() < 2 || C.args[1].IsUndefined() ? n : std::max(0.0, IntegerArg(C, C.args[1]));
    if (a > b) std::swap(a, b);
    return Piece(s, a, b);
  });
  R.Method(P, "substr", [](NativeCall& C) {
    if (C.args.empty()) return Value();
    std::u16string s = ToUtf16(ThisString(C));
    double n = static_cast<double>(s.size());
    double start = C.args[0].IsUndefined() ? 0 : IntegerArg(C, C.args[0]);
    if (start < 0) start = std::max(0.0, start + n);
    double count = C.args.size() < 2 || C.args[1].IsUndefined() ? n : IntegerArg(C, C.args[1]);
    if (count < 0) {
      // A negative length counts from the end, and gives nothing when the piece would reach it.
      count += n;
      if (start + count >= n) return Value::String("");
    }
    return Piece(s, start, start + count);
  });
  R.Method(P, "split", [](NativeCall& C) { return Split(C, ThisString(C)); });
  R.Method(P, "toLowerCase", [](NativeCall& C) { return Value::String(MapCase(ThisString(C), false)); });
  R.Method(P, "toUpperCase", [](NativeCall& C) { return Value::String(MapCase(ThisString(C), true)); });
}

}  // namespace

double StringLength(const std::string& S) {
  double units = 0;
  for (unsigned char c : S)
    if ((c & 0xC0) != 0x80) units += (c & 0xF8) == 0xF0 ? 2 : 1;
  return units;
}

void InstallString(ScriptRuntime& R) {
  Object* proto = R.NewObject();
  Object* ctor = InstallClass(R, "String", proto, [](NativeCall& C) {
    std::string s = C.args.empty() ? "" : C.ToString(C.args[0]);
    if (!IsConstructing(C)) return Value::String(std::move(s));
    MakeWrapper(C.ThisObject(), Value::String(std::move(s)));
    return C.thisValue;
  });
  InstallMethods(R, proto);
  R.Method(ctor, "fromCharCode", [](NativeCall& C) {
    std::u16string s;
    for (const Value& v : C.args) {
      double n = C.ToNumber(v);
      if (!std::isfinite(n)) break;
      double m = std::fmod(std::trunc(n), 65536.0);
      if (m < 0) m += 65536.0;
      if (m == 0) break;  // a NUL ends the string
      s += static_cast<char16_t>(m);
    }
    return Value::String(ToUtf8(s));
  });
}

}  // namespace swf
