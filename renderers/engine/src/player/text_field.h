#pragma once
// A placed text field: the text it shows (its initial text, or its bound
// variable's value) and the scene nodes that draw it, rebuilt when the text
// or the font service changes.

#include <memory>
#include <string>

#include "renderers/engine/fonts.h"
#include "renderers/engine/model.h"
#include "renderers/engine/render.h"

namespace swf::detail {

class TextField {
 public:
  TextField(const Movie& M, const EditText& E) : field(E), movie_(M), text_(E.initialText) {}

  const EditText& field;
  // The variable was set from the initial text (or found set) once.
  bool variableBound = false;

  const std::string& Text() const { return text_; }
  void SetText(std::string Text);

  // Node (placed by the caller) gets the field's drawing as its children:
  // its background and border, then its glyphs, masked to the field's
  // bounds where they reach past them.
  void Build(SceneNode& Node, FontService* Fonts);

 private:
  struct Drawing;
  std::shared_ptr<const Drawing> Draw(FontService* Fonts) const;

  const Movie& movie_;
  std::string text_;
  std::shared_ptr<const Drawing> drawing_;
  FontService* drawnWith_ = nullptr;
};

}  // namespace swf::detail
