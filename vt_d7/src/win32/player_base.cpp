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
  FDriver->FOnFSCommand = OnFSCommand;
  FDriver->FOnFlashCall = OnFlashCall;
}

template class TvtPlayerBase<vcl::TGraphicControl>;
template class TvtPlayerBase<vcl::TComponent>;

}  // namespace vt
