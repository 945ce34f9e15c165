// Clips for scripts: navigation, play state and properties of the root of a
// level or a sprite instance.
#include "renderers/engine/src/movie/clips.h"

#include <cmath>
#include <functional>
#include <memory>
#include <numbers>

#include "renderers/engine/src/movie/movie_state.h"
#include "renderers/engine/src/script/focus.h"
#include "renderers/engine/src/player/display_list.h"
#include "renderers/engine/src/player/drawing.h"

namespace swf::movie {
namespace {

std::string InstanceName(const detail::Instance& I) {
  return I.ScriptName();
}

enum Property {
  kX = 0, kY, kXScale, kYScale, kAlpha = 6, kVisible, kWidth, kHeight, kRotation, kFramesLoaded = 12, kName
};


// _visible from a script value as a number: "0000" hides, "1" shows, and
// what is no number (undefined, "false", NaN) changes nothing.
std::optional<bool> Visible(const Value& V) {
  if (V.type() == Value::Type::Boolean) return V.boolean();
  const double n = V.IsString() ? StringToNumber(V.string()) : V.ToNumber();
  if (std::isnan(n)) return std::nullopt;
  return n != 0;
}

// A position in pixels as the placement keeps it: whole twips, within reach.
double Twips(double Pixels) { return std::round(std::clamp(Pixels, -1e7, 1e7) * 20); }

}  // namespace

Clip::Clip(MovieInstance::State& S, int Level, std::vector<uint16_t> Depths, uint64_t Serial)
    : level(Level),
      depths(std::move(Depths)),
      serial(Serial),
      state_(S),
      vars_(S.runtime.NewClipObject()),
      props_(S.runtime.NewRootedObject()) {}

MoviePlayer* Clip::Player() {
  const auto it = state_.levels.find(level);
  return it == state_.levels.end() ? nullptr : it->second.get();
}

detail::Instance* Clip::Instance() {
  MoviePlayer* p = Player();
  if (!p || depths.empty()) return nullptr;
  detail::TimelineState* t = &p->RootTimeline();
  detail::Instance* inst = nullptr;
  for (uint16_t d : depths) {
    if (!t) return Refind();
    const auto it = t->list.find(d);
    if (it == t->list.end() || !it->second->sprite) return Refind();
    inst = it->second.get();
    t = inst->sprite.get();
  }
  return inst && inst->serial == serial ? inst : Refind();
}

detail::Instance* Clip::Refind() {
  MoviePlayer* p = Player();
  if (!p || serial == 0) return nullptr;
  // Depth first over the level's sprites, bounded by the instances it holds.
  std::vector<uint16_t> path;
  std::function<detail::Instance*(detail::TimelineState&)> walk = [&](detail::TimelineState& T) -> detail::Instance* {
    for (auto& [d, inst] : T.list) {
      if (!inst->sprite) continue;
      path.push_back(d);
      if (inst->serial == serial) return inst.get();
      if (detail::Instance* found = walk(*inst->sprite)) return found;
      path.pop_back();
    }
    return nullptr;
  };
  detail::Instance* found = walk(p->RootTimeline());
  if (found) depths = path;
  return found;
}

detail::TimelineState* Clip::Timeline() {
  if (depths.empty()) {
    MoviePlayer* p = Player();
    return p ? &p->RootTimeline() : nullptr;
  }
  detail::Instance* i = Instance();
  return i ? i->sprite.get() : nullptr;
}

ScriptClip* Clip::Parent() {
  if (depths.empty()) return nullptr;
  Instance();  // follows a move by swapDepths
  if (depths.size() == 1) return state_.RootClip(level);
  std::vector<uint16_t> up(depths.begin(), depths.end() - 1);
  MoviePlayer* p = Player();
  if (!p) return nullptr;
  // The parent's serial: walk down to it.
  detail::TimelineState* t = &p->RootTimeline();
  uint64_t s = 0;
  for (uint16_t d : up) {
    const auto it = t->list.find(d);
    if (it == t->list.end() || !it->second->sprite) return nullptr;
    s = it->second->serial;
    t = it->second->sprite.get();
  }
  return state_.ClipAt(level, up, s);
}

ScriptClip* Clip::Child(const std::string& Name) {
  detail::TimelineState* t = Timeline();
  if (!t) return nullptr;
  for (const auto& [depth, inst] : t->list) {
    if (InstanceName(*inst) != Name) continue;
    // A named shape has no object of its own: scripts reach the clip holding it.
    if (!inst->placement.name.empty() && inst->character && (std::holds_alternative<Shape>(*inst->character) ||
                            std::holds_alternative<MorphShape>(*inst->character)))
      return this;
    if (!inst->sprite) continue;
    std::vector<uint16_t> down = depths;
    down.push_back(depth);
    return state_.ClipAt(level, down, inst->serial);
  }
  // Text field instances are found by name too (text_clips.cpp).
  if (ScriptClip* field = TextFieldChild(state_, level, depths, *t, Name)) return field;
  // And buttons (button_clips.cpp).
  if (ScriptClip* button = ButtonChild(state_, level, depths, *t, Name)) return button;
  // And videos (video_clips.cpp).
  if (ScriptClip* video = VideoChild(state_, level, depths, *t, Name)) return video;
  return nullptr;
}

std::vector<std::string> Clip::ChildNames() {
  std::vector<std::string> names;
  detail::TimelineState* t = Timeline();
  if (!t) return names;
  for (const auto& [depth, inst] : t->list)
    if (inst->sprite || inst->textField) names.push_back(InstanceName(*inst));
  return names;
}

ScriptClip* Clip::Level(int N) { return state_.RootClip(N); }

std::string Clip::Name() {
  detail::Instance* i = Instance();
  return i ? InstanceName(*i) : "";
}

void Clip::Play() {
  if (auto* t = Timeline()) t->playing = true;
}

void Clip::Stop() {
  if (auto* t = Timeline()) t->playing = false;
}

void Clip::NextFrame() { GotoFrame(CurrentFrame(), After::Stop); }
void Clip::PrevFrame() { GotoFrame(CurrentFrame() - 2, After::Stop); }

void Clip::GotoFrame(int Index, After Then) {
  detail::TimelineState* t = Timeline();
  if (!t) return;
  Player()->SeekTimeline(*t, Index);
  if (Then != After::Keep) t->playing = Then == After::Play;
}

bool Clip::GotoLabel(const std::string& Label, After Then) {
  detail::TimelineState* t = Timeline();
  if (!t || Label.empty()) return false;
  for (size_t f = 0; f < t->timeline->frames.size(); ++f)
    if (t->timeline->frames[f].label == Label) {
      GotoFrame(static_cast<int>(f), Then);
      return true;
    }
  return false;
}

int Clip::CurrentFrame() {
  detail::TimelineState* t = Timeline();
  return t ? std::max(t->frame, 0) + 1 : 0;
}

int Clip::TotalFrames() {
  detail::TimelineState* t = Timeline();
  return t ? t->FrameCount() : 0;
}

Value Clip::GetProperty(int Index) {
  if (Index == kFramesLoaded) return Value::Number(TotalFrames());
  // Player-wide settings, as the reference player answers them untouched.
  switch (Index) {
    case 14: return Value::String("");   // _droptarget: nothing dragged
    case 16: return Value::Number(1);    // _highquality
    case 17: return Value::Null();       // _focusrect
    case 18: return Value::Number(5);    // _soundbuftime
    case 19: return Value::String("HIGH");  // _quality
    default: break;
  }
  detail::Instance* i = Instance();
  Matrix m = i ? i->placement.matrix : Matrix{};
  if (Index == kWidth || Index == kHeight) {
    detail::TimelineState* t = Timeline();
    const Rect r = i ? detail::PlacedBounds(*i) : t ? detail::TimelineBounds(*t) : Rect{};
    // The player keeps bounds in whole twips.
    const double size = r.Empty()          ? 0
                        : Index == kWidth ? std::round(r.xmax) - std::round(r.xmin)
                                          : std::round(r.ymax) - std::round(r.ymin);
    return Value::Number(size / 20);
  }
  const detail::Instance::ScaleRotation sr = i ? ScaleRotationOf(*i) : detail::Instance::ScaleRotation{};
  switch (Index) {
    case kX: return Value::Number(m.tx / 20);
    case kY: return Value::Number(m.ty / 20);
    case kXScale: return Value::Number(sr.xscale);
    case kYScale: return Value::Number(sr.yscale);
    case kAlpha: return Value::Number(i ? i->placement.cxform.multA * 100.0 / 256 : 100);
    case kVisible: return Value::Bool(!i || i->visible);
    case kRotation: return Value::Number(sr.rotation);
    default: return Value();
  }
}

detail::Instance::ScaleRotation ScaleRotationOf(const detail::Instance& I) {
  if (I.scaleRotation) return *I.scaleRotation;
  const Matrix& m = I.placement.matrix;
  return {std::hypot(m.a, m.b) * 100, std::hypot(m.c, m.d) * 100,
          std::atan2(m.b, m.a) * 180 / std::numbers::pi};
}

void SetScaleRotation(Matrix& M, double X, double Y, double R) {
  M.a = X * std::cos(R);
  M.b = X * std::sin(R);
  M.c = -Y * std::sin(R);
  M.d = Y * std::cos(R);
}

bool SetPlacementProperty(detail::Instance& I, int Index, const Value& V) {
  Matrix& m = I.placement.matrix;
  // A value that is no number leaves the property as it is.
  const double n = V.ToNumber();
  const bool given = std::isfinite(n);
  switch (Index) {
    case kX: if (given) m.tx = Twips(n); break;
    case kY: if (given) m.ty = Twips(n); break;
    case kXScale:
    case kYScale:
    case kRotation: {
      if (!given) break;
      detail::Instance::ScaleRotation sr = ScaleRotationOf(I);
      if (Index == kXScale) sr.xscale = std::clamp(n, -1e6, 1e6);
      if (Index == kYScale) sr.yscale = std::clamp(n, -1e6, 1e6);
      if (Index == kRotation) {
        // Folded into -180..180 once, as the player keeps it.
        double r = std::fmod(n, 360);
        if (r > 180) r -= 360;
        if (r < -180) r += 360;
        sr.rotation = r;
      }
      SetScaleRotation(m, sr.xscale / 100, sr.yscale / 100, sr.rotation * std::numbers::pi / 180);
      I.scaleRotation = sr;
      break;
    }
    case kAlpha:
      if (given) I.placement.cxform.multA = static_cast<int16_t>(std::clamp(n * 256 / 100, -32768.0, 32767.0));
      break;
    default: return false;
  }
  I.scripted = true;
  return true;
}

void Clip::SetProperty(int Index, const Value& V) {
  detail::Instance* i = Instance();
  if (!i) return;  // the root of a level stays where it is
  if (SetPlacementProperty(*i, Index, V)) return;
  if (Index == kName) {
    i->placement.name = V.ToString();
    i->renamed = true;
    return;
  }
  if (Index == kVisible) {
    // A value that reads as no number leaves it as it is.
    if (const std::optional<bool> v = Visible(V)) i->visible = *v;
    // A hidden clip cannot keep the keyboard focus.
    if (!i->visible) DropFocusFromHidden(state_.runtime, state_.bridge, *this);
    return;
  }
  if (Index != kWidth && Index != kHeight) return;
  // Scales the clip so that its bounds in the parent take the size asked.
  const Rect r = detail::PlacedBounds(*i);
  const double now = (Index == kWidth ? r.Width() : r.Height()) / 20;
  const double n = V.ToNumber();
  if (std::isnan(n) || now <= 0) return;  // no size asked, or none to scale from
  const double f = std::clamp(n, 0.0, 1e7) / now;
  detail::Instance::ScaleRotation sr = ScaleRotationOf(*i);
  (Index == kWidth ? sr.xscale : sr.yscale) *= f;
  SetScaleRotation(i->placement.matrix, sr.xscale / 100, sr.yscale / 100, sr.rotation * std::numbers::pi / 180);
  i->scaleRotation = sr;
  i->scripted = true;
}

std::vector<std::vector<uint8_t>> Clip::FrameActions(const Value& Frame) {
  detail::TimelineState* t = Timeline();
  if (!t) return {};
  const auto& frames = t->timeline->frames;
  if (Frame.IsNumber()) {
    const double n = Frame.number();
    if (n >= 1 && n <= static_cast<double>(frames.size())) return frames[static_cast<size_t>(n) - 1].actions;
    return {};
  }
  const std::string label = Frame.ToString();
  for (const auto& f : frames)
    if (!label.empty() && f.label == label) return f.actions;
  const double n = StringToNumber(label);
  if (n >= 1 && n <= static_cast<double>(frames.size())) return frames[static_cast<size_t>(n) - 1].actions;
  return {};
}

// ---- the placement for Color and flash.geom.Transform ----
// Scripts see the matrix in pixels and colour multipliers as fractions; the
// placement keeps twips and 8.8 fixed point. Values a script sets are
// clamped to what the placement can hold.

ScriptClip::PlacementMatrix Clip::GetMatrix() {
  detail::Instance* i = Instance();
  if (!i) return {};
  const Matrix& m = i->placement.matrix;
  return {m.a, m.b, m.c, m.d, m.tx / 20, m.ty / 20};
}

void Clip::SetMatrix(const PlacementMatrix& M) {
  detail::Instance* i = Instance();
  if (!i) return;
  auto fit = [](double V, double Limit, double Keep) { return std::isfinite(V) ? std::clamp(V, -Limit, Limit) : Keep; };
  Matrix& m = i->placement.matrix;
  m = {fit(M.a, 1e6, m.a), fit(M.b, 1e6, m.b), fit(M.c, 1e6, m.c), fit(M.d, 1e6, m.d),
       fit(M.tx, 1e7, m.tx / 20) * 20, fit(M.ty, 1e7, m.ty / 20) * 20};
  i->scaleRotation.reset();
  i->scripted = true;
}

ScriptClip::PlacementColor Clip::GetColorTransform() {
  detail::Instance* i = Instance();
  if (!i) return {};
  const ColorTransform& c = i->placement.cxform;
  PlacementColor out;
  const int16_t mult[4] = {c.multR, c.multG, c.multB, c.multA}, add[4] = {c.addR, c.addG, c.addB, c.addA};
  for (int k = 0; k < 4; ++k) {
    out.mult[k] = mult[k] / 256.0;
    out.add[k] = add[k];
  }
  return out;
}

void Clip::SetColorTransform(const PlacementColor& C) {
  detail::Instance* i = Instance();
  if (!i) return;
  auto fixed = [](double V, double Scale) {
    return static_cast<int16_t>(std::isfinite(V) ? std::clamp(V * Scale, -32768.0, 32767.0) : 0);
  };
  ColorTransform& c = i->placement.cxform;
  c = {fixed(C.mult[0], 256), fixed(C.mult[1], 256), fixed(C.mult[2], 256), fixed(C.mult[3], 256),
       fixed(C.add[0], 1),    fixed(C.add[1], 1),    fixed(C.add[2], 1),    fixed(C.add[3], 1)};
  i->scripted = true;
}

// ---- the drawing methods: the clip's timeline keeps what scripts draw ----

detail::ShapeDrawing* Clip::Drawing() {
  detail::TimelineState* t = Timeline();
  if (!t) return nullptr;
  if (!t->drawing) t->drawing = std::make_shared<detail::ShapeDrawing>();
  return t->drawing.get();
}

}  // namespace swf::movie
