#pragma once
// Components declared alike on the C++ and the Free Pascal side of the
// form-stream compatibility tests (compat_components.pas). Property order,
// defaults and defined properties decide the bytes of a form stream, so
// these declarations follow the Pascal unit property for property. The
// movie store is the package's own (vt::TvtFlashList, vt::TvtFlashStream).

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/Filer.h"
#include "vt_d7/flash_store.h"

namespace compat {

// ---- value types ----

enum class TCompatMode { cmOff, cmOn, cmAuto };
enum class TCompatFlag { cfA, cfB, cfC };
using TCompatFlags = vcl::TSet<TCompatFlag>;
const vcl::TEnumType& CompatModeType();
const vcl::TEnumType& CompatFlagType();

// The player's types, as the package declares them for Windows.
enum class TvtPlugin { vtDefault, vtNetscape, vtActiveX };
const vcl::TEnumType& PluginType();
using TvtPaintEvent = std::function<void(vcl::TObject* ASender, const vcl::TRect& ARect)>;
using TvtFSCommandEvent =
    std::function<void(vcl::TObject* ASender, const std::wstring& command, const std::wstring& args)>;
using TvtFlashCallEvent = std::function<void(vcl::TObject* ASender, const std::wstring& request)>;

// Names of the components whose Loaded ran, in call order.
std::vector<std::wstring>& LoadedLog();

// ---- the movie store ----

// The package's movie list, which also records its Loaded call. Registered
// as "TvtFlashList" in its place.
class TLoggedFlashList : public vt::TvtFlashList {
 public:
  using vt::TvtFlashList::TvtFlashList;
  void Loaded() override;
};

// Replaces the bytes of a stored movie.
void SetMovieData(vt::TvtFlashStream& Item, const std::vector<uint8_t>& Bytes);

// ---- the player ----

// TvtFlashPlayerComp is a Windows component of the package; this stand-in
// publishes the same properties (names, order, defaults) so that the host
// program reads and writes the same streams.
class TvtFlashPlayerComp : public vcl::TComponent {
 public:
  explicit TvtFlashPlayerComp(vcl::TComponent* AOwner) : vcl::TComponent(AOwner) {}

  TvtPlugin Plugin = TvtPlugin::vtDefault;
  std::wstring Movie;
  std::string Skin;
  bool Pause = false;
  int32_t Volume = 0;
  int32_t Width = 100;
  int32_t Height = 100;
  TvtPaintEvent OnPaint;
  TvtFSCommandEvent OnFSCommand;
  TvtFlashCallEvent OnFlashCall;

  void GetPublishedProperties(vcl::TPropList& List) override;
  void Loaded() override;
  std::wstring ClassName() const override { return L"TvtFlashPlayerComp"; }
};

// ---- every value kind ----

class TCompatItem : public vcl::TCollectionItem {
 public:
  using vcl::TCollectionItem::TCollectionItem;
  int32_t Value = 0;
  std::wstring Text;
  void GetPublishedProperties(vcl::TPropList& List) override;
  std::wstring ClassName() const override { return L"TCompatItem"; }
};

class TCompatItems : public vcl::TCollection {
 public:
  TCompatItems();
  TCompatItem* Add() { return static_cast<TCompatItem*>(vcl::TCollection::Add()); }
  TCompatItem* Items(int Index) const { return static_cast<TCompatItem*>(vcl::TCollection::Items(Index)); }
  std::wstring ClassName() const override { return L"TCompatItems"; }
};

// A component that may sit in a parent: a TCompatPanel or the form. The
// reader sets its parent (the parent being read, the root at the top level)
// and the parent lists it among its children.
class TCompatControl : public vcl::TComponent {
 public:
  using vcl::TComponent::TComponent;
  ~TCompatControl() override;

  bool HasParent() const override { return parent_ != nullptr; }
  vcl::TComponent* GetParentComponent() const override { return parent_; }
  void SetParentComponent(vcl::TComponent* Value) override { SetParent(Value); }
  // A component that keeps no child list (anything but a panel or a form)
  // counts as none.
  void SetParent(vcl::TComponent* Value);
  vcl::TComponent* Parent() const { return parent_; }

 private:
  vcl::TComponent* parent_ = nullptr;
};

class TCompatKinds : public TCompatControl {
 public:
  using TCompatControl::TCompatControl;

  int32_t Small = 0;
  int32_t Big = 0;
  int64_t Huge = 0;
  TCompatMode Mode = TCompatMode::cmOff;
  TCompatFlags Flags{TCompatFlag::cfA};
  bool Enabled = true;
  std::string Caption;
  std::wstring Title;
  std::wstring UTitle;
  TCompatItems Items;
  vcl::TNotifyEvent OnChange;
  // The defined binary property "Data", written when not empty.
  std::vector<uint8_t> Data;

  vcl::TComponent* Partner() const { return partner_; }
  void SetPartner(vcl::TComponent* Value) { partner_ = Value; }

  void GetPublishedProperties(vcl::TPropList& List) override;
  void DefineProperties(vcl::TFiler& Filer) override;
  void Notification(vcl::TComponent* AComponent, vcl::TOperation Operation) override;
  void Loaded() override;
  std::wstring ClassName() const override { return L"TCompatKinds"; }

 private:
  vcl::TComponent* partner_ = nullptr;
};

class TCompatPanel : public TCompatControl {
 public:
  using TCompatControl::TCompatControl;
  ~TCompatPanel() override;

  std::wstring Caption;
  std::vector<TCompatControl*> Children;

  void GetChildren(const TGetChildProc& Proc, vcl::TComponent* Root) override;
  void GetPublishedProperties(vcl::TPropList& List) override;
  void Loaded() override;
  std::wstring ClassName() const override { return L"TCompatPanel"; }
};

// The root. Its children: first the components parented to the form, in
// child order, then the owned components without a parent, in creation
// order (the order of a VCL form). It publishes the event handlers
// KindsChange, PlayerPaint, PlayerFSCommand and PlayerFlashCall.
class TCompatForm : public vcl::TComponent {
 public:
  explicit TCompatForm(vcl::TComponent* AOwner);
  ~TCompatForm() override;

  std::vector<TCompatControl*> Children;

  void GetChildren(const TGetChildProc& Proc, vcl::TComponent* Root) override;
  void Loaded() override;
  std::wstring ClassName() const override { return L"TCompatForm"; }
};

// The child list of a parent (a TCompatPanel or a TCompatForm), nullptr
// otherwise.
std::vector<TCompatControl*>* ChildListOf(vcl::TComponent* Parent);

// Registers the form's classes with the reader; "TvtFlashList" becomes a
// TLoggedFlashList.
void RegisterCompatClasses();

}  // namespace compat
