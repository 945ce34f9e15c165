#pragma once
// A running movie as a renderer hosts it: levels, frame and button scripts,
// variables, ExternalInterface, loads through the host, input and the control
// surface of a player component. Portable.
//
// The renderer implements MovieHost and drives MovieInstance: Step once per
// frame tick, input as it comes, Render on paint. Every script runs under the
// instance's Budget; a runaway script is aborted with a log line and the
// movie goes on.
//
// Re-entrancy: the host may call back into the instance from inside any
// MovieHost call (SetVariable, CallFunction, DeliverData, FinishRequest, ...).
// Completed loads, the scripts of frames entered and repaints are applied
// when the outermost call into the instance returns.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "renderers/engine/external.h"
#include "renderers/engine/fonts.h"
#include "renderers/engine/model.h"
#include "renderers/engine/render.h"
#include "renderers/engine/script.h"

namespace swf {

class MovieHost {
 public:
  virtual ~MovieHost() = default;
  // Fetch Url (with PostData when not empty). The bytes come back through
  // DeliverData and FinishRequest with the same id, later or never.
  virtual void RequestUrl(int RequestId, const std::string& Url, const std::string& PostData) = 0;
  // fscommand(Command, Args) from a script.
  virtual void FSCommand(const std::string& Command, const std::string& Args) = 0;
  // ExternalInterface.call(Name, Args...): the answer is an XML value text
  // (or plain text, which the movie receives as a string; empty: undefined).
  virtual std::string CallExternal(const std::string& Name, const std::vector<ExternalValue>& Args) = 0;
  // Repaint Rect (viewport pixels).
  virtual void Invalidate(const IntRect& Rect) = 0;
  // Trace output ("trace: TEXT") and what went wrong in scripts and loads.
  virtual void Log(const std::string& Text) = 0;
  // Outlines of device fonts; nullptr: text in device fonts is not drawn.
  // The service outlives the instance.
  virtual FontService* Fonts() { return nullptr; }
};

// How a renderer shows a movie: the stage's size in whole pixels (Twips / 20
// rounded up, clamped to 0..65535), and the period of its frame timer in
// milliseconds for a frame rate in 8.8 fixed point (at least 1; a rate of 0
// plays at 12 frames a second).
int32_t StagePixels(double Twips);
uint32_t FramePeriodMs(uint16_t FrameRate);

class MovieInstance {
 public:
  MovieInstance(std::shared_ptr<const Movie> M, MovieHost& Host);
  ~MovieInstance();
  MovieInstance(const MovieInstance&) = delete;
  MovieInstance& operator=(const MovieInstance&) = delete;

  // ---- control surface (the root timeline of _level0) ----
  void Play();
  void StopPlay();
  void Rewind();   // frame 0, stopped
  void Forward();  // the next frame, stopped
  void Back();     // the previous frame, stopped
  bool IsPlaying() const;
  bool Loop() const;
  void SetLoop(bool Loop);
  // Frames counted from 0, as MoviePlayer counts them (scripts see them from 1).
  int32_t CurrentFrame() const;
  int32_t TotalFrames() const;
  void GotoFrame(int32_t Frame);  // clamped; keeps the play state

  // Variables by path from _level0 ("flv.skin", "/clip:var", "_root.a"), as text.
  // GetVariable of an unknown variable is "" ; SetVariable of a path whose clip
  // does not exist does nothing.
  std::string GetVariable(const std::string& Path);
  void SetVariable(const std::string& Path, const std::string& Value);
  // An ExternalInterface invoke request in, the XML value text of the result
  // out. A malformed request, an unknown function or a result that cannot be
  // encoded answers "<undefined/>".
  std::string CallFunction(const std::string& Request);
  // The native data of the object a variable path names ("ns", "a.b"), or
  // nullptr: what a built-in object keeps, for hosts and tests that look
  // inside one (a NetStream's video feed). Valid while the object is
  // referred to and no script has run since.
  NativeData* NativeDataAt(const std::string& Path);
  // Loads the movie at Url into level Layer (0 replaces the movie) once the
  // host has delivered it in full.
  void LoadMovie(int Layer, const std::string& Url);

  // ---- frame step and input ----
  // One tick. The first enters frame 0 (runs its scripts); each later one
  // advances every playing timeline and runs the scripts of the frames entered.
  void Step();
  // Viewport pixels.
  void MouseMove(double X, double Y);
  void MouseDown(double X, double Y);
  void MouseUp(double X, double Y);
  void KeyPress(int Code);

  // ---- data for requests ----
  void DeliverData(int RequestId, const uint8_t* Data, size_t Size);  // any number of pieces
  void FinishRequest(int RequestId, bool Ok);  // complete or failed; unknown ids are ignored
  // The size of a request's data, for hosts that know it before it has all
  // arrived (a video stream's bytesTotal). Optional; unknown ids are ignored.
  void SetRequestSize(int RequestId, uint64_t Total);

  // ---- drawing ----
  void SetViewport(int Width, int Height);
  // Level 0 as MoviePlayer::Render draws it, higher levels over it.
  void Render(const RenderTarget& Target, IntRect Clip, bool Transparent) const;

  // Limits of every script run; a request body larger than maxRequestBytes fails.
  Budget budget;
  size_t maxRequestBytes = 64u << 20;

  struct State;

 private:
  std::unique_ptr<State> state_;
};

}  // namespace swf
