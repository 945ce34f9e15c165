// How controls and forms take part in form streaming: their place in the
// tree, their published properties and the names of their types.
#include "../../Controls.h"
#include "../../Forms.h"

namespace vcl {

const TEnumType& AlignType() {
  static const TEnumType type{L"TAlign", {L"alNone", L"alTop", L"alBottom", L"alLeft", L"alRight", L"alClient"}};
  return type;
}

const TEnumType& AnchorKindType() {
  static const TEnumType type{L"TAnchorKind", {L"akLeft", L"akTop", L"akRight", L"akBottom"}};
  return type;
}

const TEnumType& DragModeType() {
  static const TEnumType type{L"TDragMode", {L"dmManual", L"dmAutomatic"}};
  return type;
}

const TIntegerIdents& CursorIdents() {
  static const TIntegerIdents idents{{{crDefault, L"crDefault"},
                                      {crNone, L"crNone"},
                                      {crArrow, L"crArrow"},
                                      {crCross, L"crCross"},
                                      {crIBeam, L"crIBeam"},
                                      {crDrag, L"crDrag"},
                                      {crNoDrop, L"crNoDrop"},
                                      {crHandPoint, L"crHandPoint"}}};
  return idents;
}

const TIntegerIdents& ColorIdents() {
  static const TIntegerIdents idents{{
      {clBlack, L"clBlack"},
      {clMaroon, L"clMaroon"},
      {clGreen, L"clGreen"},
      {clOlive, L"clOlive"},
      {clNavy, L"clNavy"},
      {clPurple, L"clPurple"},
      {clTeal, L"clTeal"},
      {clGray, L"clGray"},
      {clSilver, L"clSilver"},
      {clRed, L"clRed"},
      {clLime, L"clLime"},
      {clYellow, L"clYellow"},
      {clBlue, L"clBlue"},
      {clFuchsia, L"clFuchsia"},
      {clAqua, L"clAqua"},
      {clWhite, L"clWhite"},
      {clActiveBorder, L"clActiveBorder"},
      {clActiveCaption, L"clActiveCaption"},
      {clAppWorkSpace, L"clAppWorkSpace"},
      {clBackground, L"clBackground"},
      {clBtnFace, L"clBtnFace"},
      {clBtnHighlight, L"clBtnHighlight"},
      {clBtnShadow, L"clBtnShadow"},
      {clBtnText, L"clBtnText"},
      {clCaptionText, L"clCaptionText"},
      {clDefault, L"clDefault"},
      {clGrayText, L"clGrayText"},
      {clHighlight, L"clHighlight"},
      {clHighlightText, L"clHighlightText"},
      {clInactiveBorder, L"clInactiveBorder"},
      {clInactiveCaption, L"clInactiveCaption"},
      {clInactiveCaptionText, L"clInactiveCaptionText"},
      {clInfoBk, L"clInfoBk"},
      {clInfoText, L"clInfoText"},
      {clMenu, L"clMenu"},
      {clMenuText, L"clMenuText"},
      {clNone, L"clNone"},
      {clScrollBar, L"clScrollBar"},
      {cl3DDkShadow, L"cl3DDkShadow"},
      {cl3DLight, L"cl3DLight"},
      {clWindow, L"clWindow"},
      {clWindowFrame, L"clWindowFrame"},
      {clWindowText, L"clWindowText"},
  }};
  return idents;
}

TComponent* TControl::GetParentComponent() const { return parent_; }

void TControl::SetParentComponent(TComponent* Value) {
  if (auto* parent = dynamic_cast<TWinControl*>(Value)) SetParent(parent);
}

void TControl::GetPublishedProperties(TPropList& List) {
  TComponent::GetPublishedProperties(List);
  TPublisher<TControl>(List)
      .Integer(L"Left", &TControl::Left, &TControl::SetLeft)
      .Integer(L"Top", &TControl::Top, &TControl::SetTop)
      .Integer(L"Width", &TControl::Width, &TControl::SetWidth)
      .Integer(L"Height", &TControl::Height, &TControl::SetHeight);
}

void TControl::PublishCommon(TPropList& List) {
  TPublisher<TControl>(List)
      .Enum(L"Align", AlignType(), &TControl::Align, &TControl::SetAlign, static_cast<int64_t>(alNone))
      .Set(L"Anchors", AnchorKindType(), &TControl::Anchors, &TControl::SetAnchors, TAnchors{akLeft, akTop}.Bits())
      .Integer(L"DragCursor", &TControl::DragCursor, &TControl::SetDragCursor, crDrag, &CursorIdents())
      .Enum(L"DragMode", DragModeType(), &TControl::DragMode, &TControl::SetDragMode,
            static_cast<int64_t>(dmManual))
      .Integer(L"Color", &TControl::Color, &TControl::SetColor, clWindow, &ColorIdents())
      .StoredIf([](TControl& C) { return !C.ParentColor(); })
      .Boolean(L"ParentColor", &TControl::ParentColor, &TControl::SetParentColor, true)
      .Boolean(L"ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint, true)
      .Component(L"PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu)
      .Boolean(L"ShowHint", &TControl::ShowHint, &TControl::SetShowHint)
      .StoredIf([](TControl& C) { return !C.ParentShowHint(); })
      .Boolean(L"Visible", &TControl::Visible, &TControl::SetVisible, true)
      .Event(L"OnDragDrop", &TControl::OnDragDrop)
      .Event(L"OnDragOver", &TControl::OnDragOver)
      .Event(L"OnEndDrag", &TControl::OnEndDrag)
      .Event(L"OnStartDrag", &TControl::OnStartDrag)
      .Event(L"OnClick", &TControl::OnClick);
}

void TWinControl::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
  for (TControl* control : controls_)
    if (control->Owner() == Root) Proc(control);
  TControl::GetChildren(Proc, Root);
}

void TForm::GetPublishedProperties(TPropList& List) {
  TCustomControl::GetPublishedProperties(List);
  TPublisher<TForm>(List).WString(L"Caption", &TForm::Caption, &TForm::SetCaption);
}

}  // namespace vcl
