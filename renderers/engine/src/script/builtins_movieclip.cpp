// The MovieClip class: the methods every clip answers.

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <utility>

#include "renderers/engine/src/script/internal.h"

namespace swf {
namespace {

ScriptClip* ThisClip(NativeCall& C) {
  // Called by name from a clip's script (attachMovie(...)): that clip.
  if (C.thisValue.IsUndefined()) return &C.clip;
  if (!C.thisValue.IsClip()) return nullptr;
  return C.runtime.ResolveTarget(C.clip, C.thisValue.string());
}

Value ClipValue(ScriptClip* C) { return C ? Value::ClipPath(C->TargetPath()) : Value(); }

void Goto(NativeCall& C, ScriptClip::After Then) {
  ScriptClip* clip = ThisClip(C);
  if (!clip) return;
  Value f = C.Arg(0);
  double n = f.ToNumber();
  if (f.IsString() && std::isnan(n)) clip->GotoLabel(f.string(), Then);
  else if (!std::isnan(n)) clip->GotoFrame(static_cast<int>(std::clamp(n, 1.0, 1e9)) - 1, Then);
}

// A depth argument as scripts give it: a number wrapped to 32 bits, as the
// reference player converts it.
std::optional<int> DepthArg(NativeCall& C, const Value& V) {
  const double n = C.ToNumber(V);
  if (!std::isfinite(n)) return std::nullopt;
  const double wrapped = std::fmod(std::trunc(n), 4294967296.0);
  const int64_t u = static_cast<int64_t>(wrapped < 0 ? wrapped + 4294967296.0 : wrapped);
  return static_cast<int>(static_cast<int32_t>(static_cast<uint32_t>(u)));
}

// Copies an init object's enumerable members onto a new clip, oldest first,
// each set as a script would, so setters of the clip's class hear them.
void CopyInitObject(NativeCall& C, ScriptClip* Clip, const Value& Init) {
  if (!Clip || !Init.IsObject()) return;
  for (const auto& [name, value] : Init.object()->OwnValues()) {
    ChargeWork(1);
    C.Set(ClipValue(Clip), name, value);
  }
}

using Transform = std::array<double, 6>;

Transform Inverse(const Transform& M) {
  const double det = M[0] * M[3] - M[1] * M[2];
  if (det == 0 || !std::isfinite(det)) return {1, 0, 0, 1, 0, 0};
  return {M[3] / det,  -M[1] / det, -M[2] / det, M[0] / det, (M[2] * M[5] - M[3] * M[4]) / det,
          (M[1] * M[4] - M[0] * M[5]) / det};
}

// A point through a frame: x' = a x + c y + tx, y' = b x + d y + ty.
std::pair<double, double> Apply(const Transform& M, double X, double Y) {
  return {M[0] * X + M[2] * Y + M[4], M[1] * X + M[3] * Y + M[5]};
}


// localToGlobal and globalToLocal: the point object's x and y (pixels) moved
// in place.
void MovePoint(NativeCall& C, bool ToGlobal) {
  ScriptClip* clip = ThisClip(C);
  const Value point = C.Arg(0);
  if (!clip || !point.IsObject()) return;
  const auto frame = clip->ToStage();
  if (!frame) return;
  const Value xv = C.Get(point, "x"), yv = C.Get(point, "y");
  if (!xv.IsNumber() || !yv.IsNumber()) return;
  const Transform m = ToGlobal ? *frame : Inverse(*frame);
  // Positions are whole twips.
  const auto [x, y] = Apply(m, xv.number() * 20, yv.number() * 20);
  C.Set(point, "x", Value::Number(std::round(x) / 20));
  C.Set(point, "y", Value::Number(std::round(y) / 20));
}

// What getBounds and getRect answer for a clip with no bounds: 0x7FFFFFF
// twips, until a SWF 8 movie has asked for the bounds of such a clip; from
// then on 0x8000000, for every movie the player runs (getRect, itself of
// SWF 8, answers that already the first time).
struct NoBoundsMarker {
  bool widened = false;
};

// getBounds and getRect: the clip's bounds in the space of the clip given
// (itself when none), in pixels.
Value Bounds(NativeCall& C, NoBoundsMarker& Marker, bool Rect) {
  ScriptClip* clip = ThisClip(C);
  if (!clip) return Value();
  ScriptClip* space = clip;
  if (!C.args.empty()) {
    const Value t = C.Arg(0);
    space = t.IsClip() ? C.runtime.ResolveTarget(C.clip, t.string()) : nullptr;
    if (!space) return Value();
  }
  Object* out = C.runtime.NewObject();
  const auto local = clip->LocalBounds();
  const auto from = clip->ToStage(), to = space->ToStage();
  if (!local || !from || !to) {
    // Nothing shown: the player's marker for no bounds.
    if (Rect) Marker.widened = true;
    const double none = Marker.widened ? 6710886.4 : 6710886.35;
    for (const char* name : {"xMin", "xMax", "yMin", "yMax"}) out->Set(name, Value::Number(none));
    if (C.clip.SwfVersion() >= 8) Marker.widened = true;
    return Value::Obj(out);
  }
  // The clip's frame, then out of the stage into the space's frame.
  const Transform inv = Inverse(*to);
  double xMin = INFINITY, yMin = INFINITY, xMax = -INFINITY, yMax = -INFINITY;
  for (int corner = 0; corner < 4; ++corner) {
    const double lx = (*local)[corner & 1 ? 2 : 0], ly = (*local)[corner & 2 ? 3 : 1];
    const auto [sx, sy] = Apply(*from, lx, ly);
    const auto [x, y] = Apply(inv, sx, sy);
    xMin = std::min(xMin, x);
    xMax = std::max(xMax, x);
    yMin = std::min(yMin, y);
    yMax = std::max(yMax, y);
  }
  out->Set("xMin", Value::Number(xMin / 20));
  out->Set("xMax", Value::Number(xMax / 20));
  out->Set("yMin", Value::Number(yMin / 20));
  out->Set("yMax", Value::Number(yMax / 20));
  return Value::Obj(out);
}

Value HitTest(NativeCall& C) {
  ScriptClip* clip = ThisClip(C);
  if (!clip) return Value::Bool(false);
  if (C.args.size() >= 2) {
    // A stage point in pixels, against the bounds or (shapeFlag) the shapes.
    const double x = C.ToNumber(C.Arg(0)), y = C.ToNumber(C.Arg(1));
    if (!std::isfinite(x) || !std::isfinite(y)) return Value::Bool(false);
    const bool shapes = C.args.size() >= 3 && C.Arg(2).ToBoolean();
    return Value::Bool(clip->HitTest(x * 20, y * 20, shapes));
  }
  // Another clip: whether the two bounds on the stage overlap.
  const Value t = C.Arg(0);
  ScriptClip* other = t.IsClip() ? C.runtime.ResolveTarget(C.clip, t.string())
                      : t.IsString() ? C.runtime.ResolveTarget(C.clip, t.string())
                                     : nullptr;
  if (!other) return Value::Bool(false);
  auto stageBox = [](ScriptClip* Of) -> std::optional<std::array<double, 4>> {
    const auto b = Of->LocalBounds();
    const auto m = Of->ToStage();
    if (!b || !m) return std::nullopt;
    std::array<double, 4> r{INFINITY, INFINITY, -INFINITY, -INFINITY};
    for (int corner = 0; corner < 4; ++corner) {
      const auto [x, y] = Apply(*m, (*b)[corner & 1 ? 2 : 0], (*b)[corner & 2 ? 3 : 1]);
      r = {std::min(r[0], x), std::min(r[1], y), std::max(r[2], x), std::max(r[3], y)};
    }
    return r;
  };
  const auto a = stageBox(clip), b = stageBox(other);
  if (!a || !b) return Value::Bool(false);
  return Value::Bool((*a)[0] <= (*b)[2] && (*b)[0] <= (*a)[2] && (*a)[1] <= (*b)[3] && (*b)[1] <= (*a)[3]);
}

// getURL, loadMovie and loadVariables as the GetURL2 action makes them.
void Request(NativeCall& C, const std::string& Url, const std::string& Target, const Value& Method, bool LoadTarget,
             bool Variables) {
  UrlRequest r;
  r.url = Url;
  r.target = Target;
  const std::string m = Method.IsUndefined() ? "" : C.ToString(Method);
  r.method = m == "GET" || m == "get" ? 1 : m == "POST" || m == "post" ? 2 : 0;
  r.loadTarget = LoadTarget;
  r.loadVariables = Variables;
  r.from = ThisClip(C);
  if (r.from) C.host.GetURL(r);
}

}  // namespace

void ApplyRegisteredClass(ScriptRuntime& R, ScriptClip& Clip,
                          const std::function<void(const Value& Ctor, const Value& This)>& Call) {
  const std::string linkage = Clip.LinkageName();
  const Value ctor = linkage.empty() ? Value() : RegisteredClass(R, linkage, Clip.SwfVersion());
  if (!ctor.IsFunction()) return;
  const Value proto = ctor.object()->Get("prototype");
  if (proto.IsObject()) Clip.Variables()->prototype = proto.object();
  Call(ctor, ClipValue(&Clip));
}

void InstallMovieClip(ScriptRuntime& R) {
  Object* Methods = R.BuiltinPrototype("MovieClip");
  auto simple = [&](const char* name, void (ScriptClip::*method)()) {
    R.Method(Methods, name, [method](NativeCall& C) {
      if (ScriptClip* c = ThisClip(C)) (c->*method)();
      return Value();
    });
  };
  simple("play", &ScriptClip::Play);
  simple("stop", &ScriptClip::Stop);
  simple("nextFrame", &ScriptClip::NextFrame);
  simple("prevFrame", &ScriptClip::PrevFrame);
  R.Method(Methods, "gotoAndPlay", [](NativeCall& C) {
    Goto(C, ScriptClip::After::Play);
    return Value();
  });
  R.Method(Methods, "gotoAndStop", [](NativeCall& C) {
    Goto(C, ScriptClip::After::Stop);
    return Value();
  });

  // ---- the display list ----
  R.Method(Methods, "attachMovie", [](NativeCall& C) {
    ScriptClip* clip = ThisClip(C);
    const auto depth = DepthArg(C, C.Arg(2));
    if (!clip || C.args.size() < 3 || !depth) return Value();
    ScriptClip* made = clip->AttachMovie(C.ToString(C.Arg(0)), C.ToString(C.Arg(1)), *depth);
    // The init object goes onto the clip once its class's prototype is in
    // place and before the constructor runs.
    bool copied = false;
    auto copy = [&] {
      if (!std::exchange(copied, true)) CopyInitObject(C, made, C.Arg(3));
    };
    if (made && made->BeginConstruction())
      ApplyRegisteredClass(C.runtime, *made, [&](const Value& Ctor, const Value& This) {
        copy();
        C.Call(Ctor, This, {});
      });
    copy();
    return ClipValue(made);
  });
  R.Method(Methods, "createEmptyMovieClip", [](NativeCall& C) {
    ScriptClip* clip = ThisClip(C);
    const auto depth = DepthArg(C, C.Arg(1));
    if (!clip || C.args.size() < 2 || !depth) return Value();
    return ClipValue(clip->CreateEmptyClip(C.ToString(C.Arg(0)), *depth));
  });
  R.Method(Methods, "duplicateMovieClip", [](NativeCall& C) {
    ScriptClip* clip = ThisClip(C);
    if (!clip || C.args.size() < 2) return Value();
    // The name is converted before the depth (a script sees toString, then valueOf).
    const std::string name = C.ToString(C.Arg(0));
    const auto depth = DepthArg(C, C.Arg(1));
    if (!depth) return Value();
    ScriptClip* made = clip->Duplicate(name, *depth);
    CopyInitObject(C, made, C.Arg(2));
    return ClipValue(made);
  });
  R.Method(Methods, "removeMovieClip", [](NativeCall& C) {
    if (ScriptClip* clip = ThisClip(C)) clip->Remove();
    return Value();
  });
  R.Method(Methods, "swapDepths", [](NativeCall& C) {
    ScriptClip* clip = ThisClip(C);
    if (!clip || C.args.empty()) return Value();
    const Value t = C.Arg(0);
    if (t.IsClip()) {
      ScriptClip* other = C.runtime.ResolveTarget(C.clip, t.string());
      if (other && other->Parent() == clip->Parent())
        if (const auto d = other->Depth()) clip->SwapDepths(*d);
    } else if (const auto d = DepthArg(C, t)) {
      clip->SwapDepths(*d);
    }
    return Value();
  });
  R.Method(Methods, "getDepth", [](NativeCall& C) {
    ScriptClip* clip = ThisClip(C);
    const auto d = clip ? clip->Depth() : std::nullopt;
    return d ? Value::Number(*d) : Value();
  });
  R.Method(Methods, "getNextHighestDepth", [](NativeCall& C) {
    ScriptClip* clip = ThisClip(C);
    return clip ? Value::Number(clip->NextHighestDepth()) : Value();
  });
  R.Method(Methods, "getInstanceAtDepth", [](NativeCall& C) {
    ScriptClip* clip = ThisClip(C);
    const auto depth = DepthArg(C, C.Arg(0));
    if (!clip || C.args.empty() || !depth) return Value();
    return ClipValue(clip->InstanceAtDepth(*depth));
  });

  // ---- geometry ----
  auto marker = std::make_shared<NoBoundsMarker>();
  R.Method(Methods, "getBounds", [marker](NativeCall& C) { return Bounds(C, *marker, false); });
  R.Method(Methods, "getRect", [marker](NativeCall& C) { return Bounds(C, *marker, true); });
  R.Method(Methods, "hitTest", HitTest);
  R.Method(Methods, "localToGlobal", [](NativeCall& C) {
    MovePoint(C, true);
    return Value();
  });
  R.Method(Methods, "globalToLocal", [](NativeCall& C) {
    MovePoint(C, false);
    return Value();
  });

  // ---- the movie behind the clip ----
  R.Method(Methods, "getSWFVersion", [](NativeCall& C) {
    ScriptClip* clip = ThisClip(C);
    return Value::Number(clip ? clip->SwfVersion() : -1);
  });
  auto bytes = [](NativeCall& C) {
    ScriptClip* clip = ThisClip(C);
    return clip ? Value::Number(clip->BytesTotal()) : Value();
  };
  R.Method(Methods, "getBytesLoaded", bytes);
  R.Method(Methods, "getBytesTotal", bytes);
  R.Method(Methods, "getURL", [](NativeCall& C) {
    Request(C, C.ToString(C.Arg(0)), C.args.size() > 1 ? C.ToString(C.Arg(1)) : "", C.Arg(2), false, false);
    return Value();
  });
  R.Method(Methods, "loadMovie", [](NativeCall& C) {
    if (ScriptClip* clip = ThisClip(C))
      Request(C, C.ToString(C.Arg(0)), clip->TargetPath(), C.Arg(1), true, false);
    return Value();
  });
  R.Method(Methods, "loadVariables", [](NativeCall& C) {
    if (ScriptClip* clip = ThisClip(C))
      Request(C, C.ToString(C.Arg(0)), clip->TargetPath(), C.Arg(1), true, true);
    return Value();
  });
  R.Method(Methods, "unloadMovie", [](NativeCall& C) {
    if (ScriptClip* clip = ThisClip(C)) Request(C, "", clip->TargetPath(), Value(), true, false);
    return Value();
  });
  R.Method(Methods, "startDrag", [](NativeCall&) { return Value(); });
  R.Method(Methods, "stopDrag", [](NativeCall&) { return Value(); });
}

}  // namespace swf
