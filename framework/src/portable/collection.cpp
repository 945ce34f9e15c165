#include <algorithm>
#include <string>
#include <utility>

#include "../../Classes.h"

namespace vcl {

namespace {
[[noreturn]] void IndexError(int Index) {
  throw EListError(L"List index out of bounds (" + std::to_wstring(Index) + L")");
}
}  // namespace

TCollectionItem::TCollectionItem(TCollection* Collection) { SetCollection(Collection); }

TCollectionItem::~TCollectionItem() {
  if (collection_) collection_->RemoveItem(this);
}

void TCollectionItem::SetCollection(TCollection* Value) {
  if (Value == collection_) return;
  if (collection_) collection_->RemoveItem(this);
  if (Value) Value->InsertItem(this);
}

int TCollectionItem::Index() const {
  if (!collection_) return -1;
  const auto& items = collection_->items_;
  return static_cast<int>(std::find(items.begin(), items.end(), this) - items.begin());
}

void TCollectionItem::SetIndex(int Value) {
  if (!collection_) return;
  int current = Index();
  if (Value < 0) Value = 0;
  if (Value >= collection_->Count()) Value = collection_->Count() - 1;
  if (Value != current) collection_->MoveItem(current, Value);
}

TPersistent* TCollectionItem::GetOwner() const { return collection_; }

TCollection::TCollection(TItemClass ItemClass) : itemClass_(std::move(ItemClass)) {}

TCollection::~TCollection() {
  updateCount_ = 1;  // no Update calls while the items go
  Clear();
}

TCollectionItem* TCollection::Items(int Index) const {
  if (Index < 0 || Index >= Count()) IndexError(Index);
  return items_[static_cast<size_t>(Index)];
}

TCollectionItem* TCollection::Add() {
  // The item joins this collection from its constructor.
  TCollectionItem* item = itemClass_(this);
  Changed();
  return item;
}

TCollectionItem* TCollection::Insert(int Index) {
  if (Index < 0 || Index > Count()) IndexError(Index);
  TCollectionItem* item = Add();
  MoveItem(Count() - 1, Index);
  return item;
}

void TCollection::Delete(int Index) {
  delete Items(Index);  // the item leaves from its destructor
  Changed();
}

void TCollection::Clear() {
  if (items_.empty()) return;
  BeginUpdate();
  while (!items_.empty()) delete items_.back();
  EndUpdate();
}

TCollectionItem* TCollection::FindItemID(int ID) const {
  for (TCollectionItem* item : items_)
    if (item->id_ == ID) return item;
  return nullptr;
}

void TCollection::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0) Changed();
}

void TCollection::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TCollection*>(Source);
  if (!source) return TPersistent::Assign(Source);
  if (source == this) return;
  BeginUpdate();
  try {
    Clear();
    for (TCollectionItem* item : source->items_) Add()->Assign(item);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TCollection::Changed() {
  if (updateCount_ == 0) Update(nullptr);
}

void TCollection::InsertItem(TCollectionItem* Item) {
  items_.push_back(Item);
  Item->collection_ = this;
  Item->id_ = nextId_++;
}

void TCollection::RemoveItem(TCollectionItem* Item) {
  auto it = std::find(items_.begin(), items_.end(), Item);
  if (it != items_.end()) items_.erase(it);
  Item->collection_ = nullptr;
}

void TCollection::MoveItem(int From, int To) {
  TCollectionItem* item = items_[static_cast<size_t>(From)];
  items_.erase(items_.begin() + From);
  items_.insert(items_.begin() + To, item);
  Changed();
}

}  // namespace vcl
