// The movie store's classes: stored movies, their collection and the list
// component.

#include "vt_d7/flash_store.h"

#include <cstring>
#include <string>
#include <utility>

#include "flash_registry.h"
#include "framework/Filer.h"

namespace vt {

// ---- TvtFlashStream ----

TvtFlashStream::TvtFlashStream(vcl::TCollection* Collection)
    : vcl::TCollectionItem(Collection), FStream(std::make_unique<vcl::TMemoryStream>()) {
  flash_registry::Enter(GetFlashStore(), this);
}

TvtFlashStream::~TvtFlashStream() { flash_registry::Leave(this); }

std::wstring TvtFlashStream::GetFlashStore() const {
  return FStream->Size() == 0 ? std::wstring(kEmptyFlashStore) : FStoreName;
}

void TvtFlashStream::SetFlashStore(const std::wstring& Value) {
  if (Value == FStoreName) return;
  std::wstring name = Value;
  flash_registry::Rename(this, name);
  FStoreName = std::move(name);
}

void TvtFlashStream::Assign(vcl::TPersistent* Source) {
  auto* source = dynamic_cast<TvtFlashStream*>(Source);
  if (!source) return vcl::TCollectionItem::Assign(Source);
  if (source == this) return;
  // Bytes first: if they cannot be had, the item keeps its name and bytes.
  const int64_t size = source->FStream->Size();
  FStream->SetSize(size);
  if (size > 0) std::memcpy(FStream->Memory(), source->FStream->Memory(), static_cast<size_t>(size));
  FStream->SetPosition(0);
  SetFlashStore(source->FStoreName);
}

void TvtFlashStream::GetPublishedProperties(vcl::TPropList& List) {
  vcl::TCollectionItem::GetPublishedProperties(List);
  vcl::TPublisher<TvtFlashStream>(List).WString(L"FlashStore", &TvtFlashStream::GetFlashStore,
                                                &TvtFlashStream::SetFlashStore);
}

void TvtFlashStream::DefineProperties(vcl::TFiler& Filer) {
  vcl::TCollectionItem::DefineProperties(Filer);
  Filer.DefineBinaryProperty(
      L"FlashStream", [this](vcl::TStream& Stream) { ReadData(Stream); },
      [this](vcl::TStream& Stream) { WriteData(Stream); }, true);
}

// ---- TvtFlashCollection ----

TvtFlashCollection::TvtFlashCollection(TvtFlashList* Owner)
    : vcl::TCollection([](vcl::TCollection* Collection) -> vcl::TCollectionItem* {
        return new TvtFlashStream(Collection);
      }),
      owner_(Owner) {}

vcl::TPersistent* TvtFlashCollection::GetOwner() const { return owner_; }

// ---- TvtFlashList ----

TvtFlashList::TvtFlashList(vcl::TComponent* AOwner)
    : vcl::TComponent(AOwner), FFlashs(std::make_unique<TvtFlashCollection>(this)) {}

TvtFlashStream* TvtFlashList::FindFlash(const std::wstring& Name) const {
  for (int i = 0; i < FFlashs->Count(); ++i) {
    TvtFlashStream* item = FFlashs->GetItem(i);
    if (vcl::SameText(item->GetFlashStore(), Name)) return item;
  }
  return nullptr;
}

void TvtFlashList::GetPublishedProperties(vcl::TPropList& List) {
  vcl::TComponent::GetPublishedProperties(List);
  vcl::TPublisher<TvtFlashList>(List).Object(L"Flashs", &TvtFlashList::Flashs);
}

void RegisterFlashStoreClasses() { vcl::RegisterComponentClass<TvtFlashList>(L"TvtFlashList"); }

}  // namespace vt
