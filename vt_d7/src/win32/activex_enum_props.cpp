// Enumerated properties of the control, read from its type information:
// one descriptor per property whose type is an enumeration, shared by all
// drivers, with the members' values and names for display.
#include <charconv>
#include <cstdio>

#include "activex_unit.h"
#include "framework/SysUtils.h"

namespace vt {

namespace {

// Releases a type attribute, variable or function description on scope exit.
struct TTypeAttr {
  ITypeInfo* info;
  TYPEATTR* attr = nullptr;
  explicit TTypeAttr(ITypeInfo* I) : info(I) { OleCheck(info->GetTypeAttr(&attr)); }
  ~TTypeAttr() { info->ReleaseTypeAttr(attr); }
  TTypeAttr(const TTypeAttr&) = delete;
  TTypeAttr& operator=(const TTypeAttr&) = delete;
};

struct TVarDesc {
  ITypeInfo* info;
  VARDESC* desc = nullptr;
  TVarDesc(ITypeInfo* I, UINT Index) : info(I) { OleCheck(info->GetVarDesc(Index, &desc)); }
  ~TVarDesc() { info->ReleaseVarDesc(desc); }
  TVarDesc(const TVarDesc&) = delete;
  TVarDesc& operator=(const TVarDesc&) = delete;
};

struct TFuncDesc {
  ITypeInfo* info;
  FUNCDESC* desc = nullptr;
  TFuncDesc(ITypeInfo* I, UINT Index) : info(I) { OleCheck(info->GetFuncDesc(Index, &desc)); }
  ~TFuncDesc() { info->ReleaseFuncDesc(desc); }
  TFuncDesc(const TFuncDesc&) = delete;
  TFuncDesc& operator=(const TFuncDesc&) = delete;
};

bool HasDescriptor(const TEnumPropDescList& List, DISPID DispId) {
  for (const auto& d : List)
    if (d->FPropDispId == DispId) return true;
  return false;
}

// Adds a descriptor when Type names an enumeration.
void Consider(ITypeInfo* Owner, DISPID DispId, const TYPEDESC& Type, TEnumPropDescList& List) {
  if (Type.vt != VT_USERDEFINED) return;
  TComPtr<ITypeInfo> user;
  OleCheck(Owner->GetRefTypeInfo(Type.hreftype, user.Receive()));
  const TTypeAttr attr(user.Get());
  if (attr.attr->typekind == TKIND_ENUM)
    List.push_back(std::make_unique<TEnumPropDesc>(DispId, attr.attr->cVars, user.Get()));
}

void WalkType(ITypeInfo* Info, TEnumPropDescList& List) {
  const TTypeAttr attr(Info);
  const TYPEATTR& a = *attr.attr;
  if (a.guid == IID_IDispatch) return;
  if ((a.typekind == TKIND_INTERFACE || (a.wTypeFlags & TYPEFLAG_FDUAL)) && (a.wTypeFlags & TYPEFLAG_FNONEXTENSIBLE)) {
    HREFTYPE base = 0;
    TComPtr<ITypeInfo> baseInfo;
    if (SUCCEEDED(Info->GetRefTypeOfImplType(0, &base))) {
      OleCheck(Info->GetRefTypeInfo(base, baseInfo.Receive()));
      WalkType(baseInfo.Get(), List);
    }
  }
  for (UINT i = 0; i < a.cVars; ++i) {
    const TVarDesc var(Info, i);
    Consider(Info, var.desc->memid, var.desc->elemdescVar.tdesc, List);
  }
  for (UINT i = 0; i < a.cFuncs; ++i) {
    const TFuncDesc func(Info, i);
    const FUNCDESC& f = *func.desc;
    if (HasDescriptor(List, f.memid)) continue;
    const TYPEDESC* last = f.cParams > 0 ? &f.lprgelemdescParam[f.cParams - 1].tdesc : nullptr;
    switch (f.invkind) {
      case INVOKE_PROPERTYGET: Consider(Info, f.memid, f.elemdescFunc.tdesc, List); break;
      case INVOKE_PROPERTYPUT:
        if (last) Consider(Info, f.memid, *last, List);
        break;
      case INVOKE_PROPERTYPUTREF:
        if (last && last->vt == VT_PTR && last->lptdesc) Consider(Info, f.memid, *last->lptdesc, List);
        break;
      default: break;
    }
  }
}

std::string Entry(int32_t Value, const std::string& Name) {
  char number[16];
  std::snprintf(number, sizeof number, "%d", Value);
  return std::string(number) + " - " + Name;
}

}  // namespace

TEnumPropDesc::TEnumPropDesc(DISPID DispId, int32_t Count, ITypeInfo* EnumType)
    : FPropDispId(DispId), FMemberCount(Count) {
  for (int32_t i = 0; i < Count; ++i) {
    const TVarDesc var(EnumType, static_cast<UINT>(i));
    TBstr name;
    OleCheck(EnumType->GetDocumentation(var.desc->memid, name.Receive(), nullptr, nullptr, nullptr));
    TVariant value;
    if (var.desc->varkind == VAR_CONST && var.desc->lpvarValue)
      OleCheck(VariantChangeType(&value, var.desc->lpvarValue, 0, VT_I4));
    std::string text = vcl::WideToAnsi(name.Text());
    while (text.size() >= 2 && text.front() == '_') text.erase(0, 1);
    FMembers.push_back({value.Get().vt == VT_I4 ? static_cast<int32_t>(value.Get().lVal) : 0, std::move(text)});
  }
}

void TEnumPropDesc::GetStrings(const std::function<void(const std::string&)>& Callback) const {
  for (const TEnumValue& m : FMembers) Callback(Entry(m.MemberValue, m.MemberName));
}

std::string TEnumPropDesc::ValueToString(int32_t Value) const {
  for (const TEnumValue& m : FMembers)
    if (m.MemberValue == Value) return Entry(m.MemberValue, m.MemberName);
  return std::to_string(Value);
}

int32_t TEnumPropDesc::StringToValue(const std::string& S) const {
  size_t k = 0;
  while (k < S.size() && (S[k] == '-' || (S[k] >= '0' && S[k] <= '9'))) ++k;
  if (k == 0) {
    for (const TEnumValue& m : FMembers)
      if (CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, m.MemberName.data(),
                         static_cast<int>(m.MemberName.size()), S.data(),
                         static_cast<int>(S.size())) == CSTR_EQUAL)
        return m.MemberValue;
  } else {
    int32_t value = 0;
    const auto [end, error] = std::from_chars(S.data(), S.data() + k, value);
    if (error != std::errc() || end != S.data() + k)
      throw vcl::EConvertError(L"'" + vcl::AnsiToWide(S.substr(0, k)) + L"' is not a valid integer value");
    for (const TEnumValue& m : FMembers)
      if (m.MemberValue == value) return value;
  }
  throw vcl::EOleError(L"'" + vcl::AnsiToWide(S) + L"' is not a valid property value");
}

void TvtFlashDriverActiveX::CreateEnumPropDescs() {
  CreateControl();
  // The list is shared: a second call keeps what the first one built.
  if (FControlData->EnumPropDescs || !FControlDispatch) return;
  FControlData->EnumPropDescs = std::make_unique<TEnumPropDescList>();
  try {
    TComPtr<ITypeInfo> info;
    OleCheck(FControlDispatch->GetTypeInfo(0, 0, info.Receive()));
    if (!info) OleCheck(E_NOINTERFACE);
    WalkType(info.Get(), *FControlData->EnumPropDescs);
  } catch (...) {
    DestroyEnumPropDescs();
    throw;
  }
}

void TvtFlashDriverActiveX::DestroyEnumPropDescs() { FlashControlData.EnumPropDescs.reset(); }

}  // namespace vt
