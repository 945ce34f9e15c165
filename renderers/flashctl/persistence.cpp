// IPersistStreamInit: the control's properties saved to and loaded from a
// stream in the record of properties.h. A record that is not whole and well
// formed fails Load and changes nothing.
#include "renderers/com/com_call.h"
#include "renderers/flashctl/control.h"

namespace flashctl {
namespace {

// Reads exactly Size bytes; false on an error or a short stream.
bool ReadAll(IStream* Stream, uint8_t* Data, size_t Size) {
  while (Size > 0) {
    const ULONG want = static_cast<ULONG>(std::min<size_t>(Size, 1u << 20));
    ULONG got = 0;
    const HRESULT hr = Stream->Read(Data, want, &got);
    if (FAILED(hr) || got == 0 || got > want) return false;
    Data += got;
    Size -= got;
  }
  return true;
}

}  // namespace

HRESULT FlashControl::GetClassID(CLSID* Clsid) {
  if (!Clsid) return E_POINTER;
  *Clsid = CLSID_vtFlashPlayer;
  return S_OK;
}

HRESULT FlashControl::IsDirty() { return dirty_ ? S_OK : S_FALSE; }

HRESULT FlashControl::Load(LPSTREAM Stream) {
  if (!Stream) return E_POINTER;
  return vt::ComCall([&]() -> HRESULT {
    KeepAlive keep(this);
    uint8_t header[kPropertiesHeaderBytes];
    if (!ReadAll(Stream, header, sizeof header)) return STG_E_READFAULT;
    const std::optional<uint32_t> size = PayloadSize(header);
    if (!size) return E_FAIL;
    std::vector<uint8_t> payload(*size);
    if (!ReadAll(Stream, payload.data(), payload.size())) return STG_E_READFAULT;
    std::optional<ControlProperties> loaded = LoadProperties(payload);
    if (!loaded) return E_FAIL;
    props_ = std::move(*loaded);
    dirty_ = false;
    if (movie_) movie_->SetLoop(props_.loop);
    if (!props_.movie.empty()) LoadMovie(0, vt::TBstr(props_.movie).Get());
    return S_OK;
  });
}

HRESULT FlashControl::Save(LPSTREAM Stream, BOOL ClearDirty) {
  if (!Stream) return E_POINTER;
  return vt::ComCall([&]() -> HRESULT {
    const std::vector<uint8_t> record = SaveProperties(props_);
    ULONG written = 0;
    const HRESULT hr = Stream->Write(record.data(), static_cast<ULONG>(record.size()), &written);
    if (FAILED(hr)) return hr;
    if (written != record.size()) return STG_E_MEDIUMFULL;
    if (ClearDirty) dirty_ = false;
    return S_OK;
  });
}

HRESULT FlashControl::GetSizeMax(ULARGE_INTEGER* Size) {
  if (!Size) return E_POINTER;
  return vt::ComCall([&]() -> HRESULT {
    Size->QuadPart = SaveProperties(props_).size();
    return S_OK;
  });
}

HRESULT FlashControl::InitNew() {
  return vt::ComCall([&]() -> HRESULT {
    props_ = ControlProperties();
    dirty_ = false;
    return S_OK;
  });
}

}  // namespace flashctl
