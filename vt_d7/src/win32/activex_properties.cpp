// The control's properties by DISPID: the two primitives, the typed helpers
// with their VARIANT types, method calls through IDispatch, and the display
// strings a property browser shows. Every string crosses as a real BSTR, and
// every BSTR and VARIANT that comes back is freed exactly once.
#include "activex_unit.h"
#include "framework/SysUtils.h"

namespace vt {

namespace {

// Raises the failure of an IDispatch call with what the control told of it,
// and frees the texts it filled in.
[[noreturn]] void RaiseInvokeError(HRESULT Result, EXCEPINFO& Info) {
  if (Info.pfnDeferredFillIn) Info.pfnDeferredFillIn(&Info);
  if (Result == DISP_E_EXCEPTION && Info.scode) Result = Info.scode;
  const TBstr source = TBstr::Adopt(Info.bstrSource), help = TBstr::Adopt(Info.bstrHelpFile);
  const TBstr description = TBstr::Adopt(Info.bstrDescription);
  Info.bstrSource = Info.bstrDescription = Info.bstrHelpFile = nullptr;
  std::wstring message = description.Text();
  if (message.empty()) message = vcl::SysErrorMessage(static_cast<unsigned long>(Result));
  throw vcl::EOleException(message, Result);
}

// Value coerced to Type; an empty variant when it cannot be.
void Coerce(const VARIANT& Value, VARTYPE Type, TVariant& Into) {
  VARIANT source = Value;  // a shallow copy: the API takes a non-const source it does not change
  if (FAILED(VariantChangeType(&Into, &source, 0, Type))) Into.Clear();
}

// The property's value as Type: true when the control's answer could be
// turned into it.
bool ReadAs(TvtFlashDriverActiveX& Driver, DISPID DispId, VARTYPE Type, TVariant& Into) {
  TVariant v;
  Driver.GetProperty(DispId, v.Get());
  Coerce(v.Get(), Type, Into);
  return Into.Get().vt == Type;
}

}  // namespace

// ---- primitives ----

void TvtFlashDriverActiveX::GetProperty(DISPID DispId, VARIANT& Value) {
  CreateControl();
  VariantInit(&Value);
  // Without a control nothing can be read: the value stays empty.
  if (!FControlDispatch) return;
  DISPPARAMS none{};
  EXCEPINFO info{};
  const HRESULT hr =
      FControlDispatch->Invoke(DispId, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &Value, &info, nullptr);
  if (FAILED(hr)) RaiseInvokeError(hr, info);
}

void TvtFlashDriverActiveX::SetProperty(DISPID DispId, const VARIANT& Value) {
  if (FFlashNotAvailable) return;
  CreateControl();
  if (!FControlDispatch) return;
  DISPID named = DISPID_PROPERTYPUT;
  VARIANT arg = Value;  // a shallow copy: the caller keeps what it owns
  DISPPARAMS params{&arg, &named, 1, 1};
  const WORD flags = Value.vt == VT_DISPATCH ? DISPATCH_PROPERTYPUTREF : DISPATCH_PROPERTYPUT;
  EXCEPINFO info{};
  const HRESULT hr = FControlDispatch->Invoke(DispId, IID_NULL, 0, flags, &params, nullptr, &info, nullptr);
  if (FAILED(hr)) RaiseInvokeError(hr, info);
}

// ---- typed helpers ----

int32_t TvtFlashDriverActiveX::GetIntegerProp(DISPID DispId) {
  TVariant i;
  return ReadAs(*this, DispId, VT_I4, i) ? i.Get().lVal : 0;
}

void TvtFlashDriverActiveX::SetIntegerProp(DISPID DispId, int32_t Value) {
  VARIANT v;
  v.vt = VT_I4;
  v.lVal = Value;
  SetProperty(DispId, v);
}

uint16_t TvtFlashDriverActiveX::GetWordProp(DISPID DispId) {
  return static_cast<uint16_t>(static_cast<uint32_t>(GetIntegerProp(DispId)) & 0xFFFF);
}

void TvtFlashDriverActiveX::SetWordProp(DISPID DispId, uint16_t Value) { SetIntegerProp(DispId, Value); }

float TvtFlashDriverActiveX::GetSingleProp(DISPID DispId) {
  TVariant f;
  return ReadAs(*this, DispId, VT_R4, f) ? f.Get().fltVal : 0.0f;
}

void TvtFlashDriverActiveX::SetSingleProp(DISPID DispId, float Value) {
  VARIANT v;
  v.vt = VT_R4;
  v.fltVal = Value;
  SetProperty(DispId, v);
}

VARIANT_BOOL TvtFlashDriverActiveX::GetOleBoolProp(DISPID DispId) {
  TVariant b;
  return ReadAs(*this, DispId, VT_BOOL, b) ? b.Get().boolVal : VARIANT_FALSE;
}

void TvtFlashDriverActiveX::SetOleBoolProp(DISPID DispId, bool Value) {
  VARIANT v;
  v.vt = VT_BOOL;
  v.boolVal = Value ? VARIANT_TRUE : VARIANT_FALSE;
  SetProperty(DispId, v);
}

bool TvtFlashDriverActiveX::GetWordBoolProp(DISPID DispId) { return GetOleBoolProp(DispId) != VARIANT_FALSE; }

void TvtFlashDriverActiveX::SetWordBoolProp(DISPID DispId, bool Value) { SetOleBoolProp(DispId, Value); }

std::wstring TvtFlashDriverActiveX::GetWideStringProp(DISPID DispId) {
  TVariant s;
  return ReadAs(*this, DispId, VT_BSTR, s) ? TBstr::BstrText(s.Get().bstrVal) : std::wstring();
}

void TvtFlashDriverActiveX::SetWideStringProp(DISPID DispId, const std::wstring& Value) {
  const TBstr text(Value);  // nil for the empty string
  VARIANT v;
  v.vt = VT_BSTR;
  v.bstrVal = text.Get();
  SetProperty(DispId, v);
}

std::string TvtFlashDriverActiveX::GetStringProp(DISPID DispId) { return vcl::WideToAnsi(GetWideStringProp(DispId)); }

void TvtFlashDriverActiveX::SetStringProp(DISPID DispId, const std::string& Value) {
  SetWideStringProp(DispId, vcl::AnsiToWide(Value));
}

TComPtr<IDispatch> TvtFlashDriverActiveX::GetIDispatchProp(DISPID DispId) {
  TVariant v;
  GetProperty(DispId, v.Get());
  if (v.Get().vt != VT_DISPATCH) return {};
  return TComPtr<IDispatch>::Share(v.Get().pdispVal);
}

void TvtFlashDriverActiveX::SetIDispatchProp(DISPID DispId, IDispatch* Value) {
  VARIANT v;
  v.vt = VT_DISPATCH;
  v.pdispVal = Value;
  SetProperty(DispId, v);
}

TComPtr<IUnknown> TvtFlashDriverActiveX::GetIUnknownProp(DISPID DispId) {
  TVariant v;
  GetProperty(DispId, v.Get());
  if (v.Get().vt != VT_UNKNOWN && v.Get().vt != VT_DISPATCH) return {};
  return TComPtr<IUnknown>::Share(v.Get().punkVal);
}

void TvtFlashDriverActiveX::SetIUnknownProp(DISPID DispId, IUnknown* Value) {
  VARIANT v;
  v.vt = VT_UNKNOWN;
  v.punkVal = Value;
  SetProperty(DispId, v);
}

void TvtFlashDriverActiveX::GetOleVariantProp(DISPID DispId, VARIANT& Result) {
  VariantClear(&Result);
  GetProperty(DispId, Result);
}

void TvtFlashDriverActiveX::SetOleVariantProp(DISPID DispId, const VARIANT& Value) { SetProperty(DispId, Value); }

void TvtFlashDriverActiveX::GetVariantProp(DISPID DispId, VARIANT& Result) { GetOleVariantProp(DispId, Result); }

void TvtFlashDriverActiveX::SetVariantProp(DISPID DispId, const VARIANT& Value) {
  // A by-reference variant is passed as the value it refers to.
  TVariant plain;
  VARIANT source = Value;  // a shallow copy: the API takes a non-const source it does not change
  OleCheck(VariantCopyInd(&plain, &source));
  SetProperty(DispId, plain.Get());
}

// ---- methods ----

void TvtFlashDriverActiveX::InvokeMethod(const TCallDesc& Desc, const std::vector<VARIANT>& Args, VARIANT* Result) {
  CreateControl();
  if (Result) VariantClear(Result);
  if (!FControlDispatch) return;
  // DISPPARAMS holds the arguments last-first.
  std::vector<VARIANT> reversed(Args.rbegin(), Args.rend());
  DISPID named = DISPID_PROPERTYPUT;
  const bool put = Desc.CallType & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
  DISPPARAMS params{reversed.data(), put ? &named : nullptr, static_cast<UINT>(reversed.size()), put ? 1u : 0u};
  TVariant answer;
  EXCEPINFO info{};
  const HRESULT hr =
      FControlDispatch->Invoke(Desc.DispId, IID_NULL, 0, Desc.CallType, &params, &answer, &info, nullptr);
  if (FAILED(hr)) RaiseInvokeError(hr, info);
  if (!Result || Desc.ResultType == VT_EMPTY) return;
  if (Desc.ResultType == VT_VARIANT) {
    *Result = answer.Get();  // moved whole: the answer is not cleared again
    VariantInit(&answer);
    return;
  }
  VariantChangeType(Result, &answer, 0, Desc.ResultType);
}

// ---- display strings ----

std::string TvtFlashDriverActiveX::GetPropDisplayString(DISPID DispId) {
  CreateControl();
  if (FPropBrowsing) {
    TBstr text;
    if (SUCCEEDED(FPropBrowsing->GetDisplayString(DispId, text.Receive()))) return vcl::WideToAnsi(text.Text());
  }
  return GetStringProp(DispId);
}

void TvtFlashDriverActiveX::GetPropDisplayStrings(DISPID DispId, std::vector<TPropDisplayString>& Strings) {
  CreateControl();
  Strings.clear();
  if (!FPropBrowsing) return;
  CALPOLESTR names{};
  CADWORD cookies{};
  if (FPropBrowsing->GetPredefinedStrings(DispId, &names, &cookies) != S_OK) return;
  // The arrays are ours to free, whatever happens while they are read.
  struct TFree {
    CALPOLESTR& names;
    CADWORD& cookies;
    ~TFree() {
      for (ULONG i = 0; names.pElems && i < names.cElems; ++i) CoTaskMemFree(names.pElems[i]);
      CoTaskMemFree(names.pElems);
      CoTaskMemFree(cookies.pElems);
    }
  } free{names, cookies};
  for (ULONG i = 0; names.pElems && i < names.cElems; ++i) {
    const DWORD cookie = cookies.pElems && i < cookies.cElems ? cookies.pElems[i] : 0;
    Strings.push_back({vcl::WideToAnsi(names.pElems[i] ? names.pElems[i] : L""), cookie});
  }
}

void TvtFlashDriverActiveX::SetPropDisplayString(DISPID DispId, const std::string& S) {
  std::vector<TPropDisplayString> strings;
  GetPropDisplayStrings(DispId, strings);
  for (const TPropDisplayString& entry : strings) {
    if (CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, entry.Text.data(), static_cast<int>(entry.Text.size()),
                       S.data(), static_cast<int>(S.size())) != CSTR_EQUAL)
      continue;
    TVariant value;
    OleCheck(FPropBrowsing->GetPredefinedValue(DispId, entry.Cookie, &value));
    SetProperty(DispId, value.Get());
    return;
  }
  SetStringProp(DispId, S);
}

}  // namespace vt
