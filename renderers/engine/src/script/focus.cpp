// The keyboard focus: Selection keeps the target path of what holds it in a
// hidden member of its own object, which the runtime keeps as a built-in.
#include "renderers/engine/src/script/focus.h"

#include <algorithm>

#include "renderers/engine/src/player/text_field.h"
#include "renderers/engine/src/script/internal.h"
#include "renderers/engine/src/script/text_field_object.h"
#include "renderers/engine/src/text/text_layout.h"

namespace swf {
namespace {

constexpr const char* kFocusSlot = "_focus";

Object* SelectionObject(ScriptRuntime& R) { return R.BuiltinPrototype("Selection"); }

Value PathValue(const std::string& P) { return P.empty() ? Value::Null() : Value::ClipPath(P); }

// Calls onSetFocus on each listener of Selection (a copy of the list:
// listeners may remove themselves).
void TellListeners(NativeCall& C, Object* Selection, const std::string& Old, const std::string& New) {
  const Value list = C.Get(Value::Obj(Selection), "_listeners");
  if (!list.IsObject()) return;
  const double n = std::min(ArrayLength(*list.object()), 100000.0);
  std::vector<Value> listeners;
  for (double i = 0; i < n; ++i) listeners.push_back(list.object()->Get(NumberToString(i)));
  for (const Value& l : listeners) {
    ChargeWork(1);
    const Value fn = C.Get(l, "onSetFocus");
    if (fn.IsFunction()) C.Call(fn, l, {PathValue(Old), PathValue(New)});
  }
}

// The text field at Path, or nullptr.
detail::TextField* FieldAt(NativeCall& C, const std::string& Path) {
  ScriptClip* clip = Path.empty() ? nullptr : C.runtime.ResolveTarget(C.clip, Path);
  ScriptTextField* text = clip ? AsTextField(clip) : nullptr;
  return text ? text->Field() : nullptr;
}

}  // namespace

std::string FocusPath(ScriptRuntime& R) {
  Object* s = SelectionObject(R);
  return s ? s->Get(kFocusSlot).ToString() : std::string();
}

bool TakesFocus(NativeCall& C, ScriptClip& Target) {
  if (Target.IsTextField() || Target.IsButton()) return true;
  const Value clip = Value::ClipPath(Target.TargetPath());
  if (C.Get(clip, "focusEnabled").ToBoolean()) return true;
  for (const char* handler : {"onPress", "onRelease", "onReleaseOutside", "onRollOver", "onRollOut", "onDragOver",
                              "onDragOut"})
    if (!C.Get(clip, handler).IsUndefined()) return true;
  return false;
}

void MoveFocus(NativeCall& C, const std::string& Path) {
  Object* selection = SelectionObject(C.runtime);
  if (!selection) return;
  const std::string old = selection->Get(kFocusSlot).ToString();
  if (old == Path) return;
  // The field losing the focus no longer shows its selection.
  if (detail::TextField* f = FieldAt(C, old)) f->selectionShown = false;
  selection->Define(kFocusSlot, Value::String(Path), kDontEnum | kDontDelete);
  TellListeners(C, selection, old, Path);
  if (FocusPath(C.runtime) != Path) return;
  if (detail::TextField* f = FieldAt(C, Path)) {
    f->selectionAnchor = 0;
    f->selectionCaret = detail::DecodeUtf8(f->PlainText()).size();
    f->selectionShown = true;
  }
}

void DropFocusFromHidden(ScriptRuntime& R, ScriptHost& H, ScriptClip& Clip) {
  if (FocusPath(R).empty() || FocusPath(R) != Clip.TargetPath()) return;
  Object* drop = R.NewNative([](NativeCall& C) {
    MoveFocus(C, "");
    return Value();
  });
  const RootedObject keep(R, drop);
  R.CallFunction(Value::Obj(drop), Value(), {}, Clip, H);
}

}  // namespace swf
