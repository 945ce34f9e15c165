// Variables and target paths: plain names through the scope chain, and the
// paths scripts write to reach other clips: "/a/b:v", "../c", "a.b.c",
// "_level1/a:v", "a:b.c:v".

#include <algorithm>
#include <cmath>
#include <string>

#include "renderers/engine/src/script/interpreter.h"

namespace swf {
namespace {

bool IsNumeric(const std::string& S) { return !S.empty() && !std::isnan(StringToNumber(S)); }

std::string Lowercase(std::string S) {
  for (char& c : S)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return S;
}

// "_level" and digits: the root of that level.
bool IsLevelName(const std::string& S) {
  if (S.size() <= 6 || S.size() > 15 || S.compare(0, 6, "_level") != 0) return false;
  for (size_t i = 6; i < S.size(); ++i)
    if (S[i] < '0' || S[i] > '9') return false;
  return true;
}

bool IsParentStep(const std::string& S, size_t Pos) {
  return S.compare(Pos, 2, "..") == 0 && (Pos + 2 == S.size() || S[Pos + 2] == '/' || S[Pos + 2] == ':');
}

// Where the variable's name starts in a path: after its last ':' or '.'
// (the dots of a ".." step are none); npos when the path names no variable.
size_t VariableSeparator(const std::string& Path) {
  for (size_t i = Path.size(); i-- > 0;) {
    if (Path[i] == ':') return i;
    if (Path[i] != '.') continue;
    bool step = (i > 0 && Path[i - 1] == '.') || (i + 1 < Path.size() && Path[i + 1] == '.');
    if (!step) return i;
  }
  return std::string::npos;
}

}  // namespace

ScriptClip* Interpreter::ClipOf(Frame& F, const Value& V) {
  if (!V.IsClip()) return nullptr;
  return runtime_.ResolveTarget(*F.target, V.string());
}

ScriptClip* Interpreter::TargetOf(Frame& F, const Value& V) {
  if (V.IsClip()) return ClipOf(F, V);
  if (V.IsUndefined()) return F.targetLost ? nullptr : F.target;
  const std::string path = V.ToString();
  if (path.empty() && F.targetLost) return nullptr;
  return runtime_.ResolveTarget(*F.target, path);
}

// GetProperty and SetProperty: an object (not a clip) is read by its
// toString but names no clip.
ScriptClip* Interpreter::PropertyTarget(Frame& F, const Value& V) {
  if (!V.IsObject()) return TargetOf(F, V);
  ToStringOf(V);
  return nullptr;
}

// The value SetProperty stores: an object is read by its toString for
// _name, not at all for the read-only texts (_target, _droptarget, _url),
// by its valueOf for the rest.
Value Interpreter::PropertyValue(int Index, const Value& V) {
  if (!V.IsObject()) return V;
  if (Index == 13) return Value::String(ToStringOf(V));
  if (Index == 11 || Index == 14 || Index == 15) return V;
  return ToPrimitiveOf(V);
}

void Interpreter::Retarget(Frame& F, ScriptClip* To) {
  F.targetLost = !To;
  if (To) {
    F.target = To;
    return;
  }
  ScriptClip* root = F.original->Level(F.original->LevelNumber());
  F.target = root ? root : F.original->Root();
}

ScriptClip& Interpreter::ScopeClip(Frame& F) {
  ScriptClip* t = F.target;
  if (!t->Removed()) return *t;
  // A removed clip's variables are out of reach: its level's root answers.
  ScriptClip* root = t->Level(t->LevelNumber());
  if (!root) root = t->Level(0);
  return root ? *root : *t;
}

Object* Interpreter::ScopeHolding(Frame& F, const std::string& Name) {
  for (auto it = F.scope.rbegin(); it != F.scope.rend(); ++it)
    if ((*it)->Has(Name)) return *it;
  return nullptr;
}

Value Interpreter::GetPlain(Frame& F, const std::string& Given) {
  // Before SWF 7 names match without regard to case, the built-in ones too.
  const std::string Name = runtime_.SwfVersion() < 7 && !Given.empty() && Given[0] != '$' ? Lowercase(Given) : Given;
  ScriptClip& clip = ScopeClip(F);
  if (Name == "this") {
    // A function that keeps `this` in a register or suppresses it: undefined
    // in SWF 5, the timeline's `this` (its clip) from SWF 6.
    if (!F.thisHidden) return F.thisValue;
    return runtime_.SwfVersion() < 6 ? Value() : ClipValue(F.original);
  }
  if (Name == "_root" || Name == "_parent" || Name == "_global") {
    // A variable of that name (`_root = "x"` on the timeline) hides the built-in one.
    for (auto it = F.scope.rbegin(); it != F.scope.rend(); ++it)
      if ((*it)->OwnProperty(Given))
        if (auto v = ReadVariable(*it, Value::Obj(*it), Given)) return *v;
    if (clip.Variables()->OwnProperty(Given))
      if (auto v = ReadVariable(clip.Variables(), ClipValue(&clip), Given)) return *v;
  }
  if (Name == "_root") return ClipValue(clip.Root());
  if (Name == "_parent") return ClipValue(clip.Parent());
  if (Name == "_global") return Value::Obj(runtime_.Global());
  if (Name == "super" && F.activation && F.superAllowed) return MakeSuper(F);
  if (IsLevelName(Name)) return ClipValue(clip.Level(std::stoi(Name.substr(6))));
  for (auto it = F.scope.rbegin(); it != F.scope.rend(); ++it)
    if (auto v = ReadVariable(*it, Value::Obj(*it), Given)) return *v;
  if (auto v = ReadVariable(clip.Variables(), ClipValue(&clip), Given)) return *v;
  // The timeline's own properties read as variables: `_x`, `_currentframe`.
  if (int index = PropertyIndex(Given); index >= 0) return GetClipProperty(clip, index);
  if (ScriptClip* c = clip.Child(Given)) return ClipValue(c);
  if (auto v = runtime_.Global()->Find(Given)) return *v;
  return Value();
}

std::optional<Value> Interpreter::ReadVariable(Object* O, const Value& This, const std::string& Name) {
  if (O->NamesProto(Name)) return O->Find(Name);
  const Object* holder = nullptr;
  const Property* p = O->FindProperty(Name, &holder);
  if (!p || (p->flags & HiddenFlags(runtime_.SwfVersion()))) return std::nullopt;
  if (p->getter) return CallValue(Value::Obj(p->getter), This, {}, CurrentClip(), const_cast<Object*>(holder));
  return p->value;
}

bool Interpreter::SetPlain(Frame& F, const std::string& Name, const Value& V) {
  if (Object* o = ScopeHolding(F, Name)) return SetObjectMember(o, Value::Obj(o), Name, V);
  // On the timeline: its properties, setters (its own or its prototype's) and watchers apply.
  // On this clip itself, not one its path may name first (a sibling of the same name).
  ScriptClip& clip = ScopeClip(F);
  Object* vars = clip.Variables();
  if (int index = PropertyIndex(Name); index >= 0 && !vars->OwnProperty(Name)) {
    clip.SetProperty(index, V);
    return true;
  }
  if (clip.SetDisplayProperty(Name, V)) return true;
  return SetObjectMember(vars, ClipValue(&clip), Name, V);
}

// A target path, step by step. The first step is a variable (or "..", or
// the root for a leading "/"); later ones are members, or ".." for the
// parent. Slashes and colons separate steps; so do dots, until the first
// slash: "a.b/c" reaches c, "a/b.c" looks for a child named "b.c". A step
// left empty inside the path ("a//b") leads nowhere.
Value Interpreter::ResolvePath(Frame& F, const std::string& Path) {
  ScriptClip& from = ScopeClip(F);
  Value at;
  size_t pos = 0;
  bool slashes = false;
  if (!Path.empty() && Path[0] == '/') {
    at = ClipValue(from.Root());
    pos = 1;
    slashes = true;
  }
  bool first = !slashes;
  while (pos <= Path.size()) {
    size_t next;
    std::string step;
    if (IsParentStep(Path, pos)) {
      next = pos + 2;
      step = "..";
    } else {
      next = Path.find_first_of(slashes ? "/:" : "/:.", pos);
      step = Path.substr(pos, next == std::string::npos ? std::string::npos : next - pos);
    }
    const bool last = next >= Path.size();
    if (first) {
      at = step.empty() ? ClipValue(&from) : step == ".." ? ClipValue(from.Parent()) : GetPlain(F, step);
      first = false;
    } else if (step.empty()) {
      if (!last) return Value();
    } else if (step == "..") {
      ScriptClip* c = ClipOf(F, at);
      at = c ? ClipValue(c->Parent()) : Value();
    } else if (IsLevelName(step)) {
      at = ClipValue(from.Level(std::stoi(step.substr(6))));
    } else {
      at = GetMember(F, at, step);
    }
    if (at.IsUndefined() || at.IsNull()) return Value();
    if (last) break;
    if (Path[next] == '/') slashes = true;
    pos = next + 1;
  }
  return at;
}

Value Interpreter::GetVariable(Frame& F, const std::string& Name) {
  if (Name.find_first_of("/:.") == std::string::npos || IsNumeric(Name)) return GetPlain(F, Name);
  size_t sep = VariableSeparator(Name);
  if (sep == std::string::npos) return ResolvePath(F, Name);
  Value of = sep == 0 ? ClipValue(&ScopeClip(F)) : ResolvePath(F, Name.substr(0, sep));
  if (of.IsUndefined() || of.IsNull()) return Value();
  return GetMember(F, of, Name.substr(sep + 1));
}

Value Interpreter::CalleeOf(Frame& F, const std::string& Name, Value& This) {
  if (Name.find_first_of("/:.") != std::string::npos && !IsNumeric(Name)) {
    size_t sep = VariableSeparator(Name);
    if (sep == std::string::npos) return ResolvePath(F, Name);
    Value of = sep == 0 ? ClipValue(&ScopeClip(F)) : ResolvePath(F, Name.substr(0, sep));
    if (of.IsUndefined() || of.IsNull()) return Value();
    This = of;
    return GetMember(F, of, Name.substr(sep + 1));
  }
  const std::string lower = Lowercase(Name);
  const bool special = lower == "this" || lower == "super" || lower == "_root" || lower == "_parent" ||
                       lower == "_global" || IsLevelName(lower);
  const size_t withCount = std::min({F.withs.size(), F.withValues.size(), F.scope.size()});
  for (size_t i = 0; i < withCount && !special; ++i) {
    Object* o = F.scope[F.scope.size() - 1 - i];
    if (!o->FindProperty(Name)) continue;
    This = F.withValues[F.withValues.size() - 1 - i];
    return GetMember(F, This, Name);
  }
  return GetVariable(F, Name);
}

bool Interpreter::SetVariable(Frame& F, const std::string& Name, const Value& V) {
  size_t sep = Name.find_first_of("/:.") == std::string::npos || IsNumeric(Name) ? std::string::npos
                                                                                 : VariableSeparator(Name);
  if (sep == std::string::npos) return SetPlain(F, Name, V);
  Value of = sep == 0 ? ClipValue(&ScopeClip(F)) : ResolvePath(F, Name.substr(0, sep));
  if (!of.IsClip() && !of.IsObject()) return false;
  return SetMember(F, of, Name.substr(sep + 1), V);
}

namespace {

bool IsPathName(const std::string& Name) { return Name.find_first_of("/:.") != std::string::npos && !IsNumeric(Name); }

}  // namespace

void Interpreter::DefineOnTimeline(Frame& F, const std::string& Name, const Value& V) {
  if (IsPathName(Name)) SetVariable(F, Name, V);
  else F.target->Variables()->Set(Name, V);
}

// Inside a function a path name is no local: the player defines that very
// name, unparsed, on the function's timeline.
void Interpreter::DefineLocal(Frame& F, const std::string& Name, const Value& V) {
  if (!F.activation) SetVariable(F, Name, V);
  else if (IsPathName(Name)) ScopeClip(F).Variables()->Set(Name, V);
  else F.activation->Set(Name, V);
}

void Interpreter::DeclareLocal(Frame& F, const std::string& Name) {
  if (!F.activation) {
    DeclareOnTimeline(F, Name);
    return;
  }
  Object* holder = IsPathName(Name) ? ScopeClip(F).Variables() : F.activation;
  if (!holder->Has(Name)) holder->Set(Name, Value());
}

void Interpreter::DeclareOnTimeline(Frame& F, const std::string& Name) {
  Object* holder = ScopeClip(F).Variables();
  std::string member = Name;
  if (IsPathName(Name)) {
    const size_t sep = VariableSeparator(Name);
    if (sep != std::string::npos) {
      const Value of = sep == 0 ? ClipValue(&ScopeClip(F)) : ResolvePath(F, Name.substr(0, sep));
      ScriptClip* c = ClipOf(F, of);
      holder = of.IsObject() ? of.object() : c ? c->Variables() : nullptr;
      member = Name.substr(sep + 1);
    }
  }
  // A variable the holder or its prototype already has stays as it is.
  if (holder && !holder->FindProperty(member)) holder->Set(member, Value());
}

std::string Interpreter::ClipText(const Value& V) {
  if (frames_.empty()) return V.string();
  return ClipOf(frames_.back(), V) ? V.string() : "";
}

ScriptClip* Interpreter::StandInHome(Frame& Caller, const Value& This) {
  if (ScriptClip* c = ClipOf(Caller, This)) return c;
  return ScopeClip(Caller).Root();
}

}  // namespace swf
