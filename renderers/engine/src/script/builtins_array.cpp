// The Array class: the constructor and the methods of arrays.
//
// The methods work on any object as `this` (movies borrow them for
// array-like objects): elements are the object's own members "0", "1", ...
// read without calling getters, and `length` is its own length member.
// Moving an element deletes it and sets it again, so elements that may not
// be deleted or written stay as they were, as in the reference player.
// Work over a movie's lengths is charged to the run and capped.

#include <algorithm>
#include <cmath>
#include <set>

#include "renderers/engine/src/script/internal.h"

namespace swf {
namespace {

constexpr double kMaxElements = 1 << 18;  // elements one call may walk (each may become a member)
constexpr size_t kMaxJoined = 1u << 22;   // bytes one join may make

enum SortOption : int {
  kCaseInsensitive = 1,
  kDescending = 2,
  kUniqueSort = 4,
  kReturnIndexedArray = 8,
  kNumeric = 16,
};

std::string Name(double I) { return NumberToString(I); }
Value Element(const Object& O, double I) { return O.Get(Name(I)); }

// Writes an element unless it exists read-only.
void Put(Object& O, double I, Value V) {
  const Property* p = O.OwnProperty(Name(I));
  if (p && (p->flags & kReadOnly)) return;
  O.Set(Name(I), std::move(V));
}

// Moves element From to To: To is deleted first, then written (holes become undefined).
void Move(Object& O, double From, double To) {
  Value v = Element(O, From);
  O.Delete(Name(To));
  Put(O, To, std::move(v));
}

void SetLength(Object& O, double N) { O.Set("length", Value::Number(N)); }

// The length of `this` for a method that walks its elements, charged to the run.
double WalkLength(const Object& O) {
  double n = ArrayLength(O);
  if (n > kMaxElements) throw ScriptAbort{"an array of more than " + NumberToString(kMaxElements) + " elements walked"};
  ChargeWork(static_cast<uint64_t>(n));
  return n;
}

// A relative position (negative counts from the end) clamped into [0, N].
double Position(double P, double N) {
  if (std::isnan(P)) return 0;
  P = std::trunc(P);
  if (P < 0) return std::max(0.0, N + P);
  return std::min(P, N);
}

std::vector<Value> Elements(const Object& O, double From, double To) {
  std::vector<Value> out;
  for (double i = From; i < To; ++i) out.push_back(Element(O, i));
  return out;
}

// Arrays being joined, so that an array holding itself joins as "".
thread_local std::set<const Object*> joining;

std::string ElementText(NativeCall& C, const Value& V) {
  if (V.IsUndefined()) return C.runtime.SwfVersion() >= 7 ? "undefined" : "";
  if (V.IsNull()) return "null";
  return C.ToString(V);
}

Value Join(NativeCall& C, Object& O, const std::string& Separator) {
  if (!joining.insert(&O).second) return Value::String("");
  struct Leave {
    const Object* o;
    ~Leave() { joining.erase(o); }
  } leave{&O};
  double n = WalkLength(O);
  std::string out;
  for (double i = 0; i < n; ++i) {
    if (i > 0) out += Separator;
    out += ElementText(C, Element(O, i));
    if (out.size() > kMaxJoined) throw ScriptAbort{"a joined array longer than " + std::to_string(kMaxJoined) + " bytes"};
  }
  return Value::String(std::move(out));
}

// ---- sorting ----

// Lowercases ASCII and the Latin-1 letters of UTF-8 text, enough for the
// case-insensitive order movies ask of sort.
std::string Folded(const std::string& S) {
  std::string out = S;
  for (size_t i = 0; i < out.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(out[i]);
    if (c >= 'A' && c <= 'Z') {
      out[i] = static_cast<char>(c - 'A' + 'a');
    } else if (c == 0xC3 && i + 1 < out.size()) {
      unsigned char d = static_cast<unsigned char>(out[i + 1]);
      if (d >= 0x80 && d <= 0x9E && d != 0x97) out[i + 1] = static_cast<char>(d + 0x20);
      ++i;
    }
  }
  return out;
}

// One value to sort by and its text, made once.
struct SortKey {
  Value value;
  std::string text;
};

int CompareKeys(const SortKey& A, const SortKey& B, int Options) {
  int r;
  if ((Options & kNumeric) && A.value.IsNumber() && B.value.IsNumber()) {
    double a = A.value.number(), b = B.value.number();
    // NaN sorts after every number.
    if (std::isnan(a) || std::isnan(b)) r = std::isnan(a) == std::isnan(b) ? 0 : std::isnan(a) ? 1 : -1;
    else r = a < b ? -1 : a > b ? 1 : 0;
  } else {
    int c = A.text.compare(B.text);
    r = c < 0 ? -1 : c > 0 ? 1 : 0;
  }
  return (Options & kDescending) ? -r : r;
}

SortKey KeyOf(NativeCall& C, const Value& V, int Options) {
  // Numbers keep their text too: NUMERIC compares a number with anything else as text.
  SortKey k{V, ElementText(C, V)};
  if (Options & kCaseInsensitive) k.text = Folded(k.text);
  return k;
}

// A stable merge sort of positions: it takes any answer from Less, so a
// comparison function that lies cannot lead it astray; each comparison is
// charged to the run.
template <typename Compare>
std::vector<size_t> SortedOrder(size_t N, Compare Cmp) {
  std::vector<size_t> order(N), scratch(N);
  for (size_t i = 0; i < N; ++i) order[i] = i;
  for (size_t width = 1; width < N; width *= 2) {
    for (size_t lo = 0; lo < N; lo += 2 * width) {
      size_t mid = std::min(lo + width, N), hi = std::min(lo + 2 * width, N);
      size_t a = lo, b = mid, out = lo;
      while (a < mid && b < hi) {
        ChargeWork(1);
        scratch[out++] = Cmp(order[b], order[a]) < 0 ? order[b++] : order[a++];
      }
      while (a < mid) scratch[out++] = order[a++];
      while (b < hi) scratch[out++] = order[b++];
    }
    order.swap(scratch);
  }
  return order;
}

// What sort and sortOn do once the order is known: report a duplicate
// (UNIQUESORT), give the indices (RETURNINDEXEDARRAY) or rewrite the array.
template <typename Compare>
Value FinishSort(NativeCall& C, Object& O, double N, int Options, Compare Cmp) {
  std::vector<size_t> order = SortedOrder(static_cast<size_t>(N), Cmp);
  if (Options & kUniqueSort) {
    for (size_t i = 1; i < order.size(); ++i)
      if (Cmp(order[i - 1], order[i]) == 0) return Value::Number(0);
  }
  if (Options & kReturnIndexedArray) {
    std::vector<Value> indices;
    for (size_t i : order) indices.push_back(Value::Number(static_cast<double>(i)));
    return Value::Obj(C.runtime.NewArray(indices));
  }
  std::vector<Value> values = Elements(O, 0, N);
  for (size_t i = 0; i < order.size(); ++i) Put(O, static_cast<double>(i), values[order[i]]);
  return C.thisValue;
}

Value Sort(NativeCall& C) {
  Object* o = C.ThisObject();
  if (!o) return Value();
  Value compare;
  int options = 0;
  if (!C.args.empty()) {
    const Value& first = C.args[0];
    if (C.args.size() > 1 && C.args[1].IsNumber() && (first.IsObject() || first.IsNumber())) {
      compare = first;
      options = WrapInt32(C.args[1].number());
    } else if (first.IsNumber()) {
      options = WrapInt32(first.number());
    } else if (first.IsObject()) {
      compare = first;
    } else {
      return Value();  // undefined, null, a boolean or a string: no sort
    }
    if (compare.IsNumber()) compare = Value();
  }
  double n = WalkLength(*o);
  std::vector<Value> values = Elements(*o, 0, n);
  if (compare.IsObject()) {
    // A comparison function (or an object that is none, which leaves every pair equal).
    int sign = (options & kDescending) ? -1 : 1;
    return FinishSort(C, *o, n, options, [&](size_t A, size_t B) {
      if (!compare.IsFunction()) return 0;
      double r = C.ToNumber(C.Call(compare, Value(), {values[A], values[B]}));
      return std::isnan(r) || r == 0 ? 0 : (r < 0 ? -sign : sign);
    });
  }
  std::vector<SortKey> keys;
  for (const Value& v : values) keys.push_back(KeyOf(C, v, options));
  return FinishSort(C, *o, n, options, [&](size_t A, size_t B) { return CompareKeys(keys[A], keys[B], options); });
}

Value SortOn(NativeCall& C) {
  Object* o = C.ThisObject();
  if (!o || C.args.empty()) return Value();
  // The field names, and options for each (an array of options counts only
  // when it names one for every field).
  std::vector<std::string> fields;
  Value names = C.Arg(0);
  if (names.IsObject() && names.object()->isArray) {
    double count = WalkLength(*names.object());
    for (double i = 0; i < count; ++i) fields.push_back(C.ToString(Element(*names.object(), i)));
  } else if (!names.IsUndefined()) {
    fields.push_back(C.ToString(names));
  }
  Value opts = C.Arg(1);
  if (!opts.IsNumber() && !(opts.IsObject() && opts.object()->isArray) && C.args.size() > 2) opts = C.Arg(2);
  std::vector<int> options(fields.size(), 0);
  if (opts.IsNumber()) {
    std::fill(options.begin(), options.end(), WrapInt32(opts.number()));
  } else if (opts.IsObject() && opts.object()->isArray && ArrayLength(*opts.object()) == static_cast<double>(fields.size())) {
    for (size_t i = 0; i < fields.size(); ++i) options[i] = WrapInt32(C.ToNumber(Element(*opts.object(), static_cast<double>(i))));
  }
  double n = WalkLength(*o);
  if (fields.empty()) return C.thisValue;
  std::vector<std::vector<SortKey>> keys(static_cast<size_t>(n));
  for (double i = 0; i < n; ++i) {
    Value v = Element(*o, i);
    for (size_t f = 0; f < fields.size(); ++f) {
      // An element that is no object sorts by itself.
      Value field = v.IsObject() ? C.Get(v, fields[f]) : v;
      keys[static_cast<size_t>(i)].push_back(KeyOf(C, field, options[f]));
    }
  }
  return FinishSort(C, *o, n, options[0], [&](size_t A, size_t B) {
    for (size_t f = 0; f < fields.size(); ++f)
      if (int r = CompareKeys(keys[A][f], keys[B][f], options[f])) return r;
    return 0;
  });
}

// ---- the other methods ----

Value Splice(NativeCall& C) {
  Object* o = C.ThisObject();
  if (!o || C.args.empty() || C.Arg(0).IsUndefined() || (C.args.size() > 1 && C.Arg(1).IsUndefined())) return Value();
  double n = WalkLength(*o);
  double start = Position(C.ToNumber(C.Arg(0)), n);
  double count = n - start;
  if (C.args.size() > 1) {
    count = std::trunc(C.ToNumber(C.Arg(1)));
    if (count < 0) return Value();  // a negative count changes nothing
    count = std::isnan(count) ? 0 : std::min(count, n - start);
  }
  std::vector<Value> removed = Elements(*o, start, start + count);
  std::vector<Value> items(C.args.begin() + std::min<size_t>(2, C.args.size()), C.args.end());
  double added = static_cast<double>(items.size());
  if (added < count) {
    for (double i = start + count; i < n; ++i) Move(*o, i, i - count + added);
    for (double i = n - count + added; i < n; ++i) o->Delete(Name(i));
  } else if (added > count) {
    for (double i = n - 1; i >= start + count; --i) Move(*o, i, i + added - count);
  }
  for (size_t i = 0; i < items.size(); ++i) {
    o->Delete(Name(start + static_cast<double>(i)));
    Put(*o, start + static_cast<double>(i), items[i]);
  }
  SetLength(*o, n - count + added);
  return Value::Obj(C.runtime.NewArray(removed));
}

Value Concat(NativeCall& C) {
  Object* o = C.ThisObject();
  std::vector<Value> out;
  auto append = [&](const Value& V) {
    if (V.IsObject() && V.object()->isArray) {
      double n = WalkLength(*V.object());
      for (double i = 0; i < n; ++i) out.push_back(Element(*V.object(), i));
    } else {
      out.push_back(V);
    }
    if (static_cast<double>(out.size()) > kMaxElements) throw ScriptAbort{"an array too long to concatenate"};
  };
  if (o) append(C.thisValue);
  for (const Value& v : C.args) append(v);
  return Value::Obj(C.runtime.NewArray(out));
}

Value Slice(NativeCall& C) {
  Object* o = C.ThisObject();
  if (!o) return Value();
  double n = WalkLength(*o);
  double from = C.args.empty() ? 0 : Position(C.ToNumber(C.Arg(0)), n);
  double to = C.args.size() < 2 || C.Arg(1).IsUndefined() ? n : Position(C.ToNumber(C.Arg(1)), n);
  return Value::Obj(C.runtime.NewArray(Elements(*o, from, std::max(from, to))));
}

void InstallMethods(ScriptRuntime& R, Object* P) {
  R.Method(P, "push", [](NativeCall& C) {
    Object* o = C.ThisObject();
    if (!o) return Value();
    double n = ArrayLength(*o);
    for (const Value& v : C.args) Put(*o, n++, v);
    SetLength(*o, n);
    return Value::Number(n);
  });
  R.Method(P, "pop", [](NativeCall& C) {
    Object* o = C.ThisObject();
    if (!o) return Value();
    double n = ArrayLength(*o);
    if (n == 0) return Value();
    Value last = Element(*o, n - 1);
    o->Delete(Name(n - 1));
    SetLength(*o, n - 1);
    return last;
  });
  R.Method(P, "shift", [](NativeCall& C) {
    Object* o = C.ThisObject();
    if (!o) return Value();
    double n = WalkLength(*o);
    if (n == 0) return Value();
    Value first = Element(*o, 0);
    for (double i = 1; i < n; ++i) Move(*o, i, i - 1);
    o->Delete(Name(n - 1));
    SetLength(*o, n - 1);
    return first;
  });
  R.Method(P, "unshift", [](NativeCall& C) {
    Object* o = C.ThisObject();
    if (!o) return Value();
    double n = WalkLength(*o), k = static_cast<double>(C.args.size());
    for (double i = n - 1; k > 0 && i >= 0; --i) {
      Put(*o, i + k, Element(*o, i));
      o->Delete(Name(i));
    }
    for (size_t i = 0; i < C.args.size(); ++i) Put(*o, static_cast<double>(i), C.args[i]);
    SetLength(*o, n + k);
    return Value::Number(n + k);
  });
  R.Method(P, "reverse", [](NativeCall& C) {
    Object* o = C.ThisObject();
    if (!o) return Value();
    double n = WalkLength(*o);
    std::vector<Value> values = Elements(*o, 0, n);
    for (double i = 0; i < n; ++i) {
      o->Delete(Name(i));
      Put(*o, i, values[static_cast<size_t>(n - 1 - i)]);
    }
    return C.thisValue;
  });
  R.Method(P, "join", [](NativeCall& C) {
    Object* o = C.ThisObject();
    if (!o) return Value();
    return Join(C, *o, C.Arg(0).IsUndefined() ? "," : C.ToString(C.Arg(0)));
  });
  R.Method(P, "toString", [](NativeCall& C) {
    Object* o = C.ThisObject();
    return o ? Join(C, *o, ",") : Value::String("");
  });
  R.Method(P, "splice", Splice);
  R.Method(P, "slice", Slice);
  R.Method(P, "concat", Concat);
  R.Method(P, "sort", Sort);
  R.Method(P, "sortOn", SortOn);
}

}  // namespace

void InstallArray(ScriptRuntime& R) {
  Object* methods = R.BuiltinPrototype("Array");
  Object* ctor = InstallClass(R, "Array", methods, [](NativeCall& C) {
    // Called on an object under construction (new, or a subclass's super()),
    // the object itself becomes the array.
    Object* a = IsConstructing(C) ? C.ThisObject() : C.runtime.NewArray({});
    if (!a->isArray) {
      a->isArray = true;
      a->Set("length", Value::Number(0));
    }
    if (C.args.size() == 1 && C.args[0].IsNumber()) {
      a->Set("length", C.args[0]);
    } else {
      for (size_t i = 0; i < C.args.size(); ++i) a->Set(Name(static_cast<double>(i)), C.args[i]);
    }
    return Value::Obj(a);
  });
  const std::pair<const char*, int> constants[] = {{"CASEINSENSITIVE", kCaseInsensitive},
                                                   {"DESCENDING", kDescending},
                                                   {"UNIQUESORT", kUniqueSort},
                                                   {"RETURNINDEXEDARRAY", kReturnIndexedArray},
                                                   {"NUMERIC", kNumeric}};
  for (const auto& [name, value] : constants) ctor->Define(name, Value::Number(value), kDontEnum | kDontDelete | kReadOnly);
  InstallMethods(R, methods);
}

}  // namespace swf
