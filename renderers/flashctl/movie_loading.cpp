// The first movie: fetched, started with the variables of its URL's query,
// its FlashVars and the variables set before it arrived, ticked by the frame
// timer while the control is in-place active.
#include <algorithm>
#include <cmath>
#include <utility>

#include "renderers/com/utf8_text.h"
#include "renderers/engine/reader.h"
#include "renderers/flashctl/bind_callback.h"
#include "renderers/flashctl/control.h"
#include "renderers/flashctl/flash_vars.h"
#include "renderers/flashctl/frame_timer.h"

namespace flashctl {

void FlashControl::LoadFirstMovie(const std::wstring& Url) {
  // A newer first movie replaces one still on its way.
  for (auto it = requests_.begin(); it != requests_.end();) {
    if ((*it)->firstMovie) {
      if ((*it)->callback) (*it)->callback->Detach();
      it = requests_.erase(it);
    } else {
      ++it;
    }
  }
  const size_t query = Url.find(L'?');
  firstMovieQuery_ = query == std::wstring::npos ? std::wstring() : Url.substr(query + 1);
  Fetch(true, 0, Url);
}

void FlashControl::StartMovie(std::vector<uint8_t> Bytes) {
  if (movie_) return;  // a movie runs (and may be on the stack): it stays
  std::shared_ptr<const swf::Movie> movie;
  try {
    movie = swf::LoadMovie(Bytes.data(), Bytes.size());
  } catch (const swf::FormatError&) {
    SetReadyState(READYSTATE_UNINITIALIZED);  // not a movie: nothing plays
    return;
  }
  Bytes = {};
  const swf::Rect& stage = movie->frameSize;
  if (width_ <= 0 || height_ <= 0) {
    width_ = swf::StagePixels(stage.Width());
    height_ = swf::StagePixels(stage.Height());
  }
  frameInterval_ = swf::FramePeriodMs(movie->frameRate);
  movie_ = std::make_unique<swf::MovieInstance>(std::move(movie), *this);
  layer_.InvalidateAll();
  movie_->maxRequestBytes = kMaxRequestBytes;
  movie_->SetLoop(props_.loop);
  if (!props_.playing) movie_->StopPlay();
  ApplyFlashVars();
  SetReadyState(READYSTATE_INTERACTIVE);
  if (active_) StartTimer();
  movie_->SetViewport(width_, height_);  // repaints everything (through InvalidateRect, which may re-enter)
  SetReadyState(READYSTATE_COMPLETE);
}

void FlashControl::ApplyFlashVars() {
  for (const auto& [name, value] : ParseFlashVars(vt::Utf8FromWide(firstMovieQuery_)))
    movie_->SetVariable(name, value);
  for (const auto& [name, value] : ParseFlashVars(vt::Utf8FromWide(props_.flashVars)))
    movie_->SetVariable(name, value);
  for (const auto& [name, value] : std::exchange(pendingVariables_, {})) movie_->SetVariable(name, value);
}

void FlashControl::StartTimer() {
  StopTimer();
  if (!movie_ || !active_) return;
  timer_ = StartFrameTimer(this, frameInterval_);
}

void FlashControl::StopTimer() {
  StopFrameTimer(timer_);
  timer_ = 0;
}

void FlashControl::Tick() {
  KeepAlive keep(this);
  if (movie_ && active_) movie_->Step();
}

}  // namespace flashctl
