#include <algorithm>
#include <utility>

#include "framework/Classes.h"

namespace vcl {

TStringList::~TStringList() { Clear(); }

void TStringList::IndexError(int Index) {
  throw EStringListError(L"List index out of bounds (" + std::to_wstring(Index) + L")");
}

void TStringList::SortedError() { throw EStringListError(L"Operation not allowed on sorted list"); }

void TStringList::CheckIndex(int Index) const {
  if (Index < 0 || Index >= Count()) IndexError(Index);
}

int TStringList::CompareStrings(const std::wstring& A, const std::wstring& B) const {
  if (!caseSensitive_) return CompareText(A, B);
  const int c = A.compare(B);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

const std::wstring& TStringList::Strings(int Index) const {
  CheckIndex(Index);
  return items_[static_cast<size_t>(Index)].string;
}

void TStringList::SetStrings(int Index, const std::wstring& S) {
  if (sorted_) SortedError();
  CheckIndex(Index);
  items_[static_cast<size_t>(Index)].string = S;
}

TObject* TStringList::Objects(int Index) const {
  CheckIndex(Index);
  return items_[static_cast<size_t>(Index)].object;
}

void TStringList::SetObjects(int Index, TObject* AObject) {
  CheckIndex(Index);
  TObject* old = std::exchange(items_[static_cast<size_t>(Index)].object, AObject);
  if (ownsObjects_ && old != AObject) delete old;
}

int TStringList::Add(const std::wstring& S) { return AddObject(S, nullptr); }

int TStringList::AddObject(const std::wstring& S, TObject* AObject) {
  int index = Count();
  if (sorted_ && Find(S, index)) {
    if (duplicates_ == dupIgnore) return index;
    if (duplicates_ == dupError) throw EStringListError(L"String list does not allow duplicates");
    // dupAccept: after the equal strings already there, so the order of
    // equal strings is the order in which they were added.
    while (index < Count() && CompareStrings(items_[static_cast<size_t>(index)].string, S) == 0) ++index;
  }
  InsertItem(index, S, AObject);
  return index;
}

void TStringList::Insert(int Index, const std::wstring& S) { InsertObject(Index, S, nullptr); }

void TStringList::InsertObject(int Index, const std::wstring& S, TObject* AObject) {
  if (sorted_) SortedError();
  if (Index < 0 || Index > Count()) IndexError(Index);
  InsertItem(Index, S, AObject);
}

void TStringList::InsertItem(int Index, const std::wstring& S, TObject* AObject) {
  items_.insert(items_.begin() + Index, Item{S, AObject});
}

void TStringList::Delete(int Index) {
  CheckIndex(Index);
  TObject* object = items_[static_cast<size_t>(Index)].object;
  items_.erase(items_.begin() + Index);
  // Freed after it left the list, so its destructor sees a consistent list.
  if (ownsObjects_) delete object;
}

void TStringList::Clear() {
  std::vector<Item> old;
  old.swap(items_);
  if (ownsObjects_)
    for (Item& item : old) delete item.object;
}

void TStringList::Exchange(int Index1, int Index2) {
  if (sorted_) SortedError();
  CheckIndex(Index1);
  CheckIndex(Index2);
  std::swap(items_[static_cast<size_t>(Index1)], items_[static_cast<size_t>(Index2)]);
}

int TStringList::IndexOf(const std::wstring& S) const {
  int index = 0;
  return Find(S, index) ? index : -1;
}

int TStringList::IndexOfObject(const TObject* AObject) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i].object == AObject) return static_cast<int>(i);
  return -1;
}

bool TStringList::Find(const std::wstring& S, int& Index) const {
  if (!sorted_) {
    for (size_t i = 0; i < items_.size(); ++i) {
      if (CompareStrings(items_[i].string, S) == 0) {
        Index = static_cast<int>(i);
        return true;
      }
    }
    Index = Count();
    return false;
  }
  // First entry not less than S.
  auto it = std::lower_bound(items_.begin(), items_.end(), S,
                             [this](const Item& item, const std::wstring& s) { return CompareStrings(item.string, s) < 0; });
  Index = static_cast<int>(it - items_.begin());
  return it != items_.end() && CompareStrings(it->string, S) == 0;
}

void TStringList::Sort() {
  std::stable_sort(items_.begin(), items_.end(),
                   [this](const Item& a, const Item& b) { return CompareStrings(a.string, b.string) < 0; });
}

void TStringList::SetSorted(bool Value) {
  if (Value == sorted_) return;
  if (Value) Sort();
  sorted_ = Value;
}

void TStringList::SetCaseSensitive(bool Value) {
  if (Value == caseSensitive_) return;
  caseSensitive_ = Value;
  if (sorted_) Sort();
}

std::wstring TStringList::Text() const {
  std::wstring text;
  size_t length = 0;
  for (const Item& item : items_) length += item.string.size() + 2;
  text.reserve(length);
  for (const Item& item : items_) {
    text += item.string;
    text += L"\r\n";
  }
  return text;
}

void TStringList::SetText(const std::wstring& Value) {
  std::vector<std::wstring> lines;
  size_t start = 0;
  while (start < Value.size()) {
    size_t end = Value.find_first_of(L"\r\n", start);
    if (end == std::wstring::npos) {
      lines.push_back(Value.substr(start));
      break;
    }
    lines.push_back(Value.substr(start, end - start));
    start = end + ((Value[end] == L'\r' && end + 1 < Value.size() && Value[end + 1] == L'\n') ? 2 : 1);
  }
  Clear();
  for (const std::wstring& line : lines) Add(line);
}

void TStringList::Assign(TPersistent* Source) {
  auto* other = dynamic_cast<TStringList*>(Source);
  if (!other) {
    TPersistent::Assign(Source);
    return;
  }
  if (other == this) return;
  std::vector<Item> copy = other->items_;
  Clear();
  items_ = std::move(copy);
  // Sorted with the receiving list's own comparison, so Find stays correct.
  if (sorted_) Sort();
  if (ownsObjects_) {
    // The objects belong to Source; this list must not free them.
    for (Item& item : items_) item.object = nullptr;
  }
}

}  // namespace vcl
