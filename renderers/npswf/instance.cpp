// A plug-in instance: its life, its window, the movie it starts and the
// frame ticks.
#include "renderers/npswf/instance.h"

#include <algorithm>
#include <cmath>

#include "renderers/engine/reader.h"
#include "renderers/npswf/frame_timer.h"
#include "renderers/npswf/scriptable.h"

namespace npswf {

PluginInstance::PluginInstance(NPP Npp, const EmbedArgs& Args)
    : npp_(Npp), args_(Args), width_(Args.width), height_(Args.height) {
  script_ = NewScriptObject(this);
}

PluginInstance::~PluginInstance() {
  StopTimer();
  DetachScriptObject(script_);
  script_ = nullptr;
}

void PluginInstance::Destroy() {
  StopTimer();
  npp_ = nullptr;  // not even read again: at NP_Shutdown the browser may have freed it
  dc_ = nullptr;
  requests_.clear();
}

void PluginInstance::StopTimer() {
  StopFrameTimer(timer_);
  timer_ = 0;
}

void PluginInstance::SetWindow(const NPWindow* Window) {
  if (!Window || Window->type != NPWindowTypeDrawable || !Window->window) {
    dc_ = nullptr;  // nothing to paint into until the next window
    return;
  }
  dc_ = static_cast<HDC>(Window->window);
  originX_ = Window->x;
  originY_ = Window->y;
  const int32_t w = static_cast<int32_t>(std::min<uint32_t>(Window->width, 65535));
  const int32_t h = static_cast<int32_t>(std::min<uint32_t>(Window->height, 65535));
  if (w == width_ && h == height_) return;  // the same size: nothing changes (no repaint of everything)
  width_ = w;
  height_ = h;
  if (movie_) movie_->SetViewport(width_, height_);
}

bool PluginInstance::loop() const { return movie_ ? movie_->Loop() : loop_; }

void PluginInstance::SetLoop(bool Loop) {
  loop_ = Loop;
  if (movie_) movie_->SetLoop(Loop);
}

void PluginInstance::LoadMovie(int Layer, const std::string& Url) {
  if (destroyed() || Layer < 0 || Url.empty()) return;
  if (movie_) {
    movie_->LoadMovie(Layer, AnsiToUtf8(Url));
    return;
  }
  if (Layer != 0) return;  // nothing to load into before the movie exists
  // A newer first movie replaces one still on its way: the old stream is dropped.
  for (auto it = requests_.begin(); it != requests_.end();)
    it = (*it)->kind == StreamRequest::Kind::FirstMovie ? requests_.erase(it) : std::next(it);
  SendRequest(AddRequest(StreamRequest::Kind::FirstMovie, 0), Url);
}

void PluginInstance::StartMovie(std::vector<uint8_t> Bytes) {
  if (movie_) return;  // a movie runs (and may be on the stack): it stays
  std::shared_ptr<const swf::Movie> movie;
  try {
    movie = swf::LoadMovie(Bytes.data(), Bytes.size());
  } catch (const swf::FormatError&) {
    return;  // not a movie: the instance stays as it was
  }
  Bytes = {};
  const swf::Rect& stage = movie->frameSize;
  if (width_ <= 0 || height_ <= 0) {
    width_ = swf::StagePixels(stage.Width());
    height_ = swf::StagePixels(stage.Height());
  }
  const UINT interval = swf::FramePeriodMs(movie->frameRate);
  movie_ = std::make_unique<swf::MovieInstance>(std::move(movie), *this);
  movie_->maxRequestBytes = kMaxStreamBytes;
  movie_->SetLoop(loop_);
  StopTimer();
  timer_ = StartFrameTimer(this, interval);
  layer_.InvalidateAll();
  // Repaints everything (through NPN_InvalidateRect, which may re-enter).
  movie_->SetViewport(width_, height_);
}

void PluginInstance::Tick() {
  if (!destroyed() && movie_) movie_->Step();
}

void PluginInstance::Log(const std::string&) {
  // Trace output and script faults are not reported anywhere.
}

}  // namespace npswf
