// The player's table of native functions by number: ASnative(table, index)
// gives one, ASSetNative(object, table, "name,name,...", first) installs a
// run of them on an object. Entries are the built-in methods as installed,
// taken when the library is set up so that a movie replacing a method later
// does not change what the number means.

#include <cmath>
#include <map>
#include <optional>
#include <utility>

#include "renderers/engine/src/script/internal.h"

namespace swf {
namespace {

struct NativeEntry {
  int table, index;
  const char* owner;  // a built-in prototype's class name
  const char* name;
};

// Date (table 103): the methods in the order the player numbers them.
constexpr NativeEntry kEntries[] = {
    {103, 0, "Date", "getFullYear"},     {103, 1, "Date", "getYear"},        {103, 2, "Date", "getMonth"},
    {103, 3, "Date", "getDate"},         {103, 4, "Date", "getDay"},         {103, 5, "Date", "getHours"},
    {103, 6, "Date", "getMinutes"},      {103, 7, "Date", "getSeconds"},     {103, 8, "Date", "getMilliseconds"},
    {103, 9, "Date", "setFullYear"},     {103, 10, "Date", "setMonth"},      {103, 11, "Date", "setDate"},
    {103, 12, "Date", "setHours"},       {103, 13, "Date", "setMinutes"},    {103, 14, "Date", "setSeconds"},
    {103, 15, "Date", "setMilliseconds"}, {103, 16, "Date", "getTime"},       {103, 17, "Date", "setTime"},
    {103, 18, "Date", "getTimezoneOffset"},
};

constexpr int kMathTable = 200;

// The table's entries, "table,index" to function, kept among the built-in
// prototypes (which pins it).
Object* Table(ScriptRuntime& R) {
  static const std::string kSlot = " native table";
  Object* table = R.BuiltinPrototype(kSlot);
  if (!table) {
    table = R.NewObject();
    table->prototype = nullptr;
    R.SetBuiltinPrototype(kSlot, table);
  }
  return table;
}

std::string Key(double Table, double Index) { return NumberToString(Table) + "," + NumberToString(Index); }

Value Lookup(ScriptRuntime& R, double Table, double Index) {
  if (!std::isfinite(Table) || !std::isfinite(Index)) return Value();
  Table = std::trunc(Table);
  Index = std::trunc(Index);
  if (Table == kMathTable) return MathNative(R, Index);
  return swf::Table(R)->Get(Key(Table, Index));
}

Value AsNative(NativeCall& C) {
  if (C.args.size() < 2) return Value();
  double table = C.ToNumber(C.args[0]);
  double index = C.ToNumber(C.args[1]);
  return Lookup(C.runtime, table, index);
}

// A name in ASSetNative's list may start with the SWF version it belongs
// to ("6name" .. "9name", "10name"): the member is created hidden from
// older movies. A leading "1" alone is a marker with no version; other
// digits are part of the name.
struct NativeName {
  std::string name;
  uint16_t flags = 0;
};

NativeName ParseNativeName(const std::string& Text) {
  if (Text.size() > 2 && Text[0] == '1' && Text[1] == '0') return {Text.substr(2), 16384};
  if (Text.size() > 1) {
    switch (Text[0]) {
      case '1': return {Text.substr(1), 0};
      case '6': return {Text.substr(1), 128};
      case '7': return {Text.substr(1), 1024};
      case '8': return {Text.substr(1), 4096};
      case '9': return {Text.substr(1), 8192};
      default: break;
    }
  }
  return {Text, 0};
}

// Calls Each(name, index) for every comma-separated name of the list, the
// index counting from First (an empty name uses a number up too).
template <typename F>
void ForEachNativeName(const std::string& Names, double First, F Each) {
  double index = First;
  size_t pos = 0;
  while (pos <= Names.size()) {
    ChargeWork(1);
    size_t comma = Names.find(',', pos);
    if (comma == std::string::npos) comma = Names.size();
    std::string text = Names.substr(pos, comma - pos);
    if (!text.empty()) Each(ParseNativeName(text), index);
    index += 1;
    pos = comma + 1;
  }
}

// The arguments ASSetNative and ASSetNativeAccessor share: (object, table,
// names, first); nothing when there is no object.
struct NativeTarget {
  Object* object;
  double table;
  std::string names;
  double first;
};

std::optional<NativeTarget> ReadNativeTarget(NativeCall& C) {
  if (C.args.size() < 3) return std::nullopt;
  Object* target = C.Arg(0).IsObject() ? C.args[0].object() : nullptr;
  if (!target) return std::nullopt;
  double table = C.ToNumber(C.args[1]);
  std::string names = C.ToString(C.args[2]);
  double first = C.args.size() > 3 ? C.ToNumber(C.args[3]) : 0;
  if (!std::isfinite(first)) first = 0;
  return NativeTarget{target, table, std::move(names), first};
}

// ASSetNative(object, table, names, first): each name takes the next
// native function. A member that exists keeps its place and flags and takes
// the function as its value; names the table has nothing for are left
// alone.
Value AsSetNative(NativeCall& C) {
  const std::optional<NativeTarget> t = ReadNativeTarget(C);
  if (!t) return Value();
  Object* target = t->object;
  const double table = t->table;
  ForEachNativeName(t->names, t->first, [&](const NativeName& n, double index) {
    Value fn = Lookup(C.runtime, table, index);
    if (!fn.IsFunction()) return;
    bool existed = target->OwnProperty(n.name) != nullptr;
    target->Set(n.name, fn);
    if (!existed) target->SetFlags(n.name, n.flags, 0);
  });
  return Value();
}

// ASSetNativeAccessor(object, table, names, first): each name becomes a
// property whose getter is the native numbered for it and whose setter the
// next one, replacing any member of that name. Called with nothing it
// answers itself.
Value AsSetNativeAccessor(NativeCall& C) {
  if (C.args.empty()) return C.runtime.Global()->Get("ASSetNativeAccessor");
  const std::optional<NativeTarget> t = ReadNativeTarget(C);
  if (!t) return Value();
  Object* target = t->object;
  const double table = t->table;
  ForEachNativeName(t->names, t->first, [&](const NativeName& n, double index) {
    Value get = Lookup(C.runtime, table, index);
    Value set = Lookup(C.runtime, table, index + 1);
    if (!get.IsFunction()) return;
    Object* setter = set.IsFunction() ? set.object() : C.runtime.NewNative([](NativeCall&) { return Value(); });
    target->DefineAccessor(n.name, get.object(), setter);
    target->SetFlags(n.name, n.flags, kVersionFlags);
  });
  return Value();
}

}  // namespace

void InstallNativeTable(ScriptRuntime& R) {
  Object* table = Table(R);
  for (const NativeEntry& e : kEntries) {
    Object* owner = R.BuiltinPrototype(e.owner);
    Value fn = owner ? owner->Get(e.name) : Value();
    if (fn.IsFunction()) table->Set(Key(e.table, e.index), fn);
  }
  R.Method(R.Global(), "ASnative", AsNative);
  R.Method(R.Global(), "ASSetNative", AsSetNative);
  R.Method(R.Global(), "ASSetNativeAccessor", AsSetNativeAccessor);
}

}  // namespace swf
