// The components of the form-stream compatibility tests.

#include "compat_components.h"

#include <algorithm>
#include <cstring>

namespace compat {

using vcl::TPublisher;

const vcl::TEnumType& CompatModeType() {
  static const vcl::TEnumType type{L"TCompatMode", {L"cmOff", L"cmOn", L"cmAuto"}};
  return type;
}

const vcl::TEnumType& CompatFlagType() {
  static const vcl::TEnumType type{L"TCompatFlag", {L"cfA", L"cfB", L"cfC"}};
  return type;
}

const vcl::TEnumType& PluginType() {
  static const vcl::TEnumType type{L"TvtPlugin", {L"vtDefault", L"vtNetscape", L"vtActiveX"}};
  return type;
}

std::vector<std::wstring>& LoadedLog() {
  static std::vector<std::wstring> log;
  return log;
}

// ---- the movie store ----

void TLoggedFlashList::Loaded() {
  vt::TvtFlashList::Loaded();
  LoadedLog().push_back(Name());
}

void SetMovieData(vt::TvtFlashStream& Item, const std::vector<uint8_t>& Bytes) {
  Item.FStream->SetSize(static_cast<int64_t>(Bytes.size()));
  if (!Bytes.empty()) std::memcpy(Item.FStream->Memory(), Bytes.data(), Bytes.size());
  Item.FStream->SetPosition(0);
}

// ---- the player ----

void TvtFlashPlayerComp::GetPublishedProperties(vcl::TPropList& List) {
  vcl::TComponent::GetPublishedProperties(List);
  using P = TvtFlashPlayerComp;
  TPublisher<P>(List)
      .Enum(L"Plugin", PluginType(), &P::Plugin, &P::Plugin, static_cast<int64_t>(TvtPlugin::vtDefault))
      .WString(L"Movie", &P::Movie, &P::Movie)
      .String(L"Skin", &P::Skin, &P::Skin)
      .Boolean(L"Pause", &P::Pause, &P::Pause)
      .Integer(L"Volume", &P::Volume, &P::Volume)
      .Integer(L"Width", &P::Width, &P::Width)
      .Integer(L"Height", &P::Height, &P::Height)
      .Event(L"OnPaint", &P::OnPaint)
      .Event(L"OnFSCommand", &P::OnFSCommand)
      .Event(L"OnFlashCall", &P::OnFlashCall);
}

void TvtFlashPlayerComp::Loaded() {
  vcl::TComponent::Loaded();
  LoadedLog().push_back(Name());
}

// ---- items ----

void TCompatItem::GetPublishedProperties(vcl::TPropList& List) {
  vcl::TCollectionItem::GetPublishedProperties(List);
  TPublisher<TCompatItem>(List)
      .Integer(L"Value", &TCompatItem::Value, &TCompatItem::Value, 0)
      .WString(L"Text", &TCompatItem::Text, &TCompatItem::Text);
}

TCompatItems::TCompatItems()
    : vcl::TCollection([](vcl::TCollection* C) -> vcl::TCollectionItem* { return new TCompatItem(C); }) {}

// ---- parents ----

std::vector<TCompatControl*>* ChildListOf(vcl::TComponent* Parent) {
  if (auto* panel = dynamic_cast<TCompatPanel*>(Parent)) return &panel->Children;
  if (auto* form = dynamic_cast<TCompatForm*>(Parent)) return &form->Children;
  return nullptr;
}

TCompatControl::~TCompatControl() { SetParent(nullptr); }

void TCompatControl::SetParent(vcl::TComponent* Value) {
  if (!ChildListOf(Value)) Value = nullptr;
  if (Value == parent_) return;
  if (auto* list = ChildListOf(parent_)) std::erase(*list, this);
  parent_ = Value;
  if (auto* list = ChildListOf(parent_)) list->push_back(this);
}

// Detaches the children first, so none of them, destroyed later by its
// owner, reaches back into a list that is gone.
static void DetachChildren(std::vector<TCompatControl*>& Children) {
  while (!Children.empty()) Children.back()->SetParent(nullptr);
}

// Lists the children the root owns, as both kinds of parent do.
static void ListChildren(const std::vector<TCompatControl*>& Children,
                         const vcl::TComponent::TGetChildProc& Proc, vcl::TComponent* Root) {
  for (TCompatControl* child : std::vector<TCompatControl*>(Children))
    if (child->Owner() == Root) Proc(child);
}

// ---- kinds ----

void TCompatKinds::GetPublishedProperties(vcl::TPropList& List) {
  TCompatControl::GetPublishedProperties(List);
  using K = TCompatKinds;
  TPublisher<K>(List)
      .Integer(L"Small", &K::Small, &K::Small, 0)
      .Integer(L"Big", &K::Big, &K::Big)
      .Int64(L"Huge", &K::Huge, &K::Huge)
      .Enum(L"Mode", CompatModeType(), &K::Mode, &K::Mode, static_cast<int64_t>(TCompatMode::cmOff))
      .Set(L"Flags", CompatFlagType(), &K::Flags, &K::Flags, TCompatFlags{TCompatFlag::cfA}.Bits())
      .Boolean(L"Enabled", &K::Enabled, &K::Enabled, true)
      .String(L"Caption", &K::Caption, &K::Caption)
      .WString(L"Title", &K::Title, &K::Title)
      .WString(L"UTitle", &K::UTitle, &K::UTitle)
      .Object(L"Items", [](K& Self) { return &Self.Items; })
      .Component(L"Partner", &K::Partner, &K::SetPartner)
      .Event(L"OnChange", &K::OnChange);
}

void TCompatKinds::DefineProperties(vcl::TFiler& Filer) {
  TCompatControl::DefineProperties(Filer);
  Filer.DefineBinaryProperty(
      L"Data",
      [this](vcl::TStream& S) {
        Data.assign(static_cast<size_t>(std::max<int64_t>(S.Size() - S.Position(), 0)), 0);
        S.ReadBuffer(Data.data(), static_cast<int64_t>(Data.size()));
      },
      [this](vcl::TStream& S) { S.WriteBuffer(Data.data(), static_cast<int64_t>(Data.size())); },
      !Data.empty());
}

void TCompatKinds::Notification(vcl::TComponent* AComponent, vcl::TOperation Operation) {
  TCompatControl::Notification(AComponent, Operation);
  if (Operation == vcl::TOperation::opRemove && AComponent == partner_) partner_ = nullptr;
}

void TCompatKinds::Loaded() {
  TCompatControl::Loaded();
  LoadedLog().push_back(Name());
}

// ---- panel ----

TCompatPanel::~TCompatPanel() { DetachChildren(Children); }

void TCompatPanel::GetChildren(const TGetChildProc& Proc, vcl::TComponent* Root) {
  ListChildren(Children, Proc, Root);
}

void TCompatPanel::GetPublishedProperties(vcl::TPropList& List) {
  TCompatControl::GetPublishedProperties(List);
  TPublisher<TCompatPanel>(List).WString(L"Caption", &TCompatPanel::Caption, &TCompatPanel::Caption);
}

void TCompatPanel::Loaded() {
  TCompatControl::Loaded();
  LoadedLog().push_back(Name());
}

// ---- form ----

TCompatForm::TCompatForm(vcl::TComponent* AOwner) : vcl::TComponent(AOwner) {
  PublishMethod(L"KindsChange", vcl::TNotifyEvent([](vcl::TObject*) {}));
  PublishMethod(L"PlayerPaint", TvtPaintEvent([](vcl::TObject*, const vcl::TRect&) {}));
  PublishMethod(L"PlayerFSCommand",
                TvtFSCommandEvent([](vcl::TObject*, const std::wstring&, const std::wstring&) {}));
  PublishMethod(L"PlayerFlashCall", TvtFlashCallEvent([](vcl::TObject*, const std::wstring&) {}));
}

TCompatForm::~TCompatForm() { DetachChildren(Children); }

void TCompatForm::GetChildren(const TGetChildProc& Proc, vcl::TComponent* Root) {
  ListChildren(Children, Proc, Root);
  if (Root != this) return;
  for (int i = 0; i < ComponentCount(); ++i)
    if (!Components(i)->HasParent()) Proc(Components(i));
}

void TCompatForm::Loaded() {
  vcl::TComponent::Loaded();
  LoadedLog().push_back(Name());
}

void RegisterCompatClasses() {
  vt::RegisterFlashStoreClasses();
  vcl::RegisterComponentClass<TCompatForm>(L"TCompatForm");
  vcl::RegisterComponentClass<TCompatPanel>(L"TCompatPanel");
  vcl::RegisterComponentClass<TCompatKinds>(L"TCompatKinds");
  vcl::RegisterComponentClass<TLoggedFlashList>(L"TvtFlashList");
  vcl::RegisterComponentClass<TvtFlashPlayerComp>(L"TvtFlashPlayerComp");
}

}  // namespace compat
