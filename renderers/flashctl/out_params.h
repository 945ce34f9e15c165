#pragma once
// Out-parameters of the control's properties.

#include <windows.h>
#include <oleauto.h>

#include <string>

namespace flashctl {

inline VARIANT_BOOL Vb(bool B) { return B ? VARIANT_TRUE : VARIANT_FALSE; }

// A BSTR out-parameter holding Text (nil for "").
inline HRESULT SetText(BSTR* Out, const std::wstring& Text) {
  *Out = nullptr;
  if (Text.empty()) return S_OK;
  *Out = SysAllocStringLen(Text.data(), static_cast<UINT>(Text.size()));
  return *Out ? S_OK : E_OUTOFMEMORY;
}

}  // namespace flashctl
