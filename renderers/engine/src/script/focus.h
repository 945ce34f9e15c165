#pragma once
// The keyboard focus as Selection keeps it: which clip, button or text field
// holds it, what may take it, and the text selected in a focused field.

#include <string>

#include "renderers/engine/script.h"

namespace swf {

// The target path of what holds the focus; "" for nothing.
std::string FocusPath(ScriptRuntime& R);
// Whether Target takes the focus when a script gives it: text fields and
// buttons do; a movie clip when its focusEnabled is true or a button
// handler (onPress, onRelease, ...) makes it act as a button.
bool TakesFocus(NativeCall& C, ScriptClip& Target);
// Gives the focus to Path ("" for nothing). Selection's listeners hear
// onSetFocus(old, new); then a text field taking it has all its text selected.
void MoveFocus(NativeCall& C, const std::string& Path);
// For the movie: Clip was hidden; if it held the focus, it loses it and
// Selection's listeners hear so.
void DropFocusFromHidden(ScriptRuntime& R, ScriptHost& H, ScriptClip& Clip);

}  // namespace swf
