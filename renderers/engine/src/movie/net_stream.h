#pragma once
// NetStream as scripts use it: the class installed into the movie's
// runtime, the downloads it asks of the host, and the streams in play,
// which move with the movie's ticks and tell their objects how it goes
// (onStatus, onMetaData) once no script runs.
//
// A stream object in play (a download in progress, playing, or events not
// yet told) is kept alive by this list, as a load keeps its receiver; after
// Play.Stop or close() it lives as long as scripts refer to it.

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "renderers/engine/movie.h"
#include "renderers/engine/src/movie/net_stream_playback.h"

namespace swf::movie {

// The native data of a NetStream object: its playback, and through it the
// feed a video instance shows.
class NetStreamData : public video::VideoFeedSource {
 public:
  NetStreamData() : playback(std::make_shared<StreamPlayback>()) {}
  std::shared_ptr<video::VideoFeed> Feed() override { return playback->Feed(); }
  std::shared_ptr<StreamPlayback> playback;
  int request = 0;  // the download in progress (0: none)
};

class NetStreams {
 public:
  // Installs NetStream into S's runtime (movies from SWF 6 on).
  explicit NetStreams(MovieInstance::State& S);
  NetStreams(const NetStreams&) = delete;
  NetStreams& operator=(const NetStreams&) = delete;

  // A download's data, end and size; false when the request is not a stream's.
  bool Deliver(int Request, const uint8_t* Data, size_t Size);
  bool Finish(int Request, bool Ok);
  bool SetSize(int Request, uint64_t Total);
  // One movie tick of PeriodMs for every stream in play.
  void Step(double PeriodMs);
  // Tells the stream objects what happened; true when any script ran.
  bool TellEvents();

  // ---- what the script methods do ----
  // Url as the script named it, from a script on level Level.
  void Play(Object* Stream, NetStreamData& D, const std::string& Url, int Level);
  void Close(NetStreamData& D);
  // Keeps Stream alive and ticking while its playback is busy.
  void Track(Object* Stream, NetStreamData& D);

 private:
  struct Active {
    RootedObject object;
    std::shared_ptr<StreamPlayback> playback;
  };
  void Install();
  void Forget(NetStreamData& D);  // drops the download in progress
  void Call(Object* Stream, const char* Handler, std::vector<Value> Args);

  MovieInstance::State& state_;
  std::map<Object*, Active> active_;
  std::map<int, std::shared_ptr<StreamPlayback>> downloads_;  // by request id
};

// The value of onMetaData's argument as a script value: objects and ECMA
// arrays become objects, strict arrays arrays, dates Date objects. Every
// object made is rooted in Keep until the caller is done with it.
Value ScriptValueOf(MovieInstance::State& S, const video::AmfValue& V, std::vector<RootedObject>& Keep);

}  // namespace swf::movie
