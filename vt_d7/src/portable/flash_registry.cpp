// FlashList: the process-wide registry of stored movies.

#include "flash_registry.h"

#include <memory>

#include "vt_d7/flash_store.h"

namespace vt {

namespace {

// Owned by the registry functions below: created with the first entry,
// freed with the last. A plain pointer on purpose: it has no static
// destructor, so items destroyed late during process exit still find a
// valid registry (or none).
//
// Entry names are kept as wide text. Converting them to 8-bit text in the
// system code page would lose names outside that code page and make them
// collide: "日本.swf" and "中国.swf" would both become "??.swf".
vcl::TStringList* gFlashList = nullptr;

}  // namespace

vcl::TStringList* FlashList() { return gFlashList; }

namespace flash_registry {

void Enter(const std::wstring& Name, vcl::TObject* Item) {
  if (!gFlashList) {
    auto list = std::make_unique<vcl::TStringList>();
    list->SetCaseSensitive(false);
    list->AddObject(Name, Item);
    gFlashList = list.release();
    return;
  }
  gFlashList->AddObject(Name, Item);
}

void Leave(const vcl::TObject* Item) {
  if (!gFlashList) return;
  const int index = gFlashList->IndexOfObject(Item);
  if (index >= 0) gFlashList->Delete(index);
  if (gFlashList->Count() == 0) {
    delete gFlashList;
    gFlashList = nullptr;
  }
}

void Rename(const vcl::TObject* Item, const std::wstring& Name) {
  if (!gFlashList) return;
  const int index = gFlashList->IndexOfObject(Item);
  if (index >= 0) gFlashList->SetStrings(index, Name);
}

}  // namespace flash_registry

}  // namespace vt
