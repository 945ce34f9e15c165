// Text field instances for scripts: finding them by name, their place on the
// display list, and the properties (_x, _width, ...) they answer.
#include "renderers/engine/src/movie/text_clips.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <variant>

#include "renderers/engine/src/movie/movie_state.h"
#include "renderers/engine/src/player/display_list.h"
#include "renderers/engine/src/player/text_field.h"
#include "renderers/engine/src/script/focus.h"
#include "renderers/engine/src/utf8.h"

namespace swf::movie {
namespace {

enum Property { kX = 0, kY, kXScale, kYScale, kAlpha = 6, kVisible, kWidth, kHeight, kRotation, kFocusRect = 17 };

double Finite(const Value& V, double Fallback) {
  const double n = V.ToNumber();
  return std::isfinite(n) ? n : Fallback;
}

// The field's box as its parent sees it: each corner placed by the field's
// matrix and held in whole twips, as the player keeps coordinates.
Rect BoxOnParent(const detail::Instance& I) {
  const Rect& b = I.textField->field.bounds;
  const Matrix& m = I.placement.matrix;
  Rect out{INFINITY, INFINITY, -INFINITY, -INFINITY};
  for (const Point corner : {Point{b.xmin, b.ymin}, Point{b.xmax, b.ymin}, Point{b.xmin, b.ymax}, Point{b.xmax, b.ymax}}) {
    const Point p = m.Apply(corner);
    const double x = std::round(p.x), y = std::round(p.y);
    out = Rect{std::min(out.xmin, x), std::min(out.ymin, y), std::max(out.xmax, x), std::max(out.ymax, y)};
  }
  return out;
}

}  // namespace

TextClip::TextClip(MovieInstance::State& S, int Level, std::vector<uint16_t> Depths, uint64_t Serial)
    : PlacedClip(S, Level, std::move(Depths), Serial, "TextField") {}

bool TextClip::Holds(const detail::Instance& I) const { return I.textField != nullptr; }

detail::TextField* TextClip::Field() {
  detail::Instance* i = Instance();
  return i ? i->textField.get() : nullptr;
}

FontService* TextClip::Fonts() { return state_.host.Fonts(); }

void TextClip::RemoveField() {
  if (!Instance()) return;
  Holder()->list.erase(depths.back());
}

void TextClip::Refit() {
  detail::Instance* i = Instance();
  if (!i) return;
  detail::TextField& f = *i->textField;
  const Rect before = f.field.bounds;
  f.Fit(Fonts());
  // The box keeps the side autoSize names: a field that grew to the left
  // (or both ways) moves, as its x reports.
  const Rect after = f.field.bounds;
  const double moved = after.xmin - before.xmin;
  f.field.bounds.xmin = before.xmin;
  f.field.bounds.xmax = before.xmin + (after.xmax - after.xmin);
  if (moved != 0) {
    i->placement.matrix.tx += moved * std::hypot(i->placement.matrix.a, i->placement.matrix.b);
    i->scripted = true;
  }
}

Value TextClip::GetProperty(int Index) {
  detail::Instance* i = Instance();
  if (!i) return Value();
  const Matrix& m = i->placement.matrix;
  switch (Index) {
    case kX: return Value::Number(m.tx / 20);
    case kY: return Value::Number(m.ty / 20);
    case kXScale: return Value::Number(std::hypot(m.a, m.b) * 100);
    case kYScale: return Value::Number(std::hypot(m.c, m.d) * 100);
    case kAlpha: return Value::Number(i->placement.cxform.multA * 100.0 / 256);
    case kVisible: return Value::Bool(i->visible);
    case kWidth:
    case kHeight: {
      const Rect r = BoxOnParent(*i);
      return Value::Number((Index == kWidth ? r.Width() : r.Height()) / 20);
    }
    case kRotation: return Value::Number(std::atan2(m.b, m.a) * 180 / std::numbers::pi);
    case kFocusRect: return Value::Null();  // a field has no focus rectangle of its own
    default: return Value();
  }
}

void TextClip::SetProperty(int Index, const Value& V) {
  detail::Instance* i = Instance();
  if (!i || SetPlacementProperty(*i, Index, V)) return;
  if (Index == kVisible) {
    i->visible = V.ToBoolean();
    // A hidden field cannot keep the keyboard focus.
    if (!i->visible) DropFocusFromHidden(state_.runtime, state_.bridge, *this);
    return;
  }
  if (Index != kWidth && Index != kHeight) return;
  // A text field takes the size asked as its box's own, before its scale:
  // at _xscale 200, _width = 20 makes a box 20 wide that shows 40 wide.
  Rect& b = i->textField->field.bounds;
  const double now = (Index == kWidth ? b.Width() : b.Height()) / 20;
  const double want = std::clamp(Finite(V, now), 0.0, 1e6);
  const double size = std::round(want * 20);
  if (Index == kWidth)
    b.xmax = b.xmin + size;
  else
    b.ymax = b.ymin + size;
  i->textField->Changed();
  i->scripted = true;
}

ScriptClip* TextFieldChild(MovieInstance::State& S, int Level, const std::vector<uint16_t>& Depths,
                           detail::TimelineState& T, const std::string& Name) {
  return PlacedChild<TextClip>(S, S.textClips, Level, Depths, T, Name,
                             [](const detail::Instance& I) { return I.textField != nullptr; });
}

void PruneTextClips(MovieInstance::State& S) { PruneGone(S.textClips); }

}  // namespace swf::movie

namespace swf::movie {

ScriptClip* Clip::CreateTextField(const std::string& Name, int Depth, double X, double Y, double W, double H) {
  detail::TimelineState* t = Timeline();
  if (!t) return nullptr;
  // A new field shows 12 point Times New Roman in black, as the player's do.
  EditText field;
  field.fontClass = "Times New Roman";
  field.fontHeight = 240;
  auto twips = [](double V) { return std::round(std::clamp(std::isfinite(V) ? V : 0.0, 0.0, 1e6) * 20); };
  field.bounds = Rect{0, 0, twips(W), twips(H)};
  const auto depth = static_cast<uint16_t>(std::clamp(Depth + 16384, 0, 65535));
  auto coord = [](double V) { return std::clamp(std::isfinite(V) ? V : 0.0, -1e7, 1e7) * 20; };
  detail::Instance* inst = Player()->PlaceTextField(*t, depth, Name, field, coord(X), coord(Y));
  if (!inst) return nullptr;
  return TextFieldChild(state_, level, depths, *t, Name);
}

}  // namespace swf::movie

namespace swf::movie {

std::string Clip::StaticText() {
  detail::TimelineState* t = Timeline();
  if (!t) return {};
  std::string out;
  for (const auto& [depth, inst] : t->list) {
    const auto* text = inst->character ? std::get_if<swf::StaticText>(inst->character) : nullptr;
    if (!text) continue;
    const Movie& m = inst->library ? *inst->library : *t->movie;
    for (const TextRun& run : text->runs) {
      const auto it = m.dictionary.find(run.fontId);
      const Font* font = it == m.dictionary.end() ? nullptr : std::get_if<Font>(&it->second);
      if (!font) continue;
      for (const TextGlyph& g : run.glyphs)
        if (g.index < font->glyphs.size() && font->glyphs[g.index].code) detail::AppendUtf8(out, font->glyphs[g.index].code);
    }
  }
  return out;
}

}  // namespace swf::movie
