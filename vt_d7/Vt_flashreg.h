#pragma once
// Vt_flashreg: design time. Puts the package's components on the designer's
// palette page "Vistrel" and registers the two property editors: one loads a
// movie file into a stored movie, one offers the FLV skins. Only design-time
// programs link it (the target vt_d7::design); applications never call it.
// Its palette bitmaps are BITMAP resources of 24 x 24 pixels named after the
// classes in upper case ("TVTFLASHPLAYER", ...), plus "TVTLAYERWINDOW".

#include <windows.h>

#include <string>

#include "framework/DesignEditors.h"

namespace vt {

// The palette page the components go on.
inline constexpr wchar_t kPalettePage[] = L"Vistrel";

// The open-file filter of the movie-file editor.
inline constexpr wchar_t kFlashFileFilter[] =
    L"Flash,Video,XML and Media files|*.swf;*.flv;*.xml;*.jpg;*.png;*.mp3;*.txt|All Files|*.*";

// Edits the FlashStore of a stored movie (TvtFlashStream) through a
// file-open dialog: the chosen file's bytes replace the item's, and a file
// with bytes names the item after itself. The dialog is the only way in:
// typed text is ignored and the value cannot be reverted.
class TvtFlashStreamProperty : public vcl::TPropertyEditor {
 public:
  using vcl::TPropertyEditor::TPropertyEditor;
  vcl::TPropertyAttributes GetAttributes() override { return {vcl::paDialog}; }
  // The item's display name: its FlashStore, "(empty)" while it holds no data.
  std::wstring GetValue() override;
  // Shows a file-open dialog owned by the application. A confirmed file is
  // read whole first, so a read error (EFOpenError, EReadError, raised out
  // of Edit) leaves the item as it was; the designer hears Modified whether
  // the user confirmed or cancelled; the dialog is always freed.
  void Edit() override;
};

// Edits a player's Skin: a free-text string with the four skins offered.
// Framework exceptions while reading, writing or listing are shown in a
// message box (vcl::ShowMessage) and the editor goes on; others pass.
class TvtSkinProperty : public vcl::TStringProperty {
 public:
  using vcl::TStringProperty::TStringProperty;
  vcl::TPropertyAttributes GetAttributes() override {
    return {vcl::paValueList, vcl::paMultiSelect, vcl::paRevertable};
  }
  std::wstring GetValue() override;
  void SetValue(const std::wstring& Value) override;
  // "ClearOverAll", "SteelOverAll", "MojaveOverAll", "ArcticOverAll".
  void GetValues(const vcl::TGetStrProc& Proc) override;
};

// The unit's registration, which a designer calls once when it loads the
// package: the five components on the palette page, then the movie-file
// editor for FlashStore of TvtFlashStream, then the skin editor for Skin of
// TvtFlashPlayer, TvtFlashPlayerWnd and TvtFlashPlayerComp (and their
// descendants; TvtFlashLayer keeps the plain string editor). It also makes
// the components' classes known to the form reader.
void Register();

// The module that holds the palette bitmaps (the one linking this unit).
HINSTANCE PaletteModule();

}  // namespace vt
