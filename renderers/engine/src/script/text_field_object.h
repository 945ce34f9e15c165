#pragma once
// A text field instance as the TextField class reaches it. The clips that
// stand for text field instances implement this beside ScriptClip.

#include "renderers/engine/fonts.h"
#include "renderers/engine/script.h"

namespace swf {
namespace detail {
class TextField;
}

class ScriptTextField {
 public:
  virtual ~ScriptTextField() = default;
  // The field, or nullptr when its instance has gone.
  virtual detail::TextField* Field() = 0;
  // Where the field finds device fonts to measure its text; may be nullptr.
  virtual FontService* Fonts() = 0;
  // The instance's depth as scripts number it (getDepth).
  virtual int FieldDepth() = 0;
  // removeTextField: takes the instance off its timeline.
  virtual void RemoveField() = 0;
  // After a script changed the field's box or text: applies autoSize, moving
  // the instance when the box grows to the left.
  virtual void Refit() = 0;
};

inline ScriptTextField* AsTextField(ScriptClip* C) { return dynamic_cast<ScriptTextField*>(C); }

}  // namespace swf
