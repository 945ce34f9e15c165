#include "../../Classes.h"

#include <algorithm>

namespace vcl {

void TPersistent::Assign(TPersistent* Source) {
  if (!Source) AssignError(nullptr);
  Source->AssignTo(this);
}

void TPersistent::AssignTo(TPersistent* Dest) { Dest->AssignError(this); }

void TPersistent::AssignError(TPersistent* Source) {
  throw EConvertError(L"Cannot assign a " + (Source ? Source->ClassName() : std::wstring(L"nil")) + L" to a " +
                      ClassName());
}

TComponent::TComponent(TComponent* AOwner) {
  if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  Destroying();
  // Owned components go first, last inserted first; each removes itself.
  while (!components_.empty()) {
    TComponent* child = components_.back();
    delete child;
  }
  if (owner_) owner_->RemoveComponent(this);
}

TComponent* TComponent::Components(int Index) const {
  if (Index < 0 || Index >= ComponentCount()) throw EListError(L"List index out of bounds (" + std::to_wstring(Index) + L")");
  return components_[static_cast<size_t>(Index)];
}

TComponent* TComponent::FindComponent(const std::wstring& AName) const {
  if (AName.empty()) return nullptr;
  for (TComponent* c : components_)
    if (SameText(c->Name(), AName)) return c;
  return nullptr;
}

static bool IsValidIdent(const std::wstring& s) {
  if (s.empty()) return false;
  auto alpha = [](wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || c == L'_'; };
  if (!alpha(s[0])) return false;
  return std::all_of(s.begin() + 1, s.end(), [&](wchar_t c) { return alpha(c) || (c >= L'0' && c <= L'9'); });
}

void TComponent::SetName(const std::wstring& NewName) {
  if (NewName == name_) return;
  if (!NewName.empty() && !IsValidIdent(NewName))
    throw EComponentError(L"'" + NewName + L"' is not a valid component name");
  if (owner_ && !NewName.empty()) {
    TComponent* other = owner_->FindComponent(NewName);
    if (other && other != this)
      throw EComponentError(L"A component named " + NewName + L" already exists");
  }
  name_ = NewName;
}

void TComponent::Loading() { state_.Include(csLoading); }

void TComponent::Loaded() { state_.Exclude(csLoading); }

void TComponent::SetDesigning(bool Value, bool SetChildren) {
  if (Value)
    state_.Include(csDesigning);
  else
    state_.Exclude(csDesigning);
  if (SetChildren)
    for (TComponent* c : components_) c->SetDesigning(Value, true);
}

void TComponent::InsertComponent(TComponent* AComponent) {
  if (!AComponent || AComponent->owner_ == this) return;
  if (AComponent->owner_) AComponent->owner_->RemoveComponent(AComponent);
  components_.push_back(AComponent);
  AComponent->owner_ = this;
  // A component made in the designer is designed too.
  if (IsDesigning()) AComponent->SetDesigning(true);
  Notification(AComponent, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
  auto it = std::find(components_.begin(), components_.end(), AComponent);
  if (it == components_.end()) return;
  Notification(AComponent, TOperation::opRemove);
  // A notified component may have changed the list; look again.
  it = std::find(components_.begin(), components_.end(), AComponent);
  if (it != components_.end()) components_.erase(it);
  AComponent->owner_ = nullptr;
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
  if (Operation == TOperation::opRemove && AComponent == this) return;
  // Copy: a notified component may remove owned components of its own.
  std::vector<TComponent*> owned = components_;
  for (TComponent* c : owned)
    if (c != AComponent) c->Notification(AComponent, Operation);
}

void TComponent::Destroying() {
  if (state_.Contains(csDestroying)) return;
  state_.Include(csDestroying);
  for (TComponent* c : components_) c->Destroying();
}

}  // namespace vcl
