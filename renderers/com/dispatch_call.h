#pragma once
// Calls through IDispatch: a method call with arguments given first to last
// (DISPPARAMS holds them last to first, as Automation wants), and a property
// read.
#include <windows.h>
#include <oleauto.h>

#include <new>
#include <string>
#include <vector>

namespace vt {

// Arguments of one call, each VARIANT cleared when the list goes.
class TDispArgs {
 public:
  TDispArgs() = default;
  TDispArgs(const TDispArgs&) = delete;
  TDispArgs& operator=(const TDispArgs&) = delete;
  ~TDispArgs() {
    for (VARIANT& v : args_) VariantClear(&v);
  }
  // Appends a string argument (a BSTR of its own; nil for "").
  void AddString(const std::wstring& Text) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = Text.empty() ? nullptr : SysAllocStringLen(Text.data(), static_cast<UINT>(Text.size()));
    if (!Text.empty() && !v.bstrVal) throw std::bad_alloc();
    args_.insert(args_.begin(), v);
  }
  void AddLong(LONG Value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = Value;
    args_.insert(args_.begin(), v);
  }
  // The arguments last to first.
  DISPPARAMS Params() {
    DISPPARAMS p{};
    p.rgvarg = args_.empty() ? nullptr : args_.data();
    p.cArgs = static_cast<UINT>(args_.size());
    return p;
  }

 private:
  std::vector<VARIANT> args_;
};

inline HRESULT InvokeMethod(IDispatch* Target, DISPID Id, TDispArgs& Args, VARIANT* Result = nullptr) {
  if (!Target) return E_POINTER;
  DISPPARAMS params = Args.Params();
  return Target->Invoke(Id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, Result, nullptr, nullptr);
}

// Reads property Id into Result (which the caller clears).
inline HRESULT GetDispProperty(IDispatch* Target, DISPID Id, VARIANT* Result) {
  if (!Target || !Result) return E_POINTER;
  DISPPARAMS none{};
  return Target->Invoke(Id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, Result, nullptr,
                        nullptr);
}

}  // namespace vt
