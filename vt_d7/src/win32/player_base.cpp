#include "framework/SysUtils.h"
#include "vt_d7/Vt_flashplayer.h"

namespace vt {

template <class Base>
void TvtPlayerBase<Base>::LoadMovie(const std::wstring& Movie) {
  FMovie = Movie;
  if (!this->IsLoading()) FDriver->LoadMovie(FMovie);
  if (this->IsDesigning()) FDriver->SetPause(true);
}

template <class Base>
void TvtPlayerBase<Base>::LoadMovieFromStream(vcl::TStream* Stream) {
  FMovie.clear();
  if (!this->IsLoading()) FDriver->LoadMovieFromStream(Stream);
  if (this->IsDesigning()) FDriver->SetPause(true);
}

template <class Base>
void TvtPlayerBase<Base>::SetPlugin(TvtPlugin Value) {
  if (Value == FPlugin) return;
  FPlugin = Value;
  RecreateDriver();
}

template <class Base>
std::string TvtPlayerBase<Base>::GetSkin() const {
  return FDriver ? vcl::WideToAnsi(FDriver->FSkin) : std::string();
}

template <class Base>
void TvtPlayerBase<Base>::SetSkin(const std::string& Value) {
  if (FDriver) FDriver->FSkin = vcl::AnsiToWide(Value);
}

template <class Base>
void TvtPlayerBase<Base>::CopyEventsToDriver() {
  if (!FDriver) return;
  FDriver->FOnFSCommand = FSCommandForwarder();
  FDriver->FOnFlashCall = FlashCallForwarder();
}

// The handler is copied before it runs: it may assign another handler, or
// free the player, while it runs.
template <class Base>
TvtFSCommandEvent TvtPlayerBase<Base>::FSCommandForwarder() {
  return [this](vcl::TObject* ASender, const std::wstring& command, const std::wstring& args) {
    const TvtFSCommandEvent handler = OnFSCommand;
    if (handler) handler(ASender, command, args);
  };
}

template <class Base>
TvtFlashCallEvent TvtPlayerBase<Base>::FlashCallForwarder() {
  return [this](vcl::TObject* ASender, const std::wstring& request) {
    const TvtFlashCallEvent handler = OnFlashCall;
    if (handler) handler(ASender, request);
  };
}

template class TvtPlayerBase<vcl::TGraphicControl>;
template class TvtPlayerBase<vcl::TComponent>;
template class TvtPlayerBase<vcl::TCustomControl>;

}  // namespace vt
