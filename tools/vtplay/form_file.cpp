#include "form_file.h"

#include <cstring>

#include "framework/Filer.h"

namespace vtplay {

void LoadForm(vcl::TStream& Input, vcl::TComponent& Root) {
  char signature[4] = {};
  const int64_t start = Input.Position();
  const bool binary = Input.Read(signature, 4) == 4 && std::memcmp(signature, "TPF0", 4) == 0;
  Input.SetPosition(start);
  vcl::TMemoryStream converted;
  vcl::TStream* form = &Input;
  if (!binary) {
    vcl::ObjectTextToBinary(Input, converted);
    converted.SetPosition(0);
    form = &converted;
  }
  vcl::TReader reader(*form);
  reader.OnMissingMethod = [](const std::wstring&) { return true; };
  reader.ReadRootComponent(&Root);
}

void LoadFormFile(const std::wstring& FileName, vcl::TComponent& Root) {
  vcl::TFileStream file(FileName, vcl::fmOpenRead | vcl::fmShareDenyWrite);
  LoadForm(file, Root);
}

}  // namespace vtplay
