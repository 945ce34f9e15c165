// The players' published properties, in the order forms store them.
#include "vt_d7/Vt_flashplayer.h"

namespace vt {

const vcl::TEnumType& PluginType() {
  static const vcl::TEnumType type{L"TvtPlugin", {L"vtDefault", L"vtNetscape", L"vtActiveX"}};
  return type;
}

namespace {

// Movie, Skin, Pause and Volume have no default: they are always stored.
template <class Player>
void PublishMovieSettings(vcl::TPublisher<Player>& P) {
  P.WString(L"Movie", &Player::Movie, &Player::SetMovie)
      .String(L"Skin", &Player::GetSkin, &Player::SetSkin)
      .Boolean(L"Pause", &Player::GetPause, &Player::SetPause)
      .Integer(L"Volume", &Player::GetVolume, &Player::SetVolume);
}

template <class Base>
void PublishMovieEvents(vcl::TPropList& List) {
  vcl::TPublisher<TvtPlayerBase<Base>>(List)
      .Event(L"OnFSCommand", &TvtPlayerBase<Base>::OnFSCommand)
      .Event(L"OnFlashCall", &TvtPlayerBase<Base>::OnFlashCall);
}

void PublishTabStop(vcl::TPropList& List) {
  vcl::TPublisher<vcl::TWinControl>(List).Boolean(L"TabStop", &vcl::TWinControl::TabStop,
                                                  &vcl::TWinControl::SetTabStop, true);
}

}  // namespace

void TvtFlashPlayer::GetPublishedProperties(vcl::TPropList& List) {
  vcl::TGraphicControl::GetPublishedProperties(List);
  PublishCommon(List);
  vcl::TPublisher<TvtFlashPlayer> P(List);
  P.Boolean(L"DisableFlashCursor", &TvtFlashPlayer::GetDisableFlashCursor, &TvtFlashPlayer::SetDisableFlashCursor,
            false)
      .Boolean(L"DisableFlashMenu", &TvtFlashPlayer::GetDisableFlashMenu, &TvtFlashPlayer::SetDisableFlashMenu, true)
      .Enum(L"Plugin", PluginType(), &TvtFlashPlayer::Plugin, &TvtFlashPlayer::SetPlugin,
            static_cast<int64_t>(vtDefault));
  PublishMovieSettings(P);
  PublishMovieEvents<vcl::TGraphicControl>(List);
  P.Boolean(L"Transparent", &TvtFlashPlayer::Transparent, &TvtFlashPlayer::SetTransparent, true);
}

void TvtCustomFlashPlayerWnd::GetPublishedProperties(vcl::TPropList& List) {
  vcl::TCustomControl::GetPublishedProperties(List);
  using P = TvtCustomFlashPlayerWnd;
  vcl::TPublisher<P> publisher(List);
  publisher.Boolean(L"DisableFlashCursor", &P::GetDisableFlashCursor, &P::SetDisableFlashCursor, false)
      .Boolean(L"DisableFlashMenu", &P::GetDisableFlashMenu, &P::SetDisableFlashMenu, true)
      .Enum(L"Plugin", PluginType(), &P::Plugin, &P::SetPlugin, static_cast<int64_t>(vtDefault));
  PublishMovieSettings(publisher);
  PublishMovieEvents<vcl::TCustomControl>(List);
  PublishTabStop(List);
}

// Align, Anchors, DragCursor, DragMode, Color, ParentColor, ParentShowHint,
// PopupMenu, ShowHint, Visible and the drag and click events join the list;
// TabStop stays where the custom player published it.
void TvtFlashPlayerWnd::GetPublishedProperties(vcl::TPropList& List) {
  TvtCustomFlashPlayerWnd::GetPublishedProperties(List);
  PublishCommon(List);
}

void TvtFlashPlayerComp::GetPublishedProperties(vcl::TPropList& List) {
  vcl::TComponent::GetPublishedProperties(List);
  vcl::TPublisher<TvtFlashPlayerComp> P(List);
  P.Enum(L"Plugin", PluginType(), &TvtFlashPlayerComp::Plugin, &TvtFlashPlayerComp::SetPlugin,
         static_cast<int64_t>(vtDefault));
  PublishMovieSettings(P);
  P.Integer(L"Width", &TvtFlashPlayerComp::Width, &TvtFlashPlayerComp::SetWidth)
      .Integer(L"Height", &TvtFlashPlayerComp::Height, &TvtFlashPlayerComp::SetHeight)
      .Event(L"OnPaint", &TvtFlashPlayerComp::OnPaint);
  PublishMovieEvents<vcl::TComponent>(List);
}

}  // namespace vt
