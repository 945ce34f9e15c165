// The skin editor of the players.
#include "framework/Dialogs.h"
#include "vt_d7/Vt_flashreg.h"

namespace vt {

std::wstring TvtSkinProperty::GetValue() {
  try {
    return vcl::TStringProperty::GetValue();
  } catch (const vcl::Exception& E) {
    vcl::ShowMessage(E.Message());
    return L"";
  }
}

void TvtSkinProperty::SetValue(const std::wstring& Value) {
  try {
    vcl::TStringProperty::SetValue(Value);  // every selected player, then Modified
  } catch (const vcl::Exception& E) {
    vcl::ShowMessage(E.Message());
  }
}

void TvtSkinProperty::GetValues(const vcl::TGetStrProc& Proc) {
  try {
    for (const wchar_t* skin : {L"ClearOverAll", L"SteelOverAll", L"MojaveOverAll", L"ArcticOverAll"}) Proc(skin);
  } catch (const vcl::Exception& E) {
    vcl::ShowMessage(E.Message());
  }
}

}  // namespace vt
