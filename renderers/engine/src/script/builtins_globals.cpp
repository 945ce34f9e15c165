// Global functions (parseInt, parseFloat, isNaN, isFinite, escape,
// unescape), the NaN and Infinity variables, and AsBroadcaster.

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "renderers/engine/src/script/internal.h"
#include "renderers/engine/src/utf8.h"

namespace swf {
namespace {

bool IsBlank(char C) { return C == ' ' || C == '\t' || C == '\n' || C == '\r' || C == '\v' || C == '\f'; }

int DigitValue(char C) {
  if (C >= '0' && C <= '9') return C - '0';
  if (C >= 'a' && C <= 'z') return C - 'a' + 10;
  if (C >= 'A' && C <= 'Z') return C - 'A' + 10;
  return 99;
}

Value ParseInt(NativeCall& C) {
  if (C.args.empty()) return Value::Number(NAN);
  std::string s = C.ToString(C.args[0]);
  size_t i = 0;
  while (i < s.size() && IsBlank(s[i])) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  auto hexPrefix = [&] { return i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X'); };
  int radix = 10;
  if (C.args.size() > 1 && !C.args[1].IsUndefined()) {
    double r = C.ToNumber(C.args[1]);
    if (std::isnan(r) || r < 2 || r >= 37) return Value::Number(NAN);
    radix = static_cast<int>(r);
    if (radix == 16 && hexPrefix()) i += 2;
  } else if (hexPrefix()) {
    radix = 16;
    i += 2;
  } else if (i + 1 < s.size() && s[i] == '0' && DigitValue(s[i + 1]) < 8) {
    radix = 8;  // a leading zero before octal digits
  }
  double v = 0;
  size_t start = i;
  for (; i < s.size() && DigitValue(s[i]) < radix; ++i) v = v * radix + DigitValue(s[i]);
  if (i == start) return Value::Number(NAN);
  return Value::Number(negative ? -v : v);
}

Value ParseFloat(NativeCall& C) {
  if (C.args.empty()) return Value::Number(NAN);
  std::string s = C.ToString(C.args[0]);
  size_t i = 0;
  while (i < s.size() && IsBlank(s[i])) ++i;
  // The longest prefix that reads as a decimal number.
  size_t b = i;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
  size_t digits = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) return Value::Number(NAN);
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    size_t e = i + 1;
    if (e < s.size() && (s[e] == '-' || s[e] == '+')) ++e;
    if (e < s.size() && s[e] >= '0' && s[e] <= '9') {
      while (e < s.size() && s[e] >= '0' && s[e] <= '9') ++e;
      i = e;
    }
  }
  return Value::Number(std::strtod(s.substr(b, i - b).c_str(), nullptr));
}

Value Escape(NativeCall& C) {
  if (C.args.empty()) return Value();
  std::string s = C.ToString(C.args[0]);
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(s.size());
  for (char ch : s) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c == 0) break;
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
      out += ch;
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return Value::String(std::move(out));
}

// Bytes that do not form UTF-8 stand for the Latin-1 characters of the same codes.
std::string ValidUtf8(const std::string& S) {
  std::string out;
  out.reserve(S.size());
  for (size_t i = 0; i < S.size();) {
    unsigned char c = static_cast<unsigned char>(S[i]);
    size_t n = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
    bool ok = n > 0 && i + n <= S.size() && (n != 2 || c >= 0xC2);
    for (size_t k = 1; ok && k < n; ++k) ok = (static_cast<unsigned char>(S[i + k]) & 0xC0) == 0x80;
    if (ok) {
      out.append(S, i, n);
      i += n;
    } else {
      detail::AppendUtf8(out, c);
      ++i;
    }
  }
  return out;
}

Value Unescape(NativeCall& C) {
  if (C.args.empty()) return Value();
  std::string s = C.ToString(C.args[0]);
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() && DigitValue(s[i + 1]) < 16 && DigitValue(s[i + 2]) < 16) {
      char c = static_cast<char>(DigitValue(s[i + 1]) * 16 + DigitValue(s[i + 2]));
      i += 2;
      if (c == 0) break;
      out += c;
    } else {
      out += s[i];
    }
  }
  return Value::String(ValidUtf8(out));
}

// ---- AsBroadcaster ----

// Loose equality of listeners: null and undefined match, primitives by value, objects by identity.
bool SameListener(const Value& A, const Value& B) {
  bool aNull = A.IsUndefined() || A.IsNull(), bNull = B.IsUndefined() || B.IsNull();
  if (aNull || bNull) return aNull && bNull;
  if (A.type() == B.type()) return A == B;
  if (A.IsObject() || B.IsObject() || A.IsClip() || B.IsClip()) return false;
  return A.ToNumber() == B.ToNumber();
}

// The broadcaster's _listeners array, made anew when it is not an object.
Object* Listeners(NativeCall& C, bool Create) {
  Value list = C.Get(C.thisValue, "_listeners");
  if (list.IsObject()) return list.object();
  if (!Create) return nullptr;
  Object* a = C.runtime.NewArray({});
  C.Set(C.thisValue, "_listeners", Value::Obj(a));
  return a;
}

std::vector<Value> Elements(const Object& A) {
  double n = std::min(ArrayLength(A), 1e6);
  ChargeWork(static_cast<uint64_t>(n));
  std::vector<Value> out;
  for (double i = 0; i < n; ++i) out.push_back(A.Get(NumberToString(i)));
  return out;
}

void StoreElements(Object& A, const std::vector<Value>& Elements) {
  A.Set("length", Value::Number(0));
  for (size_t i = 0; i < Elements.size(); ++i) A.Set(NumberToString(static_cast<double>(i)), Elements[i]);
  A.Set("length", Value::Number(static_cast<double>(Elements.size())));
}

bool RemoveListener(Object& List, const Value& Listener) {
  std::vector<Value> all = Elements(List);
  for (size_t i = 0; i < all.size(); ++i) {
    if (!SameListener(all[i], Listener)) continue;
    all.erase(all.begin() + static_cast<std::ptrdiff_t>(i));
    StoreElements(List, all);
    return true;
  }
  return false;
}

void InstallBroadcasterMethods(ScriptRuntime& R, Object* B) {
  R.Method(B, "addListener", [](NativeCall& C) {
    Object* list = Listeners(C, true);
    RemoveListener(*list, C.Arg(0));
    std::vector<Value> all = Elements(*list);
    list->Set(NumberToString(static_cast<double>(all.size())), C.Arg(0));
    return Value::Bool(true);
  });
  R.Method(B, "removeListener", [](NativeCall& C) {
    Object* list = Listeners(C, false);
    return Value::Bool(list && RemoveListener(*list, C.Arg(0)));
  });
  R.Method(B, "broadcastMessage", [](NativeCall& C) {
    if (C.args.empty()) return Value();
    Object* list = Listeners(C, false);
    if (!list) return Value();
    std::string name = C.ToString(C.args[0]);
    std::vector<Value> args(C.args.begin() + 1, C.args.end());
    std::vector<Value> all = Elements(*list);  // listeners may come and go while it runs
    if (all.empty()) return Value();
    for (const Value& l : all) {
      Value fn = name.empty() ? l : C.Get(l, name);
      C.Call(fn, l, args);
    }
    return Value::Bool(true);
  });
}

}  // namespace

void InstallGlobalFunctions(ScriptRuntime& R) {
  Object* g = R.Global();
  g->Define("NaN", Value::Number(NAN), kDontEnum);
  g->Define("Infinity", Value::Number(INFINITY), kDontEnum);
  R.Method(g, "parseInt", ParseInt);
  R.Method(g, "parseFloat", ParseFloat);
  R.Method(g, "isNaN", [](NativeCall& C) { return Value::Bool(std::isnan(C.args.empty() ? NAN : C.ToNumber(C.args[0]))); });
  R.Method(g, "isFinite", [](NativeCall& C) {
    return Value::Bool(std::isfinite(C.args.empty() ? NAN : C.ToNumber(C.args[0])));
  });
  R.Method(g, "escape", Escape);
  R.Method(g, "unescape", Unescape);
}

void InstallBroadcaster(ScriptRuntime& R) {
  Object* proto = R.NewObject();
  Object* ctor = InstallClass(R, "AsBroadcaster", proto, [](NativeCall& C) {
    return IsConstructing(C) ? C.thisValue : Value();
  });
  InstallBroadcasterMethods(R, ctor);
  R.Method(ctor, "initialize", [](NativeCall& C) {
    Object* target = C.Arg(0).IsObject() ? C.args[0].object() : nullptr;
    if (C.Arg(0).IsClip())
      if (ScriptClip* clip = C.runtime.ResolveTarget(C.clip, C.args[0].string())) target = clip->Variables();
    if (!target) return Value();
    // The methods are AsBroadcaster's own, so broadcaster.addListener == AsBroadcaster.addListener.
    Object* self = C.ThisObject();
    for (const char* name : {"broadcastMessage", "addListener", "removeListener"})
      if (self) target->Define(name, self->Get(name), kDontEnum);
    target->Define("_listeners", Value::Obj(C.runtime.NewArray({})), kDontEnum);
    return Value();
  });
}

}  // namespace swf
