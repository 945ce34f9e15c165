#pragma once
// Persistent objects, components with owners, streams and string lists.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "SysUtils.h"
#include "Types.h"

namespace vcl {

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;
  // Class name as the form stream and the designer know it.
  virtual std::wstring ClassName() const { return L"TObject"; }
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

class TPersistent : public TObject {
 public:
  // Copies Source into this object. The base knows no pair of classes and
  // raises EConvertError ("Cannot assign a X to a Y").
  virtual void Assign(TPersistent* Source);
  std::wstring ClassName() const override { return L"TPersistent"; }

 protected:
  virtual void AssignTo(TPersistent* Dest);
  [[noreturn]] void AssignError(TPersistent* Source);
};

enum class TComponentStateFlag { csLoading, csReading, csWriting, csDestroying, csDesigning };
using TComponentState = TSet<TComponentStateFlag>;
using enum TComponentStateFlag;

enum class TOperation { opInsert, opRemove };

// A component is owned by its owner, which frees it when it is freed itself.
// A component without owner belongs to whoever created it.
class TComponent : public TPersistent {
 public:
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;

  TComponent* Owner() const { return owner_; }
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int Index) const;
  TComponent* FindComponent(const std::wstring& AName) const;

  const std::wstring& Name() const { return name_; }
  virtual void SetName(const std::wstring& NewName);

  TComponentState ComponentState() const { return state_; }
  bool IsLoading() const { return state_.Contains(csLoading); }
  bool IsDesigning() const { return state_.Contains(csDesigning); }
  bool IsDestroying() const { return state_.Contains(csDestroying); }

  // The form reader marks a component with Loading() before it applies the
  // stored properties and calls Loaded() afterwards. Public so that the
  // reader and tests can drive the loading state.
  virtual void Loading();
  virtual void Loaded();
  // Puts the component (and, by default, everything it owns) into the
  // designer or takes it out again.
  void SetDesigning(bool Value, bool SetChildren = true);

  void InsertComponent(TComponent* AComponent);
  void RemoveComponent(TComponent* AComponent);
  // Tells the owned components that AComponent is being inserted or removed.
  virtual void Notification(TComponent* AComponent, TOperation Operation);

  std::wstring ClassName() const override { return L"TComponent"; }

 protected:
  // Marks this component as being destroyed (and its owned components).
  void Destroying();

 private:
  TComponent* owner_ = nullptr;
  std::vector<TComponent*> components_;
  std::wstring name_;
  TComponentState state_;
};

}  // namespace vcl
