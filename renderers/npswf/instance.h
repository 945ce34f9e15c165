#pragma once
// One plug-in instance (the pdata of an NPP): the movie it plays, the device
// context it paints into, its requests in flight, its frame timer and its
// scriptable object. It is the engine's MovieHost, and passes the movie's
// calls on to the browser.
//
// The browser calls back into the instance from inside the instance's own
// calls (a repaint inside NPN_InvalidateRect, a whole stream inside
// NPN_GetURLNotify, application handlers inside NPN_Invoke, even NPP_Destroy
// of this instance). Every entry holds a CallGuard; a destroyed instance is
// freed when its outermost call returns, and after NPP_Destroy it calls the
// browser no more.

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "renderers/ansitext/ansi_text.h"
#include "renderers/engine/movie.h"
#include "renderers/gdipaint/frame_layer.h"
#include "renderers/gdipaint/gdi_fonts.h"
#include "renderers/npapi/npapi.h"
#include "renderers/npswf/embed_args.h"

namespace npswf {

using swfwin::AnsiCharReader;
using swfwin::AnsiToUtf8;
using swfwin::Utf8ToAnsi;

struct ScriptObject;

// A stream larger than this fails its request.
inline constexpr size_t kMaxStreamBytes = 256u << 20;

// A request in flight. Its token, a number never used twice in the process,
// is the notify data handed to the browser; notify data coming back is only
// ever compared with the tokens of live requests (a stream of a request gone
// since cannot land in a newer one).
struct StreamRequest {
  enum class Kind { FirstMovie, Engine };
  uintptr_t token = 0;
  Kind kind = Kind::FirstMovie;
  int engineId = 0;           // Engine: the engine's request id
  std::vector<uint8_t> data;  // FirstMovie: the bytes so far
  size_t received = 0;
  bool streamOpen = false;
  bool failed = false;
};

class PluginInstance final : public swf::MovieHost {
 public:
  PluginInstance(NPP Npp, const EmbedArgs& Args);
  ~PluginInstance() override;
  PluginInstance(const PluginInstance&) = delete;
  PluginInstance& operator=(const PluginInstance&) = delete;

  // ---- life ----
  // NPP_Destroy or NP_Shutdown: stops the timer and forgets the NPP (without
  // touching it); the object itself is freed by the registry once no call of
  // it is in progress.
  void Destroy();
  bool destroyed() const { return npp_ == nullptr; }
  int busy = 0;  // calls in progress (CallGuard)

  // ---- window, painting and input (painting.cpp, input.cpp) ----
  void SetWindow(const NPWindow* Window);
  int16_t HandleEvent(const NPEvent& Event);

  // ---- streams (streams.cpp) ----
  void NewStream(NPStream* Stream);
  int32_t Write(NPStream* Stream, int32_t Len, const void* Buffer);
  void UrlNotify(NPReason Reason, void* NotifyData);
  void DestroyStream(NPStream* Stream, NPReason Reason);

  // ---- scripting ----
  ScriptObject* scriptObject() const { return script_; }
  swf::MovieInstance* movie() const { return movie_.get(); }
  // Layer 0 without a movie: requests Url (8-bit) and starts the movie it
  // holds; otherwise the movie loads it.
  void LoadMovie(int Layer, const std::string& Url);
  bool loop() const;
  void SetLoop(bool Loop);

  // One frame (the frame timer).
  void Tick();

  // ---- MovieHost (host_calls.cpp) ----
  void RequestUrl(int RequestId, const std::string& Url, const std::string& PostData) override;
  void FSCommand(const std::string& Command, const std::string& Args) override;
  std::string CallExternal(const std::string& Name, const std::vector<swf::ExternalValue>& Args) override;
  void Invalidate(const swf::IntRect& Rect) override;
  void Log(const std::string& Text) override;
  swf::FontService* Fonts() override { return fonts_.get(); }

 private:
  StreamRequest* FindRequest(const void* NotifyData) const;
  StreamRequest* AddRequest(StreamRequest::Kind Kind, int EngineId);
  // Sends the request to the browser; false when it refused it (the record is gone then).
  bool SendRequest(StreamRequest* Request, const std::string& Url);
  void RemoveRequest(StreamRequest* Request);
  // The request is complete (Ok) or failed: hands its bytes on, drops the record.
  void FinishRequest(StreamRequest* Request, bool Ok);
  void StartMovie(std::vector<uint8_t> Bytes);
  void StopTimer();
  int16_t Paint();

  NPP npp_;
  EmbedArgs args_;
  // Device fonts; declared before the movie, whose scene may point at its glyphs.
  std::unique_ptr<swf::FontService> fonts_ = swfwin::MakeGdiFontService();
  std::unique_ptr<swf::MovieInstance> movie_;
  ScriptObject* script_ = nullptr;  // one reference is the instance's
  std::vector<std::unique_ptr<StreamRequest>> requests_;
  bool loop_ = true;  // until a movie exists
  HDC dc_ = nullptr;
  int32_t originX_ = 0, originY_ = 0;
  int32_t width_ = 0, height_ = 0;  // the viewport; 0: the movie's stage size
  swfwin::FrameLayer layer_;        // the transparent frame, kept until the movie changes
  UINT_PTR timer_ = 0;
  AnsiCharReader chars_;
};

}  // namespace npswf
