#include "renderers/engine/src/movie/net_stream.h"

#include <exception>
#include <optional>
#include <utility>

#include "renderers/engine/src/movie/movie_state.h"
#include "renderers/engine/src/player/imports.h"
#include "renderers/engine/src/script/internal.h"

namespace swf::movie {
namespace {

// Events told per stream in one round of settling: a handler that answers
// every event by starting over cannot keep the instance busy for ever; the
// rest wait for the next round.
constexpr int kMaxEventsPerRound = 32;

NetStreamData* DataOf(Object* O) { return O ? dynamic_cast<NetStreamData*>(O->data.get()) : nullptr; }

}  // namespace

NetStreams::NetStreams(MovieInstance::State& S) : state_(S) {
  if (S.runtime.SwfVersion() >= 6) Install();
}

void NetStreams::Install() {
  ScriptRuntime& r = state_.runtime;
  Object* proto = r.NewObject();
  InstallClass(r, "NetStream", proto, [](NativeCall& C) {
    if (Object* self = C.ThisObject()) self->data = std::make_unique<NetStreamData>();
    return Value();
  });
  // In place of the stand-in the script runtime installs on its own.
  r.SetBuiltinPrototype("NetStream", proto);
  // The stream the method runs on, or nothing for another object.
  struct This {
    Object* object;
    NetStreamData* data;
  };
  auto self = [](NativeCall& C) {
    Object* o = C.ThisObject();
    return This{o, DataOf(o)};
  };
  r.Method(proto, "play", [this, self](NativeCall& C) {
    const This t = self(C);
    if (!t.data) return Value();
    const Value url = C.Arg(0);
    const std::string text = url.IsUndefined() || url.IsNull() ? std::string() : C.ToString(url);
    ScriptClip* root = C.clip.Root();
    Play(t.object, *t.data, text, root ? root->LevelNumber() : 0);
    return Value();
  });
  r.Method(proto, "pause", [this, self](NativeCall& C) {
    const This t = self(C);
    if (!t.data) return Value();
    std::optional<bool> paused;
    if (!C.args.empty() && !C.args[0].IsUndefined()) paused = C.args[0].ToBoolean();
    t.data->playback->Pause(paused);
    Track(t.object, *t.data);
    return Value();
  });
  r.Method(proto, "seek", [this, self](NativeCall& C) {
    const This t = self(C);
    if (!t.data) return Value();
    t.data->playback->Seek(C.ToNumber(C.Arg(0)));
    Track(t.object, *t.data);
    return Value();
  });
  r.Method(proto, "close", [this, self](NativeCall& C) {
    const This t = self(C);
    if (t.data) Close(*t.data);
    return Value();
  });
  r.Method(proto, "setBufferTime", [self](NativeCall& C) {
    const This t = self(C);
    if (t.data) t.data->playback->SetBufferTime(C.ToNumber(C.Arg(0)));
    return Value();
  });
  // What a stream from a server would take: nothing here.
  for (const char* name : {"attachAudio", "attachVideo", "publish", "receiveAudio", "receiveVideo", "send"})
    r.Method(proto, name, [](NativeCall&) { return Value(); });
  // Read-only properties, read from the playback.
  auto property = [&](const char* Name, double (*Read)(const StreamPlayback&)) {
    Object* get = r.NewNative([self, Read](NativeCall& C) {
      const This t = self(C);
      return t.data ? Value::Number(Read(*t.data->playback)) : Value();
    });
    proto->DefineAccessor(Name, get, nullptr, kDontEnum);
  };
  property("time", [](const StreamPlayback& P) { return P.Time(); });
  property("bytesLoaded", [](const StreamPlayback& P) { return static_cast<double>(P.BytesLoaded()); });
  property("bytesTotal", [](const StreamPlayback& P) { return static_cast<double>(P.BytesTotal()); });
  property("bufferTime", [](const StreamPlayback& P) { return P.BufferTime(); });
  property("bufferLength", [](const StreamPlayback& P) { return P.BufferLength(); });
  property("currentFps", [](const StreamPlayback& P) { return P.CurrentFps(); });
  property("liveDelay", [](const StreamPlayback&) { return 0.0; });
}

// ---- downloads ----

void NetStreams::Play(Object* Stream, NetStreamData& D, const std::string& Url, int Level) {
  Forget(D);
  D.playback->Start(state_.self.maxRequestBytes);
  Track(Stream, D);
  if (Url.empty()) {
    D.playback->EndOfData(false);
    return;
  }
  // Relative to the URL of the movie of the script's level; as the movie
  // names it when that is unknown (the host then resolves it as for other loads).
  const auto base = state_.levelUrls.find(Level);
  const int id = state_.nextRequest++;
  D.request = id;
  downloads_[id] = D.playback;
  state_.host.RequestUrl(id, detail::ResolveUrl(base == state_.levelUrls.end() ? "" : base->second, Url), "");
}

void NetStreams::Close(NetStreamData& D) {
  Forget(D);
  D.playback->Close();
}

void NetStreams::Forget(NetStreamData& D) {
  if (D.request) downloads_.erase(D.request);
  D.request = 0;
}

void NetStreams::Track(Object* Stream, NetStreamData& D) {
  if (!Stream || !D.playback->Busy()) return;
  Active& a = active_[Stream];
  if (!a.object.get()) a.object = RootedObject(state_.runtime, Stream);
  a.playback = D.playback;
}

bool NetStreams::Deliver(int Request, const uint8_t* Data, size_t Size) {
  const auto it = downloads_.find(Request);
  if (it == downloads_.end()) return false;
  const std::shared_ptr<StreamPlayback> p = it->second;
  try {
    p->Receive(Data, Size);
  } catch (const std::exception& e) {
    p->EndOfData(false);
    state_.host.Log(std::string("video stream: ") + e.what());
  }
  if (!p->Receiving()) downloads_.erase(Request);
  return true;
}

bool NetStreams::Finish(int Request, bool Ok) {
  const auto it = downloads_.find(Request);
  if (it == downloads_.end()) return false;
  const std::shared_ptr<StreamPlayback> p = it->second;
  downloads_.erase(it);
  p->EndOfData(Ok);
  return true;
}

bool NetStreams::SetSize(int Request, uint64_t Total) {
  const auto it = downloads_.find(Request);
  if (it == downloads_.end()) return false;
  it->second->SetTotalBytes(Total);
  return true;
}

// ---- ticks and events ----

void NetStreams::Step(double PeriodMs) {
  for (auto& [object, a] : active_) {
    try {
      a.playback->Tick(PeriodMs);
    } catch (const std::exception& e) {
      // Out of memory for a picture, say: this stream stops, the movie goes on.
      state_.host.Log(std::string("video stream: ") + e.what() + "; closed");
      a.playback->Close();
    }
  }
}

bool NetStreams::TellEvents() {
  // A snapshot: handlers may play, close or make streams.
  struct Told {
    RootedObject object;
    std::shared_ptr<StreamPlayback> playback;
  };
  std::vector<Told> streams;
  for (auto& [object, a] : active_) streams.push_back({RootedObject(state_.runtime, object), a.playback});
  bool told = false;
  for (Told& s : streams) {
    for (int n = 0; n < kMaxEventsPerRound; ++n) {
      std::optional<StreamEvent> e = s.playback->NextEvent();
      if (!e) break;
      told = true;
      if (e->kind == StreamEvent::Kind::Log) {
        state_.host.Log(e->text);
      } else if (e->kind == StreamEvent::Kind::MetaData) {
        std::vector<RootedObject> keep;
        const Value info = ScriptValueOf(state_, e->data, keep);
        Call(s.object.get(), "onMetaData", {info});
      } else {
        Object* info = state_.runtime.NewObject();
        info->Set("code", Value::String(e->code));
        info->Set("level", Value::String(e->level));
        if (e->details) info->Set("details", Value::Number(*e->details));
        Call(s.object.get(), "onStatus", {Value::Obj(info)});
      }
    }
  }
  for (auto it = active_.begin(); it != active_.end();)
    it = it->second.playback->Busy() ? std::next(it) : active_.erase(it);
  return told;
}

void NetStreams::Call(Object* Stream, const char* Handler, std::vector<Value> Args) {
  const std::optional<Value> f = Stream->Find(Handler);
  if (!f || !f->IsFunction()) return;
  state_.runtime.CallFunction(*f, Value::Obj(Stream), Args, state_.Clip0(), state_.bridge, state_.self.budget);
}

}  // namespace swf::movie
