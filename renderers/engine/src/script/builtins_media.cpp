// Sound, and the media classes a movie may name without using them much:
// NetConnection, NetStream, Camera, Microphone (Video: builtins_video.cpp).
// The NetStream here answers nothing; a movie instance replaces it by the
// one that plays FLV streams (src/movie/net_stream.cpp). The engine plays no
// audio, so a Sound answers as the player does when nothing plays: its
// volume, pan and transform as set, no duration or position.

#include <cmath>
#include <cstdlib>
#include <cstdint>
#include <limits>
#include <map>
#include <optional>

#include "renderers/engine/src/script/internal.h"

namespace swf {
namespace {

// A number as the player stores sound levels: truncated to 32 bits, with
// NaN and values out of range becoming the lowest integer.
int32_t SoundLevel(double N) {
  if (!(N >= -2147483648.0 && N < 2147483648.0)) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(N);
}

int32_t Wrap(int64_t N) { return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(N))); }

struct SoundTransform {
  int32_t volume = 100;
  int32_t ll = 100, lr = 0, rr = 100, rl = 0;
};

// A Sound's target: a clip (by path, looked up on every use), or none for
// the sounds of the whole movie.
struct SoundData : NativeData {
  bool forClip = false;
  std::string clipPath;
  std::optional<double> length;  // milliseconds of the library sound attached
};

// The object a Sound method works on: this, or the variables of the clip
// this names (a clip whose registered class extends Sound is a sound too).
Object* SoundObject(NativeCall& C) {
  if (C.thisValue.IsClip()) {
    ScriptClip* clip = C.runtime.ResolveTarget(C.clip, C.thisValue.string());
    return clip ? clip->Variables() : nullptr;
  }
  return C.ThisObject();
}

SoundData* ThisSound(NativeCall& C) {
  Object* o = SoundObject(C);
  return o ? dynamic_cast<SoundData*>(o->data.get()) : nullptr;
}

// The attached sound's length, whole milliseconds; undefined with none.
Value SoundLength(NativeCall& C) {
  SoundData* s = ThisSound(C);
  return s && s->length ? Value::Number(std::round(*s->length)) : Value();
}

// The levels are the target's, shared by every Sound made for it: by the
// clip instance's variables (nullptr: the whole movie), kept on
// Sound.prototype. A clip that goes takes its levels along, so a new clip at
// the same path starts again from the defaults.
struct SoundLevels : NativeData {
  static constexpr size_t kMaxTargets = 10000;
  std::map<Object*, SoundTransform> byTarget;
  void References(std::vector<Object*>& Out) const override {
    for (const auto& [target, levels] : byTarget)
      if (target) Out.push_back(target);
  }
};

// The levels of the sound, or nullptr when its clip has gone.
SoundTransform* Levels(NativeCall& C, Object* Prototype) {
  SoundData* s = ThisSound(C);
  auto* all = dynamic_cast<SoundLevels*>(Prototype->data.get());
  if (!s || !all) return nullptr;
  Object* target = nullptr;
  if (s->forClip) {
    ScriptClip* clip = C.runtime.ResolveTarget(C.clip, s->clipPath);
    if (!clip) return nullptr;
    target = clip->Variables();
  }
  if (all->byTarget.size() >= SoundLevels::kMaxTargets && !all->byTarget.count(target)) all->byTarget.clear();
  return &all->byTarget[target];
}

// The pan a transform shows: how far the quieter side is from full, by
// magnitude (a side turned negative counts as loud as its opposite).
int32_t Pan(const SoundTransform& T) {
  return T.ll == 100 ? Wrap(std::abs(int64_t{T.rr}) - 100) : Wrap(100 - std::abs(int64_t{T.ll}));
}

void InstallSound(ScriptRuntime& R) {
  Object* proto = R.NewObject();
  proto->data = std::make_unique<SoundLevels>();
  InstallClass(R, "Sound", proto, [](NativeCall& C) {
    Object* self = SoundObject(C);
    // An object holding another class's state (a text field's) keeps it.
    if (!self || (self->data && !dynamic_cast<SoundData*>(self->data.get()))) return Value();
    auto data = std::make_unique<SoundData>();
    const Value target = C.Arg(0);
    if (target.IsClip() || target.IsString()) {
      ScriptClip* clip = C.runtime.ResolveTarget(C.clip, target.string());
      data->forClip = true;
      data->clipPath = clip ? clip->TargetPath() : target.string();
    }
    self->data = std::move(data);
    return Value();
  });
  auto level = [&R, proto](const char* Name, Value (*Read)(const SoundTransform&)) {
    R.Method(proto, Name, [Read, proto](NativeCall& C) {
      SoundTransform* t = Levels(C, proto);
      return t ? Read(*t) : Value();
    });
  };
  level("getPan", [](const SoundTransform& T) { return Value::Number(Pan(T)); });
  R.Method(proto, "getTransform", [proto](NativeCall& C) {
    SoundTransform* t = Levels(C, proto);
    if (!t) return Value();
    Object* o = C.runtime.NewObject();
    o->Set("ll", Value::Number(t->ll));
    o->Set("lr", Value::Number(t->lr));
    o->Set("rr", Value::Number(t->rr));
    o->Set("rl", Value::Number(t->rl));
    return Value::Obj(o);
  });
  level("getVolume", [](const SoundTransform& T) { return Value::Number(T.volume); });
  R.Method(proto, "setPan", [proto](NativeCall& C) {
    SoundTransform* t = Levels(C, proto);
    if (!t) return Value();
    const int32_t pan = C.args.empty() ? 0 : SoundLevel(C.ToNumber(C.Arg(0)));
    t->lr = t->rl = 0;
    if (pan >= 0) {
      t->ll = Wrap(100 - int64_t{pan});
      t->rr = 100;
    } else {
      t->ll = 100;
      t->rr = Wrap(100 + int64_t{pan});
    }
    return Value();
  });
  R.Method(proto, "setTransform", [proto](NativeCall& C) {
    SoundTransform* t = Levels(C, proto);
    const Value from = C.Arg(0);
    if (!t || !from.IsObject()) return Value();
    for (auto [name, slot] : {std::pair{"ll", &t->ll}, {"lr", &t->lr}, {"rr", &t->rr}, {"rl", &t->rl}}) {
      // Only the object's own members count, not its prototype's.
      if (!from.object()->Has(name)) continue;
      const Value v = C.Get(from, name);
      if (!v.IsUndefined()) *slot = WrapInt32(C.ToNumber(v));  // unlike the setters, wraps around
    }
    return Value();
  });
  R.Method(proto, "setVolume", [proto](NativeCall& C) {
    if (SoundTransform* t = Levels(C, proto)) t->volume = C.args.empty() ? 0 : SoundLevel(C.ToNumber(C.Arg(0)));
    return Value();
  });
  auto nothing = [](NativeCall&) { return Value(); };
  R.Method(proto, "stop", nothing);
  // attachSound(linkage): the exported sound of the target's movie (the
  // calling clip's for a movie-wide Sound). Nothing plays it.
  R.Method(proto, "attachSound", [](NativeCall& C) {
    SoundData* s = ThisSound(C);
    if (!s) return Value();
    ScriptClip* clip = s->forClip ? C.runtime.ResolveTarget(C.clip, s->clipPath) : &C.clip;
    if (!clip) return Value();
    if (auto length = clip->LibrarySoundLength(C.ToString(C.Arg(0)))) s->length = length;
    return Value();
  });
  R.Method(proto, "start", nothing);
  if (R.SwfVersion() < 6) return;
  // Nothing is loaded or playing: an attached sound's length, else no
  // duration; no position, no bytes.
  R.Method(proto, "getDuration", SoundLength);
  R.Method(proto, "setDuration", nothing);
  R.Method(proto, "getPosition", [](NativeCall& C) {
    SoundData* s = ThisSound(C);
    return s && s->length ? Value::Number(0) : Value();
  });
  R.Method(proto, "setPosition", nothing);
  R.Method(proto, "loadSound", nothing);
  R.Method(proto, "getBytesLoaded", nothing);
  R.Method(proto, "getBytesTotal", nothing);
  // duration, position and id3 read as nothing; a value a movie stores in
  // them stays on the sound.
  for (const char* name : {"duration", "id3", "position"}) {
    const std::string member = name;
    Object* get = R.NewNative(member == "duration" ? NativeFunction(SoundLength) : NativeFunction(nothing));
    Object* set = R.NewNative([member](NativeCall& C) {
      if (Object* self = C.ThisObject()) self->Define(member, C.Arg(0));
      return Value();
    });
    proto->DefineAccessor(name, get, set, kDontEnum);
  }
}

// What NetConnection.connect answers and reports through onStatus: a null
// URL is the local connection for progressive downloads, which always
// succeeds; the engine opens no other connection: connect answers false and,
// as in the player, no status follows.
struct ConnectionData : NativeData {
  bool connected = false;
  bool pending = false;  // a remote connection asked for, never made
  std::optional<std::string> uri;  // as connect was given it
};

// Calls onStatus with an event of Code, or with no event when Code is empty.
void Status(NativeCall& C, const Value& Target, const std::string& Code) {
  const Value handler = C.Get(Target, "onStatus");
  if (!handler.IsFunction()) return;
  if (Code.empty()) {
    C.Call(handler, Target, {});
    return;
  }
  Object* event = C.runtime.NewObject();
  event->Set("level", Value::String("status"));
  event->Set("code", Value::String(Code));
  C.Call(handler, Target, {Value::Obj(event)});
}

ConnectionData* ThisConnection(NativeCall& C) {
  Object* o = C.ThisObject();
  return o ? dynamic_cast<ConnectionData*>(o->data.get()) : nullptr;
}

void InstallNetConnection(ScriptRuntime& R) {
  Object* proto = R.NewObject();
  InstallClass(R, "NetConnection", proto, [](NativeCall& C) {
    if (Object* self = C.ThisObject()) self->data = std::make_unique<ConnectionData>();
    return Value();
  });
  R.Method(proto, "connect", [](NativeCall& C) {
    ConnectionData* d = ThisConnection(C);
    if (!d) return Value::Bool(false);
    if (d->connected) {
      d->connected = false;
      Status(C, C.thisValue, "NetConnection.Connect.Closed");
    }
    d->uri = C.Arg(0).IsNull() ? std::string("null") : C.ToString(C.Arg(0));
    if (!C.Arg(0).IsNull()) {
      d->pending = true;
      return Value::Bool(false);
    }
    d->connected = true;
    Status(C, C.thisValue, "NetConnection.Connect.Success");
    return Value::Bool(true);
  });
  R.Method(proto, "close", [](NativeCall& C) {
    ConnectionData* d = ThisConnection(C);
    if (!d || (!d->connected && !d->pending)) return Value();
    const bool abandoned = d->pending;
    d->connected = d->pending = false;
    Status(C, C.thisValue, "NetConnection.Connect.Closed");
    // The remote attempt ends too, reported without an event.
    if (abandoned) Status(C, C.thisValue, "");
    return Value();
  });
  R.Method(proto, "call", [](NativeCall&) { return Value(); });
  R.Method(proto, "addHeader", [](NativeCall&) { return Value(); });
  Object* get = R.NewNative([](NativeCall& C) {
    ConnectionData* d = ThisConnection(C);
    return d ? Value::Bool(d->connected) : Value();
  });
  proto->DefineAccessor("isConnected", get, nullptr, kDontEnum);
  Object* uri = R.NewNative([](NativeCall& C) {
    ConnectionData* d = ThisConnection(C);
    return d && d->uri ? Value::String(*d->uri) : Value();
  });
  proto->DefineAccessor("uri", uri, nullptr, kDontEnum);
}

// Classes whose instances hold nothing the engine plays: their methods
// accept anything and answer nothing.
void InstallInert(ScriptRuntime& R, const char* Class, std::initializer_list<const char*> Methods) {
  Object* proto = R.NewObject();
  InstallClass(R, Class, proto, [](NativeCall&) { return Value(); });
  for (const char* m : Methods) R.Method(proto, m, [](NativeCall&) { return Value(); });
}

}  // namespace

void InstallMediaStubs(ScriptRuntime& R) {
  InstallSound(R);
  if (R.SwfVersion() < 6) return;
  InstallNetConnection(R);
  InstallInert(R, "NetStream",
               {"play", "pause", "close", "seek", "setBufferTime", "attachAudio", "attachVideo", "publish", "receiveAudio",
                "receiveVideo", "send"});
  InstallInert(R, "Camera", {"get", "setMode", "setQuality", "setMotionLevel", "setKeyFrameInterval", "setLoopback"});
  InstallInert(R, "Microphone", {"get", "setRate", "setGain", "setSilenceLevel", "setUseEchoSuppression"});
}

}  // namespace swf
