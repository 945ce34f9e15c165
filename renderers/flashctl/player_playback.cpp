// IvtFlashPlayer: the movie's playback, loading and scripting. Before a
// movie exists the controls only remember Playing and Loop, and the queries
// answer 0, false or "".
#include "renderers/com/com_call.h"
#include "renderers/com/utf8_text.h"
#include "renderers/flashctl/control.h"
#include "renderers/flashctl/out_params.h"

namespace flashctl {
namespace {

constexpr DISPID kPlayingId = 0x7d, kLoopId = 0x6a, kMovieId = 0x66;

}  // namespace

HRESULT FlashControl::get_ReadyState(LONG* State) {
  if (!State) return E_POINTER;
  *State = readyState_;
  return S_OK;
}

HRESULT FlashControl::get_TotalFrames(LONG* Frames) {
  if (!Frames) return E_POINTER;
  *Frames = movie_ ? movie_->TotalFrames() : 0;
  return S_OK;
}

HRESULT FlashControl::get_Playing(VARIANT_BOOL* Playing) {
  if (!Playing) return E_POINTER;
  *Playing = Vb(movie_ ? movie_->IsPlaying() : props_.playing);
  return S_OK;
}

HRESULT FlashControl::put_Playing(VARIANT_BOOL Playing) { return Playing ? Play() : StopPlay(); }

HRESULT FlashControl::get_Loop(VARIANT_BOOL* Loop) {
  if (!Loop) return E_POINTER;
  *Loop = Vb(movie_ ? movie_->Loop() : props_.loop);
  return S_OK;
}

HRESULT FlashControl::put_Loop(VARIANT_BOOL Loop) {
  return vt::ComCall([&]() -> HRESULT {
    KeepAlive keep(this);
    props_.loop = Loop != VARIANT_FALSE;
    if (movie_) movie_->SetLoop(props_.loop);
    PropertyChanged(kLoopId);
    return S_OK;
  });
}

HRESULT FlashControl::get_Movie(BSTR* Path) {
  if (!Path) return E_POINTER;
  return vt::ComCall([&] { return SetText(Path, props_.movie); });
}

HRESULT FlashControl::put_Movie(BSTR Path) {
  return vt::ComCall([&]() -> HRESULT {
    KeepAlive keep(this);
    props_.movie = vt::TBstr::BstrText(Path);
    PropertyChanged(kMovieId);
    return LoadMovie(0, Path);
  });
}

HRESULT FlashControl::get_FrameNum(LONG* Frame) { return CurrentFrame(Frame); }
HRESULT FlashControl::put_FrameNum(LONG Frame) { return GotoFrame(Frame); }

HRESULT FlashControl::SetZoomRect(LONG, LONG, LONG, LONG) { return E_NOTIMPL; }
HRESULT FlashControl::Zoom(int) { return E_NOTIMPL; }
HRESULT FlashControl::Pan(LONG, LONG, int) { return E_NOTIMPL; }

HRESULT FlashControl::Play() {
  return vt::ComCall([&]() -> HRESULT {
    KeepAlive keep(this);
    props_.playing = true;
    if (movie_) movie_->Play();
    PropertyChanged(kPlayingId);
    return S_OK;
  });
}

HRESULT FlashControl::StopPlay() {
  return vt::ComCall([&]() -> HRESULT {
    KeepAlive keep(this);
    props_.playing = false;
    if (movie_) movie_->StopPlay();
    PropertyChanged(kPlayingId);
    return S_OK;
  });
}

HRESULT FlashControl::Stop() { return StopPlay(); }

HRESULT FlashControl::Back() {
  return vt::ComCall([&]() -> HRESULT {
    KeepAlive keep(this);
    if (movie_) movie_->Back();
    return S_OK;
  });
}

HRESULT FlashControl::Forward() {
  return vt::ComCall([&]() -> HRESULT {
    KeepAlive keep(this);
    if (movie_) movie_->Forward();
    return S_OK;
  });
}

HRESULT FlashControl::Rewind() {
  return vt::ComCall([&]() -> HRESULT {
    KeepAlive keep(this);
    if (movie_) movie_->Rewind();
    return S_OK;
  });
}

HRESULT FlashControl::GotoFrame(LONG Frame) {
  if (Frame < 0) return E_INVALIDARG;
  return vt::ComCall([&]() -> HRESULT {
    KeepAlive keep(this);
    if (movie_) movie_->GotoFrame(Frame);
    return S_OK;
  });
}

HRESULT FlashControl::CurrentFrame(LONG* Frame) {
  if (!Frame) return E_POINTER;
  *Frame = movie_ ? movie_->CurrentFrame() : 0;
  return S_OK;
}

HRESULT FlashControl::IsPlaying(VARIANT_BOOL* Playing) { return get_Playing(Playing); }

HRESULT FlashControl::PercentLoaded(LONG* Percent) {
  if (!Percent) return E_POINTER;
  *Percent = movie_ ? 100 : 0;
  for (const auto& r : requests_)
    if (r->firstMovie && r->expected)
      *Percent = static_cast<LONG>(std::min<uint64_t>(100, uint64_t(r->received) * 100 / r->expected));
  return S_OK;
}

HRESULT FlashControl::FrameLoaded(LONG Frame, VARIANT_BOOL* Loaded) {
  if (!Loaded) return E_POINTER;
  *Loaded = Vb(movie_ && Frame >= 0 && Frame < movie_->TotalFrames());
  return S_OK;
}

HRESULT FlashControl::FlashVersion(LONG* Version) {
  if (!Version) return E_POINTER;
  *Version = kFlashVersion;
  return S_OK;
}

HRESULT FlashControl::LoadMovie(int Layer, BSTR Url) {
  const std::wstring url = vt::TBstr::BstrText(Url);
  if (Layer < 0 || url.empty()) return E_INVALIDARG;
  return vt::ComCall([&]() -> HRESULT {
    KeepAlive keep(this);
    if (movie_) {
      movie_->LoadMovie(Layer, vt::Utf8FromWide(url));
      return S_OK;
    }
    if (Layer != 0) return E_FAIL;  // nothing to load into before the movie exists
    LoadFirstMovie(url);
    return S_OK;
  });
}

// Targets of other timelines are not offered by the engine.
HRESULT FlashControl::TGotoFrame(BSTR, LONG) { return E_NOTIMPL; }
HRESULT FlashControl::TGotoLabel(BSTR, BSTR) { return E_NOTIMPL; }
HRESULT FlashControl::TCurrentFrame(BSTR, LONG* Frame) {
  if (!Frame) return E_POINTER;
  *Frame = 0;
  return E_NOTIMPL;
}
HRESULT FlashControl::TCurrentLabel(BSTR, BSTR* Label) {
  if (!Label) return E_POINTER;
  *Label = nullptr;
  return E_NOTIMPL;
}
HRESULT FlashControl::TPlay(BSTR) { return E_NOTIMPL; }
HRESULT FlashControl::TStopPlay(BSTR) { return E_NOTIMPL; }
HRESULT FlashControl::TSetProperty(BSTR, int, BSTR) { return E_NOTIMPL; }
HRESULT FlashControl::TGetProperty(BSTR, int, BSTR* Value) {
  if (!Value) return E_POINTER;
  *Value = nullptr;
  return E_NOTIMPL;
}
HRESULT FlashControl::TCallFrame(BSTR, int) { return E_NOTIMPL; }
HRESULT FlashControl::TCallLabel(BSTR, BSTR) { return E_NOTIMPL; }
HRESULT FlashControl::TSetPropertyNum(BSTR, int, double) { return E_NOTIMPL; }
HRESULT FlashControl::TGetPropertyNum(BSTR, int, double* Value) {
  if (!Value) return E_POINTER;
  *Value = 0;
  return E_NOTIMPL;
}
HRESULT FlashControl::TGetPropertyAsNumber(BSTR Target, int Property, double* Value) {
  return TGetPropertyNum(Target, Property, Value);
}

HRESULT FlashControl::SetVariable(BSTR Name, BSTR Value) {
  return vt::ComCall([&]() -> HRESULT {
    KeepAlive keep(this);
    // Before the movie exists (it may still be on its way) the variable
    // waits for it, as FlashVars do.
    if (!movie_)
      pendingVariables_.emplace_back(vt::Utf8FromBstr(Name), vt::Utf8FromBstr(Value));
    else
      movie_->SetVariable(vt::Utf8FromBstr(Name), vt::Utf8FromBstr(Value));
    return S_OK;
  });
}

HRESULT FlashControl::GetVariable(BSTR Name, BSTR* Value) {
  if (!Value) return E_POINTER;
  *Value = nullptr;
  return vt::ComCall([&]() -> HRESULT {
    KeepAlive keep(this);
    if (!movie_) return S_OK;
    return SetText(Value, vt::WideFromUtf8(movie_->GetVariable(vt::Utf8FromBstr(Name))));
  });
}

HRESULT FlashControl::CallFunction(BSTR Request, BSTR* Response) {
  if (!Response) return E_POINTER;
  *Response = nullptr;
  return vt::ComCall([&]() -> HRESULT {
    KeepAlive keep(this);
    if (!movie_) return S_OK;
    return SetText(Response, vt::WideFromUtf8(movie_->CallFunction(vt::Utf8FromBstr(Request))));
  });
}

HRESULT FlashControl::SetReturnValue(BSTR Value) {
  if (!returnSlot_) return E_UNEXPECTED;  // no FlashCall event in progress
  return vt::ComCall([&]() -> HRESULT {
    *returnSlot_ = vt::TBstr::BstrText(Value);
    return S_OK;
  });
}

HRESULT FlashControl::EnforceLocalSecurity() { return S_OK; }
HRESULT FlashControl::DisableLocalSecurity() { return S_OK; }

}  // namespace flashctl
