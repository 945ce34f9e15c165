#pragma once
// A placed text field: the text it shows (its initial text, or its bound
// variable's value) and the scene nodes that draw it, rebuilt when the text
// or the font service changes.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "renderers/engine/fonts.h"
#include "renderers/engine/model.h"
#include "renderers/engine/render.h"

namespace swf::detail {

class TextField {
 public:
  TextField(const Movie& M, const EditText& E)
      : field(E), background(E.border), movie_(M), text_(E.initialText) {
    if (E.html) SetHtmlText(E.initialText);
  }

  // The definition as scripts have changed it (call Changed after a change).
  EditText field;
  // The variable was set from the initial text (or found set) once.
  bool variableBound = false;

  // What scripts set beyond the definition: the box's colours, how it
  // follows its text's size, and how far it is scrolled.
  enum class AutoSize { None, Left, Center, Right };
  bool background;
  RGBA backgroundColor{255, 255, 255, 255}, borderColor{0, 0, 0, 255};
  AutoSize autoSize = AutoSize::None;
  int scroll = 1, hscroll = 0;  // the first line shown (from 1), and twips scrolled sideways
  double letterSpacing = 0;      // twips added after each character (TextFormat.letterSpacing)
  bool kerning = false;          // TextFormat.kerning of the text: what its markup or a script set
  bool newTextKerning = false;   // and of the format new text takes
  // The selection in characters of the plain text: from the anchor to the
  // caret (either way round). Nothing selected is the caret at 0.
  size_t selectionAnchor = 0, selectionCaret = 0;
  bool selectionShown = false;  // since it took the focus, Selection reports it

  const std::string& Text() const { return text_; }
  void SetText(std::string Text);
  // Sets HTML text, the field's own format taking what its markup gives the first character.
  void SetHtmlText(std::string Html);
  // The text without markup (what `text` reads in an HTML field).
  std::string PlainText() const;
  // The colour the characters in [Begin, End) of the plain text share, in an
  // HTML field whose markup colours them; nothing when they differ or none is there.
  std::optional<RGBA> RangeColor(size_t Begin, size_t End) const;
  void Changed() { drawing_.reset(); }

  // The font the field's own format names (the embedded font's name when it
  // names one by id), and its style; SetFontName names a font by name.
  std::string FontName() const;
  bool Bold() const;
  bool Italic() const;
  void SetFontName(const std::string& Name);

  // The size of the laid-out text, in twips, and where its lines end.
  struct Extent {
    double width = 0, height = 0;
    std::vector<double> lineBottoms;  // from the top of the text, one per line
  };
  Extent Measure(FontService* Fonts) const;
  // Makes the box follow its text when autoSize is set (its height, and its
  // width unless the text wraps), keeping the side autoSize names in place.
  void Fit(FontService* Fonts);

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
