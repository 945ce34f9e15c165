// Feeds arbitrary bytes to a stored movie's "FlashStream" payload reader.
// Whatever it accepts must write back and read again to the same name and
// bytes; whatever it refuses must be refused with EReadError.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "vt_d7/flash_store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  {
    vt::TvtFlashList list(nullptr);
    vt::TvtFlashStream* item = list.Flashs()->Add();
    vcl::TMemoryStream in;
    in.WriteBuffer(Data, static_cast<int64_t>(Size));
    in.SetPosition(0);
    try {
      item->ReadData(in);
    } catch (const vcl::EReadError&) {
      if (item->FStream->Size() != 0) __builtin_trap();
      return 0;
    }
    if (item->FStream->Position() != 0) __builtin_trap();

    vcl::TMemoryStream out;
    item->WriteData(out);
    out.SetPosition(0);
    vt::TvtFlashStream* copy = list.Flashs()->Add();
    copy->ReadData(out);
    if (copy->GetFlashStore() != item->GetFlashStore()) __builtin_trap();
    const int64_t n = item->FStream->Size();
    if (copy->FStream->Size() != n) __builtin_trap();
    if (n > 0 && std::memcmp(copy->FStream->Memory(), item->FStream->Memory(), static_cast<size_t>(n)) != 0)
      __builtin_trap();
  }
  if (vt::FlashList() != nullptr) __builtin_trap();
  return 0;
}
