// The movie-file editor of a stored movie.
#include <memory>

#include "framework/Dialogs.h"
#include "framework/Forms.h"
#include "vt_d7/Vt_flashreg.h"
#include "vt_d7/flash_store.h"

namespace vt {

namespace {

// The file's name without its folder.
std::wstring NameWithoutFolder(const std::wstring& Path) {
  const size_t slash = Path.find_last_of(L"\\/:");
  return slash == std::wstring::npos ? Path : Path.substr(slash + 1);
}

TvtFlashStream& EditedItem(const vcl::TPropertyEditor& Editor) {
  auto* item = dynamic_cast<TvtFlashStream*>(Editor.GetComponent(0));
  if (!item) throw vcl::EPropertyError(L"FlashStore is edited on a stored movie only");
  return *item;
}

}  // namespace

std::wstring TvtFlashStreamProperty::GetValue() { return EditedItem(*this).GetDisplayName(); }

void TvtFlashStreamProperty::Edit() {
  TvtFlashStream& item = EditedItem(*this);
  // Owned by the application as well, which forgets it when it is freed here.
  const auto dialog = std::make_unique<vcl::TOpenDialog>(vcl::Application());
  dialog->SetFilter(kFlashFileFilter);
  if (dialog->Execute()) {
    vcl::TMemoryStream bytes;
    {
      vcl::TFileStream file(dialog->FileName(), vcl::fmOpenRead | vcl::fmShareDenyWrite);
      bytes.LoadFromStream(file);
    }
    item.FStream->LoadFromStream(bytes);
    if (item.FStream->Size() != 0) item.SetFlashStore(NameWithoutFolder(dialog->FileName()));
  }
  Modified();
}

}  // namespace vt
