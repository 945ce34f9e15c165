#pragma once
// Small components with one property of every kind, for the form reader and
// writer tests and the form reader fuzzer.

#include <algorithm>
#include <memory>
#include <cstdint>
#include <string>
#include <vector>

#include "framework/Filer.h"

namespace filer_test {

using namespace vcl;

enum class TAlign { alNone, alTop, alBottom, alClient };
enum class TFontStyle { fsBold, fsItalic, fsUnderline };

inline const TEnumType& AlignType() {
  static const TEnumType type{L"TAlign", {L"alNone", L"alTop", L"alBottom", L"alClient"}};
  return type;
}
inline const TEnumType& FontStyleType() {
  static const TEnumType type{L"TFontStyle", {L"fsBold", L"fsItalic", L"fsUnderline"}};
  return type;
}
inline const TIntegerIdents& ColorIdents() {
  static const TIntegerIdents idents{{{0, L"clBlack"}, {255, L"clRed"}, {-16777211, L"clWindow"}}};
  return idents;
}

// What the components saw, in order: "Loaded Name", "Width Name loading".
inline std::vector<std::wstring>& Log() {
  static std::vector<std::wstring> log;
  return log;
}

class TTestFont : public TPersistent {
 public:
  int32_t Size = 8;
  std::wstring Name;
  void GetPublishedProperties(TPropList& List) override {
    TPersistent::GetPublishedProperties(List);
    TPublisher<TTestFont>(List).Integer(L"Size", &TTestFont::Size, &TTestFont::Size, 8).WString(
        L"Name", &TTestFont::Name, &TTestFont::Name);
  }
};

class TTestItem : public TCollectionItem {
 public:
  using TCollectionItem::TCollectionItem;
  std::wstring Caption;
  int32_t Value = 0;
  TComponent* Link = nullptr;
  void GetPublishedProperties(TPropList& List) override {
    TCollectionItem::GetPublishedProperties(List);
    TPublisher<TTestItem>(List)
        .WString(L"Caption", &TTestItem::Caption, &TTestItem::Caption)
        .Integer(L"Value", &TTestItem::Value, &TTestItem::Value, 0)
        .Component(L"Link", &TTestItem::Link, &TTestItem::Link);
  }
  std::wstring ClassName() const override { return L"TTestItem"; }
};

class TTestPanel;

// A component with one published property of each kind, a binary defined
// property "Data" and, optionally, a parent panel.
class TTestWidget : public TComponent {
 public:
  explicit TTestWidget(TComponent* AOwner)
      : TComponent(AOwner), Items([](TCollection* C) -> TCollectionItem* { return new TTestItem(C); }) {}
  ~TTestWidget() override;

  int32_t Width = 0;
  int64_t Big = 0;
  bool Visible = true;
  TAlign Align = TAlign::alNone;
  TSet<TFontStyle> Style;
  int32_t Color = 0;
  std::string Hint;
  std::wstring Caption;
  TTestFont Font;
  TCollection Items;
  TComponent* Buddy = nullptr;
  TNotifyEvent OnClick;
  bool Secret = false;  // never stored
  std::vector<uint8_t> Data;

  void SetWidth(int32_t Value) {
    Width = Value;
    Log().push_back(L"Width " + Name() + (IsLoading() ? L" loading" : L""));
  }
  int32_t GetWidth() const { return Width; }

  void GetPublishedProperties(TPropList& List) override {
    TComponent::GetPublishedProperties(List);
    TPublisher<TTestWidget>(List)
        .Integer(L"Width", &TTestWidget::GetWidth, &TTestWidget::SetWidth, 0)
        .Int64(L"Big", &TTestWidget::Big, &TTestWidget::Big, 0)
        .Boolean(L"Visible", &TTestWidget::Visible, &TTestWidget::Visible, true)
        .Enum(L"Align", AlignType(), &TTestWidget::Align, &TTestWidget::Align, 0)
        .Set(L"Style", FontStyleType(), &TTestWidget::Style, &TTestWidget::Style, 0)
        .Integer(L"Color", &TTestWidget::Color, &TTestWidget::Color, 0, &ColorIdents())
        .String(L"Hint", &TTestWidget::Hint, &TTestWidget::Hint)
        .WString(L"Caption", &TTestWidget::Caption, &TTestWidget::Caption)
        .Object(L"Font", [](TTestWidget& W) { return &W.Font; })
        .Object(L"Items", [](TTestWidget& W) { return &W.Items; })
        .StoredIf([](TTestWidget& W) { return W.Items.Count() > 0; })
        .Component(L"Buddy", &TTestWidget::Buddy, &TTestWidget::Buddy)
        .Event(L"OnClick", &TTestWidget::OnClick)
        .Boolean(L"Secret", &TTestWidget::Secret, &TTestWidget::Secret, false)
        .StoredIf([](TTestWidget&) { return false; });
  }
  void DefineProperties(TFiler& Filer) override {
    TComponent::DefineProperties(Filer);
    Filer.DefineBinaryProperty(
        L"Data",
        [this](TStream& S) {
          Data.assign(static_cast<size_t>(S.Size()), 0);
          S.ReadBuffer(Data.data(), static_cast<int64_t>(Data.size()));
        },
        [this](TStream& S) { S.WriteBuffer(Data.data(), static_cast<int64_t>(Data.size())); }, !Data.empty());
  }
  void Loaded() override {
    TComponent::Loaded();
    Log().push_back(L"Loaded " + Name());
  }

  bool HasParent() const override { return parent_ != nullptr; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;
  TTestPanel* Parent() const { return parent_; }
  void SetParent(TTestPanel* Value);

  std::wstring ClassName() const override { return L"TTestWidget"; }

 private:
  TTestPanel* parent_ = nullptr;
};

// A widget that holds other widgets as its children in the form.
class TTestPanel : public TTestWidget {
 public:
  using TTestWidget::TTestWidget;
  ~TTestPanel() override {
    for (TTestWidget* c : std::vector<TTestWidget*>(children_)) c->SetParent(nullptr);
  }
  std::vector<TTestWidget*> children_;
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override {
    TTestWidget::GetChildren(Proc, Root);
    for (TTestWidget* c : children_) Proc(c);
  }
  std::wstring ClassName() const override { return L"TTestPanel"; }
};

inline TTestWidget::~TTestWidget() { SetParent(nullptr); }
inline TComponent* TTestWidget::GetParentComponent() const { return parent_; }
inline void TTestWidget::SetParentComponent(TComponent* Value) { SetParent(dynamic_cast<TTestPanel*>(Value)); }
inline void TTestWidget::SetParent(TTestPanel* Value) {
  if (parent_ == Value) return;
  if (parent_) std::erase(parent_->children_, this);
  parent_ = Value;
  if (parent_) parent_->children_.push_back(this);
}

// A form: a widget whose methods events can be bound to.
class TTestForm : public TTestWidget {
 public:
  explicit TTestForm(TComponent* AOwner) : TTestWidget(AOwner) {
    PublishMethod(L"Button1Click", TNotifyEvent([this](TObject*) { ++Clicks; }));
  }
  int Clicks = 0;
  std::wstring ClassName() const override { return L"TTestForm"; }
};

// Form1 { Label1, Panel1 { Button1 }, Timer1 (non-visual, at 16,32) }, with a
// value in most properties.
inline std::unique_ptr<TTestForm> MakeTestForm() {
  auto form = std::make_unique<TTestForm>(nullptr);
  form->SetName(L"Form1");
  form->Caption = L"Main \u00E9";
  auto* label = new TTestWidget(form.get());
  label->SetName(L"Label1");
  auto* panel = new TTestPanel(form.get());
  panel->SetName(L"Panel1");
  auto* button = new TTestWidget(form.get());
  button->SetName(L"Button1");
  button->SetParent(panel);
  auto* timer = new TComponent(form.get());
  timer->SetName(L"Timer1");
  timer->SetDesignInfo(0x00200010);
  label->Buddy = button;  // a component written later
  label->Align = TAlign::alTop;
  label->Style = {TFontStyle::fsItalic};
  label->Hint = "hint";
  label->Width = 70000;
  label->Big = -(int64_t{1} << 40);
  label->Visible = false;
  label->Color = -16777211;
  label->Font.Size = 12;
  label->Data = {9, 8, 7};
  button->Buddy = form.get();
  BindMethod(button->OnClick, form.get(), L"Button1Click");
  auto* item = static_cast<TTestItem*>(panel->Items.Add());
  item->Caption = L"first";
  item->Link = label;
  static_cast<TTestItem*>(panel->Items.Add())->Value = -3;
  return form;
}

inline void RegisterTestClasses() {
  RegisterComponentClass<TTestForm>(L"TTestForm");
  RegisterComponentClass<TTestWidget>(L"TTestWidget");
  RegisterComponentClass<TTestPanel>(L"TTestPanel");
  RegisterComponentClass<TComponent>(L"TComponent");
}

}  // namespace filer_test
