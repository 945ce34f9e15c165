// IPerPropertyBrowsing: names for the values of the Quality and ScaleMode
// enumerations, for a container's property browser. Every string and array
// handed out comes from CoTaskMemAlloc, as the caller frees it.
#include <olectl.h>

#include <cstring>
#include <span>

#include "renderers/com/com_call.h"
#include "renderers/flashctl/control.h"

namespace flashctl {
namespace {

struct NamedValue {
  const wchar_t* name;
  DWORD value;
};

constexpr NamedValue kQualities[] = {{L"Low", vtQualityLow},         {L"High", vtQualityHigh},
                                     {L"AutoLow", vtQualityAutoLow}, {L"AutoHigh", vtQualityAutoHigh},
                                     {L"Medium", vtQualityMedium},   {L"Best", vtQualityBest}};
constexpr NamedValue kScaleModes[] = {
    {L"ShowAll", vtScaleShowAll}, {L"NoBorder", vtScaleNoBorder}, {L"ExactFit", vtScaleExactFit}};

constexpr DISPID kQualityId = 0x69, kScaleModeId = 0x78;

std::span<const NamedValue> ValuesOf(DISPID Id) {
  if (Id == kQualityId) return kQualities;
  if (Id == kScaleModeId) return kScaleModes;
  return {};
}

LPOLESTR TaskMemString(const wchar_t* Text) {
  const size_t bytes = (wcslen(Text) + 1) * sizeof(wchar_t);
  auto* out = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
  if (out) std::memcpy(out, Text, bytes);
  return out;
}

}  // namespace

HRESULT FlashControl::GetDisplayString(DISPID Id, BSTR* Text) {
  if (!Text) return E_POINTER;
  *Text = nullptr;
  const DWORD current = static_cast<DWORD>(Id == kQualityId ? props_.quality : props_.scaleMode);
  for (const NamedValue& v : ValuesOf(Id)) {
    if (v.value != current) continue;
    *Text = SysAllocString(v.name);
    return *Text ? S_OK : E_OUTOFMEMORY;
  }
  return E_NOTIMPL;  // the container shows the value itself
}

HRESULT FlashControl::MapPropertyToPage(DISPID, CLSID* Page) {
  if (Page) *Page = CLSID_NULL;
  return PERPROP_E_NOPAGEAVAILABLE;
}

HRESULT FlashControl::GetPredefinedStrings(DISPID Id, CALPOLESTR* Strings, CADWORD* Cookies) {
  if (!Strings || !Cookies) return E_POINTER;
  *Strings = CALPOLESTR{0, nullptr};
  *Cookies = CADWORD{0, nullptr};
  const std::span<const NamedValue> values = ValuesOf(Id);
  if (values.empty()) return E_NOTIMPL;
  auto* names = static_cast<LPOLESTR*>(CoTaskMemAlloc(values.size() * sizeof(LPOLESTR)));
  auto* cookies = static_cast<DWORD*>(CoTaskMemAlloc(values.size() * sizeof(DWORD)));
  bool ok = names && cookies;
  for (size_t i = 0; ok && i < values.size(); ++i) {
    names[i] = TaskMemString(values[i].name);
    cookies[i] = values[i].value;
    if (!names[i]) {
      for (size_t j = 0; j < i; ++j) CoTaskMemFree(names[j]);
      ok = false;
    }
  }
  if (!ok) {
    CoTaskMemFree(names);
    CoTaskMemFree(cookies);
    return E_OUTOFMEMORY;
  }
  *Strings = CALPOLESTR{static_cast<ULONG>(values.size()), names};
  *Cookies = CADWORD{static_cast<ULONG>(values.size()), cookies};
  return S_OK;
}

HRESULT FlashControl::GetPredefinedValue(DISPID Id, DWORD Cookie, VARIANT* Value) {
  if (!Value) return E_POINTER;
  VariantInit(Value);
  const std::span<const NamedValue> values = ValuesOf(Id);
  if (values.empty()) return E_NOTIMPL;
  for (const NamedValue& v : values) {
    if (v.value != Cookie) continue;
    Value->vt = VT_I4;
    Value->lVal = static_cast<LONG>(v.value);
    return S_OK;
  }
  return E_INVALIDARG;
}

}  // namespace flashctl
