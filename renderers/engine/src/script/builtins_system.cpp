// The objects that stand for the player and its machine: System (with
// capabilities and security), Key, Mouse, Stage, Selection, ContextMenu and
// ContextMenuItem, SharedObject and LocalConnection.
//
// The player here has no keyboard focus, full screen or context menu of its
// own: these objects keep what scripts set, answer as a player with nothing
// pressed would, and tell their listeners of the changes scripts make.

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>

#include "renderers/engine/src/player/text_field.h"
#include "renderers/engine/src/script/focus.h"
#include "renderers/engine/src/script/internal.h"
#include "renderers/engine/src/script/text_field_object.h"
#include "renderers/engine/src/text/text_layout.h"

namespace swf {
namespace {

constexpr uint8_t kHidden = kDontEnum | kDontDelete;

// ---- listeners ----

Object* Listeners(NativeCall& C) {
  Value l = C.Get(C.thisValue, "_listeners");
  return l.IsObject() ? l.object() : nullptr;
}

// Calls Name on each listener of Broadcaster with Args (a copy of the list:
// listeners may remove themselves).
void Broadcast(NativeCall& C, const Value& Broadcaster, const std::string& Name, const std::vector<Value>& Args) {
  Value list = C.Get(Broadcaster, "_listeners");
  if (!list.IsObject()) return;
  double n = std::min(ArrayLength(*list.object()), 100000.0);
  std::vector<Value> listeners;
  for (double i = 0; i < n; ++i) listeners.push_back(list.object()->Get(NumberToString(i)));
  for (const Value& l : listeners) {
    ChargeWork(1);
    Value fn = C.Get(l, Name);
    if (fn.IsFunction()) C.Call(fn, l, Args);
  }
}

// Makes O a broadcaster as AsBroadcaster.initialize does: its methods from
// AsBroadcaster when installed, and an empty _listeners list.
void MakeBroadcaster(ScriptRuntime& R, Object* O) {
  Value ab = R.Global()->Get("AsBroadcaster");
  auto method = [&](const char* Name, NativeFunction F) {
    Value shared = ab.IsObject() ? ab.object()->Get(Name) : Value();
    if (shared.IsFunction())
      O->Define(Name, shared, kDontEnum);
    else
      R.Method(O, Name, std::move(F));
  };
  method("addListener", [](NativeCall& C) {
    Object* l = Listeners(C);
    if (!l) return Value::Bool(false);
    double n = ArrayLength(*l);
    for (double i = 0; i < n; ++i)
      if (l->Get(NumberToString(i)) == C.Arg(0)) return Value::Bool(true);
    l->Set(NumberToString(n), C.Arg(0));
    return Value::Bool(true);
  });
  method("removeListener", [](NativeCall& C) {
    Object* l = Listeners(C);
    if (!l) return Value::Bool(false);
    double n = std::min(ArrayLength(*l), 100000.0);
    for (double i = 0; i < n; ++i) {
      if (!(l->Get(NumberToString(i)) == C.Arg(0))) continue;
      for (double j = i + 1; j < n; ++j) l->Set(NumberToString(j - 1), l->Get(NumberToString(j)));
      l->Set("length", Value::Number(n - 1));
      return Value::Bool(true);
    }
    return Value::Bool(false);
  });
  method("broadcastMessage", [](NativeCall& C) {
    if (C.args.empty()) return Value();
    Broadcast(C, C.thisValue, C.ToString(C.args[0]), std::vector<Value>(C.args.begin() + 1, C.args.end()));
    return Value();
  });
  O->Define("_listeners", Value::Obj(R.NewArray({})), kDontEnum);
}

Object* NewSingleton(ScriptRuntime& R, const std::string& Name) {
  Object* o = R.NewObject();
  R.Global()->Define(Name, Value::Obj(o), kDontEnum);
  return o;
}

// A member that reads through Get and writes through Set (either may be empty).
void Accessor(ScriptRuntime& R, Object* O, const std::string& Name, NativeFunction Get, NativeFunction Set = {}) {
  Object* getter = R.NewNative(std::move(Get));
  Object* setter = R.NewNative(Set ? std::move(Set) : NativeFunction([](NativeCall&) { return Value(); }));
  O->DefineAccessor(Name, getter, setter, kHidden);
}

// A value kept in a hidden member of the object itself, read and written through an accessor.
Value Stored(NativeCall& C, const std::string& Slot) {
  Object* o = C.ThisObject();
  return o ? o->Get(Slot) : Value();
}

// The text field holding the focus, or nullptr.
detail::TextField* FocusedField(NativeCall& C) {
  const std::string path = FocusPath(C.runtime);
  ScriptClip* clip = path.empty() ? nullptr : C.runtime.ResolveTarget(C.clip, path);
  ScriptTextField* text = clip ? AsTextField(clip) : nullptr;
  detail::TextField* field = text ? text->Field() : nullptr;
  return field && field->selectionShown ? field : nullptr;
}

// ---- System ----

void InstallSystem(ScriptRuntime& R) {
  Object* system = NewSingleton(R, "System");
  Object* caps = R.NewObject();
  const std::pair<const char*, Value> capabilities[] = {
      {"avHardwareDisable", Value::Bool(false)}, {"hasAccessibility", Value::Bool(true)},
      {"hasAudio", Value::Bool(true)},           {"hasAudioEncoder", Value::Bool(true)},
      {"hasEmbeddedVideo", Value::Bool(true)},   {"hasIME", Value::Bool(false)},
      {"hasMP3", Value::Bool(true)},             {"hasPrinting", Value::Bool(true)},
      {"hasScreenBroadcast", Value::Bool(false)}, {"hasScreenPlayback", Value::Bool(false)},
      {"hasStreamingAudio", Value::Bool(true)},  {"hasStreamingVideo", Value::Bool(true)},
      {"hasVideoEncoder", Value::Bool(true)},    {"isDebugger", Value::Bool(false)},
      {"language", Value::String("en")},         {"localFileReadDisable", Value::Bool(false)},
      {"manufacturer", Value::String("Adobe Windows")}, {"os", Value::String("Windows XP")},
      {"pixelAspectRatio", Value::Number(1)},    {"playerType", Value::String("StandAlone")},
      {"screenColor", Value::String("color")},   {"screenDPI", Value::Number(72)},
      {"screenResolutionX", Value::Number(1024)}, {"screenResolutionY", Value::Number(768)},
      {"version", Value::String("WIN 9,0,115,0")}};
  for (const auto& [name, value] : capabilities) caps->Define(name, value, kHidden | kReadOnly);
  system->Define("capabilities", Value::Obj(caps), kDontEnum);
  Object* security = R.NewObject();
  security->Define("sandboxType", Value::String("localWithFile"), kHidden | kReadOnly);
  for (const char* name : {"allowDomain", "allowInsecureDomain", "loadPolicyFile"})
    R.Method(security, name, [](NativeCall&) { return Value(); });
  system->Define("security", Value::Obj(security), kDontEnum);
  system->Set("useCodepage", Value::Bool(false));
  system->Set("exactSettings", Value::Bool(R.SwfVersion() >= 7));
  system->SetFlags("useCodepage", kDontEnum, 0);
  system->SetFlags("exactSettings", kDontEnum, 0);
  R.Method(system, "setClipboard", [](NativeCall&) { return Value::Bool(true); });
  R.Method(system, "showSettings", [](NativeCall&) { return Value(); });
  MakeBroadcaster(R, system);
}

// ---- Key and Mouse ----

void InstallKey(ScriptRuntime& R) {
  Object* key = NewSingleton(R, "Key");
  const std::pair<const char*, int> codes[] = {
      {"ALT", 18},   {"BACKSPACE", 8}, {"CAPSLOCK", 20}, {"CONTROL", 17}, {"DELETEKEY", 46}, {"DOWN", 40},
      {"END", 35},   {"ENTER", 13},    {"ESCAPE", 27},   {"HOME", 36},    {"INSERT", 45},    {"LEFT", 37},
      {"PGDN", 34},  {"PGUP", 33},     {"RIGHT", 39},    {"SHIFT", 16},   {"SPACE", 32},     {"TAB", 9},
      {"UP", 38}};
  for (const auto& [name, code] : codes) key->Define(name, Value::Number(code), kHidden | kReadOnly);
  // Nothing is pressed in a player without a keyboard of its own.
  R.Method(key, "isDown", [](NativeCall&) { return Value::Bool(false); });
  R.Method(key, "isToggled", [](NativeCall&) { return Value::Bool(false); });
  R.Method(key, "isAccessible", [](NativeCall&) { return Value::Bool(true); });
  R.Method(key, "getCode", [](NativeCall&) { return Value::Number(0); });
  R.Method(key, "getAscii", [](NativeCall&) { return Value::Number(0); });
  MakeBroadcaster(R, key);
}

void InstallMouse(ScriptRuntime& R) {
  Object* mouse = NewSingleton(R, "Mouse");
  // show and hide answer whether the pointer was shown before the call.
  R.Method(mouse, "show", [](NativeCall& C) {
    Object* m = C.ThisObject();
    bool was = !m || !m->Get("_hidden").ToBoolean();
    if (m) m->Define("_hidden", Value::Bool(false), kHidden);
    return Value::Number(was ? 1 : 0);
  });
  R.Method(mouse, "hide", [](NativeCall& C) {
    Object* m = C.ThisObject();
    bool was = !m || !m->Get("_hidden").ToBoolean();
    if (m) m->Define("_hidden", Value::Bool(true), kHidden);
    return Value::Number(was ? 1 : 0);
  });
  MakeBroadcaster(R, mouse);
}

// ---- Stage ----

// A text member that takes only the values listed (in any case), kept as listed.
void ChoiceAccessor(ScriptRuntime& R, Object* O, const std::string& Name, std::vector<std::string> Choices,
                    const std::string& Initial, std::string Event = {}) {
  const std::string slot = "_" + Name;
  O->Define(slot, Value::String(Initial), kHidden);
  Accessor(
      R, O, Name, [slot](NativeCall& C) { return Stored(C, slot); },
      [slot, Choices, Event](NativeCall& C) {
        Object* o = C.ThisObject();
        if (!o) return Value();
        std::string wanted = C.ToString(C.Arg(0));
        auto lower = [](std::string S) {
          for (char& c : S)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
          return S;
        };
        for (size_t i = 0; i < Choices.size(); ++i) {
          if (lower(Choices[i]) != lower(wanted)) continue;
          bool changed = o->Get(slot).ToString() != Choices[i];
          o->Define(slot, Value::String(Choices[i]), kHidden);
          if (changed && !Event.empty()) Broadcast(C, C.thisValue, Event, {Value::Bool(i == 1)});
          break;
        }
        return Value();
      });
}

void InstallStage(ScriptRuntime& R) {
  Object* stage = NewSingleton(R, "Stage");
  MakeBroadcaster(R, stage);
  ChoiceAccessor(R, stage, "scaleMode", {"showAll", "noBorder", "exactFit", "noScale"}, "showAll");
  ChoiceAccessor(R, stage, "displayState", {"normal", "fullScreen"}, "normal", "onFullScreen");
  stage->Define("_align", Value::String(""), kHidden);
  Accessor(
      R, stage, "align", [](NativeCall& C) { return Stored(C, "_align"); },
      [](NativeCall& C) {
        // The letters it takes (T, B, L, R), in the order the player gives them.
        std::string in = C.ToString(C.Arg(0)), out;
        for (char want : {'T', 'B', 'L', 'R'})
          for (char c : in)
            if ((c & ~0x20) == want) {
              out += want;
              break;
            }
        if (Object* o = C.ThisObject()) o->Define("_align", Value::String(out), kHidden);
        return Value();
      });
  stage->Define("_showMenu", Value::Bool(true), kHidden);
  Accessor(
      R, stage, "showMenu", [](NativeCall& C) { return Stored(C, "_showMenu"); },
      [](NativeCall& C) {
        if (Object* o = C.ThisObject()) o->Define("_showMenu", Value::Bool(C.Arg(0).ToBoolean()), kHidden);
        return Value();
      });
}

// ---- Selection ----

void InstallSelection(ScriptRuntime& R) {
  Object* selection = NewSingleton(R, "Selection");
  MakeBroadcaster(R, selection);
  // focus.cpp keeps the focus on the object, found again as a built-in.
  selection->Define("_focus", Value::String(""), kHidden);
  R.SetBuiltinPrototype("Selection", selection);
  R.Method(selection, "getFocus", [](NativeCall& C) {
    const std::string path = FocusPath(C.runtime);
    return path.empty() ? Value::Null() : Value::String(path);
  });
  R.Method(selection, "setFocus", [](NativeCall& C) {
    const Value target = C.Arg(0);
    std::string path;
    if (target.IsClip() || target.IsString()) {
      ScriptClip* clip = C.runtime.ResolveTarget(C.clip, target.string());
      if (!clip || !TakesFocus(C, *clip)) return Value::Bool(false);
      path = clip->TargetPath();
    } else if (!target.IsUndefined() && !target.IsNull()) {
      return Value::Bool(false);
    }
    MoveFocus(C, path);
    return Value::Bool(true);
  });
  // The selection in the focused text field; -1 when no field has the focus.
  auto index = [](size_t (*Which)(const detail::TextField&)) {
    return [Which](NativeCall& C) {
      const detail::TextField* f = FocusedField(C);
      return Value::Number(f ? static_cast<double>(Which(*f)) : -1);
    };
  };
  R.Method(selection, "getBeginIndex", index([](const detail::TextField& F) {
             return std::min(F.selectionAnchor, F.selectionCaret);
           }));
  R.Method(selection, "getEndIndex", index([](const detail::TextField& F) {
             return std::max(F.selectionAnchor, F.selectionCaret);
           }));
  R.Method(selection, "getCaretIndex", index([](const detail::TextField& F) { return F.selectionCaret; }));
  R.Method(selection, "setSelection", [](NativeCall& C) {
    detail::TextField* f = FocusedField(C);
    if (!f || C.args.empty()) return Value();
    const double length = static_cast<double>(detail::DecodeUtf8(f->PlainText()).size());
    // Each end held within the text; a missing end is the text's end.
    auto at = [&](const Value& V) {
      if (V.IsUndefined()) return static_cast<size_t>(length);
      const double n = C.ToNumber(V);
      return static_cast<size_t>(std::isnan(n) ? 0 : std::clamp(std::trunc(n), 0.0, length));
    };
    f->selectionAnchor = at(C.args[0]);
    f->selectionCaret = at(C.Arg(1));
    return Value();
  });
}

// ---- ContextMenu and ContextMenuItem ----

const char* const kBuiltInItems[] = {"print", "forward_back", "rewind", "loop", "play", "quality", "zoom", "save"};

Object* NewContextMenu(NativeCall& C, Object* Self, const Value& OnSelect) {
  Self->Set("onSelect", OnSelect);
  Object* items = C.runtime.NewObject();
  for (const char* name : kBuiltInItems) items->Set(name, Value::Bool(true));
  Self->Set("builtInItems", Value::Obj(items));
  Self->Set("customItems", Value::Obj(C.runtime.NewArray({})));
  return Self;
}

void InstallContextMenu(ScriptRuntime& R) {
  Object* menuProto = R.NewObject();
  InstallClass(R, "ContextMenu", menuProto, [](NativeCall& C) {
    Object* self = C.ThisObject();
    if (!self) return Value();
    NewContextMenu(C, self, C.Arg(0));
    return C.thisValue;
  });
  R.Method(menuProto, "copy", [](NativeCall& C) {
    Object* self = C.ThisObject();
    if (!self) return Value();
    Value copy = C.Construct(C.Get(Value::Obj(self), "constructor"), {C.Get(C.thisValue, "onSelect")});
    if (!copy.IsObject()) return Value();
    Value from = C.Get(C.thisValue, "builtInItems"), to = C.Get(copy, "builtInItems");
    if (from.IsObject() && to.IsObject())
      for (const char* name : kBuiltInItems) to.object()->Set(name, from.object()->Get(name));
    Value custom = C.Get(C.thisValue, "customItems"), copied = C.Get(copy, "customItems");
    if (custom.IsObject() && copied.IsObject()) {
      double n = std::min(ArrayLength(*custom.object()), 100000.0);
      for (double i = 0; i < n; ++i) {
        Value item = custom.object()->Get(NumberToString(i));
        Value itemCopy = C.Get(item, "copy");
        copied.object()->Set(NumberToString(i), itemCopy.IsFunction() ? C.Call(itemCopy, item, {}) : item);
      }
    }
    return copy;
  });
  R.Method(menuProto, "hideBuiltInItems", [](NativeCall& C) {
    Value items = C.Get(C.thisValue, "builtInItems");
    if (items.IsObject())
      for (const char* name : kBuiltInItems) items.object()->Set(name, Value::Bool(false));
    return Value();
  });

  Object* itemProto = R.NewObject();
  InstallClass(R, "ContextMenuItem", itemProto, [](NativeCall& C) {
    Object* self = C.ThisObject();
    if (!self) return Value();
    self->Set("caption", C.Arg(0));
    self->Set("onSelect", C.Arg(1));
    self->Set("separatorBefore", Value::Bool(C.Arg(2).ToBoolean()));
    self->Set("enabled", Value::Bool(C.args.size() > 3 ? C.Arg(3).ToBoolean() : true));
    self->Set("visible", Value::Bool(C.args.size() > 4 ? C.Arg(4).ToBoolean() : true));
    return C.thisValue;
  });
  R.Method(itemProto, "copy", [](NativeCall& C) {
    std::vector<Value> args;
    for (const char* name : {"caption", "onSelect", "separatorBefore", "enabled", "visible"})
      args.push_back(C.Get(C.thisValue, name));
    return C.Construct(C.Get(C.thisValue, "constructor"), args);
  });
}

// ---- SharedObject and LocalConnection ----

// The shared objects of a run by name, kept for the runtime's lifetime (in memory only).
class SharedObjects : public NativeData {
 public:
  std::map<std::string, Object*> byName;
  void References(std::vector<Object*>& Out) const override {
    for (const auto& [name, o] : byName) Out.push_back(o);
  }
};

void InstallSharedObject(ScriptRuntime& R) {
  Object* proto = R.NewObject();
  Object* ctor = InstallClass(R, "SharedObject", proto, [](NativeCall& C) { return C.thisValue; });
  // Kept on the prototype, which the runtime holds whatever the movie does to _global.
  proto->data = std::make_unique<SharedObjects>();
  R.Method(ctor, "getLocal", [](NativeCall& C) {
    std::string name = C.ToString(C.Arg(0)) + "|" + (C.Arg(1).IsUndefined() ? "" : C.ToString(C.Arg(1)));
    Object* shared = C.runtime.BuiltinPrototype("SharedObject");
    auto* objects = shared ? dynamic_cast<SharedObjects*>(shared->data.get()) : nullptr;
    if (!objects) return Value::Null();
    auto& list = objects->byName;
    auto it = list.find(name);
    if (it != list.end()) return Value::Obj(it->second);
    if (list.size() >= 1000) return Value::Null();
    Object* so = C.runtime.NewObject();
    so->prototype = C.runtime.BuiltinPrototype("SharedObject");
    so->Set("data", Value::Obj(C.runtime.NewObject()));
    list[name] = so;
    return Value::Obj(so);
  });
  R.Method(proto, "flush", [](NativeCall&) { return Value::Bool(true); });
  R.Method(proto, "clear", [](NativeCall& C) {
    if (Object* o = C.ThisObject()) o->Set("data", Value::Obj(C.runtime.NewObject()));
    return Value();
  });
  R.Method(proto, "close", [](NativeCall&) { return Value(); });
  R.Method(proto, "getSize", [](NativeCall& C) {
    // The length of the data's members as name=value text: a cheap measure, not the stored size.
    Value data = C.Get(C.thisValue, "data");
    if (!data.IsObject()) return Value::Number(0);
    double size = 0;
    for (const auto& [name, value] : data.object()->OwnValues()) size += static_cast<double>(name.size() + value.ToString().size());
    return Value::Number(size);
  });
  R.Method(proto, "setFps", [](NativeCall&) { return Value::Bool(false); });
}

// The connections movies opened here, by name in lower case, kept on
// LocalConnection's prototype.
class Connections : public NativeData {
 public:
  std::map<std::string, Object*> byName;
  void References(std::vector<Object*>& Out) const override {
    for (const auto& [name, o] : byName) Out.push_back(o);
  }
};

Connections* ConnectionsOf(NativeCall& C) {
  Object* proto = C.runtime.BuiltinPrototype("LocalConnection");
  return proto ? dynamic_cast<Connections*>(proto->data.get()) : nullptr;
}

std::string ConnectionName(NativeCall& C, const Value& V) {
  std::string name = C.ToString(V);
  std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return name;
}

// V as the receiving side gets it after the trip between movies: dates and
// XML as themselves, arrays and other objects (functions too) as plain
// copies of their enumerable members, clips and text fields as undefined.
Value CopyAcross(NativeCall& C, const Value& V, int Depth, size_t& Budget) {
  if (V.IsClip()) return Value();
  if (!V.IsObject()) return V;
  if (Depth > 32 || Budget == 0) return Value();
  --Budget;
  ChargeWork(1);
  Object* o = V.object();
  Object* global = C.runtime.Global();
  if (o->prototype && o->prototype == C.runtime.BuiltinPrototype("Date"))
    return C.Construct(global->Get("Date"), {Value::Number(C.ToNumber(V))});
  if (o->prototype && o->prototype == C.runtime.BuiltinPrototype("XML"))
    return C.Construct(global->Get("XML"), {Value::String(C.ToString(V))});
  std::vector<Value> elements;
  if (o->isArray) {
    const double n = std::min(ArrayLength(*o), static_cast<double>(Budget));
    for (double i = 0; i < n; ++i) elements.push_back(CopyAcross(C, o->Get(NumberToString(i)), Depth + 1, Budget));
    return Value::Obj(C.runtime.NewArray(elements));
  }
  Object* copy = C.runtime.NewObject();
  for (const auto& [name, value] : o->OwnValues()) copy->Set(name, CopyAcross(C, value, Depth + 1, Budget));
  return Value::Obj(copy);
}

// The sender's onStatus with an info object of Level ("status" or "error").
void TellSender(NativeCall& C, const Value& Sender, const char* Level) {
  Object* info = C.runtime.NewObject();
  info->Set("level", Value::String(Level));
  C.Call(C.Get(Sender, "onStatus"), Sender, {Value::Obj(info)});
}

void InstallLocalConnection(ScriptRuntime& R) {
  Object* proto = R.NewObject();
  InstallClass(R, "LocalConnection", proto, [](NativeCall& C) { return C.thisValue; });
  proto->data = std::make_unique<Connections>();
  // No other movie listens here: a connection reaches the receivers this
  // movie opened, a frame later (as a send travels between players).
  R.Method(proto, "connect", [](NativeCall& C) {
    Connections* all = ConnectionsOf(C);
    Object* self = C.ThisObject();
    if (!all || !self || C.args.empty() || !C.args[0].IsString()) return Value::Bool(false);
    const std::string name = ConnectionName(C, C.args[0]);
    if (name.empty() || all->byName.count(name) || all->byName.size() >= 1000) return Value::Bool(false);
    for (const auto& [other, receiver] : all->byName)
      if (receiver == self) return Value::Bool(false);  // one name a connection
    all->byName[name] = self;
    return Value::Bool(true);
  }, kHidden);
  R.Method(proto, "close", [](NativeCall& C) {
    if (Connections* all = ConnectionsOf(C))
      for (auto it = all->byName.begin(); it != all->byName.end();)
        it = it->second == C.ThisObject() ? all->byName.erase(it) : std::next(it);
    return Value();
  }, kHidden);
  R.Method(proto, "send", [](NativeCall& C) {
    if (C.args.size() < 2 || !C.ThisObject()) return Value::Bool(false);
    size_t budget = 10000;
    std::vector<Value> copies;
    for (size_t i = 2; i < C.args.size(); ++i) copies.push_back(CopyAcross(C, C.args[i], 0, budget));
    // Delivered by a timer of no delay, which runs as the next frame begins.
    Object* deliver = C.runtime.NewNative([](NativeCall& D) {
      Connections* all = ConnectionsOf(D);
      const Value sender = D.Arg(3);
      Object* found = nullptr;
      if (all) {
        const auto it = all->byName.find(D.ToString(D.Arg(0)));
        if (it != all->byName.end()) found = it->second;
      }
      if (!found) {
        TellSender(D, sender, "error");
        return Value();
      }
      const Value receiver = Value::Obj(found);
      std::vector<Value> args;
      if (D.Arg(2).IsObject()) {
        const Object& list = *D.Arg(2).object();
        const double n = std::min(ArrayLength(list), 10000.0);
        for (double i = 0; i < n; ++i) args.push_back(list.Get(NumberToString(i)));
      }
      D.Call(D.Get(receiver, D.ToString(D.Arg(1))), receiver, args);
      TellSender(D, sender, "status");
      return Value();
    });
    std::vector<Value> args{Value::String(ConnectionName(C, C.args[0])), Value::String(C.ToString(C.args[1])),
                            Value::Obj(C.runtime.NewArray(copies)), C.thisValue};
    const Value setTimeout = C.runtime.Global()->Get("setTimeout");
    const Value global = Value::Obj(C.runtime.Global());
    if (!setTimeout.IsFunction()) {  // movies before SWF 8 have no setTimeout: at once
      C.Call(Value::Obj(deliver), global, args);
      return Value::Bool(true);
    }
    args.insert(args.begin(), {Value::Obj(deliver), Value::Number(0)});
    C.Call(setTimeout, global, args);
    return Value::Bool(true);
  }, kHidden);
  R.Method(proto, "domain", [](NativeCall&) { return Value::String("localhost"); }, kHidden);
}

}  // namespace

void InstallSystemObjects(ScriptRuntime& R) {
  InstallSystem(R);
  InstallKey(R);
  InstallMouse(R);
  InstallStage(R);
  InstallSelection(R);
  InstallContextMenu(R);
  InstallSharedObject(R);
  InstallLocalConnection(R);
}

}  // namespace swf
