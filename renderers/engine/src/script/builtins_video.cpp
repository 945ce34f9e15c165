// The Video class: the prototype of the objects that stand for video
// instances (the movie answers their properties: smoothing, deblocking,
// width, height and the placement's), with attachVideo and clear.
#include "renderers/engine/src/script/internal.h"
#include "renderers/engine/src/script/video_object.h"
#include "renderers/engine/src/video/video_feed.h"

namespace swf {
namespace {

ScriptVideo* ThisVideo(NativeCall& C) {
  if (!C.thisValue.IsClip()) return nullptr;
  return AsVideo(C.runtime.ResolveTarget(C.clip, C.thisValue.string()));
}

}  // namespace

void InstallVideo(ScriptRuntime& R) {
  if (R.SwfVersion() < 6) return;
  Object* proto = R.NewObject();
  R.SetBuiltinPrototype("Video", proto);
  InstallClass(R, "Video", proto, [](NativeCall& C) { return IsConstructing(C) ? C.thisValue : Value(); });
  R.Method(proto, "attachVideo", [](NativeCall& C) {
    ScriptVideo* v = ThisVideo(C);
    if (!v) return Value();
    // A stream shows through its feed; anything else (null, a camera the
    // engine has none of) leaves the instance showing nothing.
    const Value source = C.Arg(0);
    auto* feeds = source.IsObject() ? dynamic_cast<video::VideoFeedSource*>(source.object()->data.get()) : nullptr;
    v->AttachFeed(feeds ? feeds->Feed() : nullptr);
    return Value();
  });
  R.Method(proto, "clear", [](NativeCall& C) {
    if (ScriptVideo* v = ThisVideo(C)) v->ClearPicture();
    return Value();
  });
}

}  // namespace swf
