// The bounds of what an instance shows, for scripts that ask a clip's size.
#include <variant>

#include "renderers/engine/src/player/buttons.h"
#include "renderers/engine/src/player/display_list.h"
#include "renderers/engine/src/player/drawing.h"
#include "renderers/engine/src/player/morph.h"
#include "renderers/engine/src/player/text_field.h"
#include "renderers/engine/src/player/video_instance.h"

namespace swf::detail {
namespace {

Rect ListBounds(const DisplayList& List) {
  Rect r;
  for (const auto& [depth, inst] : List) r.Include(PlacedBounds(*inst));
  return r;
}

}  // namespace

Rect ContentBounds(const Instance& I) {
  // A text field's box as scripts have sized it (a script may have made the
  // field, with no character behind it).
  if (I.textField) return I.textField->field.bounds;
  if (!I.character) return {};
  if (const Shape* shape = InstanceShape(I)) return shape->bounds;
  if (const auto* text = std::get_if<EditText>(I.character)) return text->bounds;
  if (const auto* text = std::get_if<StaticText>(I.character)) return text->bounds;
  if (I.sprite) return TimelineBounds(*I.sprite);
  if (I.button) return ListBounds(I.button->children);
  if (I.video) return I.video->Bounds();
  return {};
}

Rect PlacedBounds(const Instance& I) {
  const Rect r = ContentBounds(I);
  return r.Empty() ? r : I.placement.matrix.Apply(r);
}

Rect TimelineBounds(const TimelineState& T) {
  Rect r = ListBounds(T.list);
  if (T.drawing) r.Include(T.drawing->Bounds());
  return r;
}

std::shared_ptr<const Shape> DrawnShape(const TimelineState& T) { return T.drawing ? T.drawing->Current() : nullptr; }

}  // namespace swf::detail
