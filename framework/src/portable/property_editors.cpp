// The base property editor and the standard editors of each property kind.
#include <cwctype>
#include <limits>
#include <optional>
#include <utility>

#include "../../DesignEditors.h"

namespace vcl {

namespace {

template <class F>
const F& Accessor(const F& Function, const TPropInfo& Prop) {
  if (!Function) throw EPropertyError(L"Property " + Prop.Name + L" cannot be accessed");
  return Function;
}

[[noreturn]] void InvalidValue() { throw EPropertyError(L"Invalid property value"); }

// Decimal with an optional sign, or hexadecimal after "$" or "0x"; nothing
// but the number (spaces around it allowed).
std::optional<int64_t> ParseInteger(const std::wstring& Text) {
  size_t i = 0, end = Text.size();
  while (i < end && std::iswspace(Text[i])) ++i;
  while (end > i && std::iswspace(Text[end - 1])) --end;
  bool negative = false;
  if (i < end && (Text[i] == L'-' || Text[i] == L'+')) negative = Text[i++] == L'-';
  int base = 10;
  if (i < end && Text[i] == L'$') {
    base = 16;
    ++i;
  } else if (end - i > 2 && Text[i] == L'0' && (Text[i + 1] == L'x' || Text[i + 1] == L'X')) {
    base = 16;
    i += 2;
  }
  if (i == end) return std::nullopt;
  uint64_t value = 0;
  const uint64_t limit = negative ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1;
  for (; i < end; ++i) {
    const wchar_t c = Text[i];
    int digit = -1;
    if (c >= L'0' && c <= L'9') digit = c - L'0';
    else if (base == 16 && c >= L'a' && c <= L'f') digit = c - L'a' + 10;
    else if (base == 16 && c >= L'A' && c <= L'F') digit = c - L'A' + 10;
    if (digit < 0) return std::nullopt;
    if (value > (limit - static_cast<uint64_t>(digit)) / static_cast<uint64_t>(base)) return std::nullopt;
    value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
  }
  if (negative) return value == uint64_t{1} << 63 ? std::numeric_limits<int64_t>::min() : -static_cast<int64_t>(value);
  return static_cast<int64_t>(value);
}

[[noreturn]] void NotAnInteger(const std::wstring& Text) {
  throw EConvertError(L"'" + Text + L"' is not a valid integer value");
}

template <class F>
bool AllSame(const TPropertyEditor& Editor, F Value) {
  for (int i = 1; i < Editor.PropCount(); ++i)
    if (Value(i) != Value(0)) return false;
  return true;
}

}  // namespace

// ---- the base ----

TPropertyEditor::TPropertyEditor(IDesigner& Designer, std::vector<TEditedProperty> Props)
    : designer_(Designer), props_(std::move(Props)) {
  if (props_.empty()) throw EPropertyError(L"A property editor needs a selected object");
}

TPersistent* TPropertyEditor::GetComponent(int Index) const { return props_.at(static_cast<size_t>(Index)).Instance; }

const TPropInfo& TPropertyEditor::GetPropInfo(int Index) const { return props_.at(static_cast<size_t>(Index)).Info; }

void TPropertyEditor::WriteEach(const std::function<void(const TEditedProperty&)>& Write) {
  size_t written = 0;
  try {
    for (; written < props_.size(); ++written) Write(props_[written]);
  } catch (...) {
    // What was written stays written, and the designer must know it.
    if (written > 0) Modified();
    throw;
  }
  Modified();
}

int64_t TPropertyEditor::GetOrdValue(int Index) const {
  const TEditedProperty& p = props_.at(static_cast<size_t>(Index));
  return Accessor(p.Info.GetOrd, p.Info)(*p.Instance);
}

void TPropertyEditor::SetOrdValue(int64_t Value) {
  WriteEach([&](const TEditedProperty& p) { Accessor(p.Info.SetOrd, p.Info)(*p.Instance, Value); });
}

std::string TPropertyEditor::GetStrValue(int Index) const {
  const TEditedProperty& p = props_.at(static_cast<size_t>(Index));
  return Accessor(p.Info.GetString, p.Info)(*p.Instance);
}

void TPropertyEditor::SetStrValue(const std::string& Value) {
  WriteEach([&](const TEditedProperty& p) { Accessor(p.Info.SetString, p.Info)(*p.Instance, Value); });
}

std::wstring TPropertyEditor::GetWideStrValue(int Index) const {
  const TEditedProperty& p = props_.at(static_cast<size_t>(Index));
  return Accessor(p.Info.GetWString, p.Info)(*p.Instance);
}

void TPropertyEditor::SetWideStrValue(const std::wstring& Value) {
  WriteEach([&](const TEditedProperty& p) { Accessor(p.Info.SetWString, p.Info)(*p.Instance, Value); });
}

// ---- ordinals ----

bool TOrdinalProperty::AllEqual() {
  return AllSame(*this, [this](int i) { return GetOrdValue(i); });
}

TPropertyAttributes TIntegerProperty::GetAttributes() {
  TPropertyAttributes a = TOrdinalProperty::GetAttributes();
  if (GetPropInfo().Idents) a.Include(paValueList);
  return a;
}

std::wstring TIntegerProperty::GetValue() {
  const int64_t value = GetOrdValue();
  if (const TIntegerIdents* idents = GetPropInfo().Idents)
    for (const auto& [number, name] : idents->Idents)
      if (number == value) return name;
  return std::to_wstring(value);
}

void TIntegerProperty::SetValue(const std::wstring& Value) {
  if (const TIntegerIdents* idents = GetPropInfo().Idents)
    for (const auto& [number, name] : idents->Idents)
      if (SameText(name, Value)) return SetOrdValue(number);
  const std::optional<int64_t> number = ParseInteger(Value);
  // Hexadecimal covers the 32 bits (colours such as $FF000000).
  if (!number || *number < std::numeric_limits<int32_t>::min() || *number > std::numeric_limits<uint32_t>::max())
    NotAnInteger(Value);
  SetOrdValue(static_cast<int32_t>(static_cast<uint32_t>(*number)));
}

void TIntegerProperty::GetValues(const TGetStrProc& Proc) {
  if (const TIntegerIdents* idents = GetPropInfo().Idents)
    for (const auto& ident : idents->Idents) Proc(ident.second);
}

std::wstring TInt64Property::GetValue() { return std::to_wstring(GetOrdValue()); }

void TInt64Property::SetValue(const std::wstring& Value) {
  const std::optional<int64_t> number = ParseInteger(Value);
  if (!number) NotAnInteger(Value);
  SetOrdValue(*number);
}

std::wstring TEnumProperty::GetValue() {
  const int64_t value = GetOrdValue();
  const TEnumType* type = GetPropInfo().Enum;
  if (type && value >= 0 && value < static_cast<int64_t>(type->Names.size()))
    return type->Names[static_cast<size_t>(value)];
  return std::to_wstring(value);
}

void TEnumProperty::SetValue(const std::wstring& Value) {
  if (const TEnumType* type = GetPropInfo().Enum)
    for (size_t i = 0; i < type->Names.size(); ++i)
      if (SameText(type->Names[i], Value)) return SetOrdValue(static_cast<int64_t>(i));
  InvalidValue();
}

void TEnumProperty::GetValues(const TGetStrProc& Proc) {
  if (const TEnumType* type = GetPropInfo().Enum)
    for (const std::wstring& name : type->Names) Proc(name);
}

std::wstring TSetProperty::GetValue() {
  const auto bits = static_cast<uint64_t>(GetOrdValue());
  const TEnumType* type = GetPropInfo().Enum;
  std::wstring text = L"[";
  for (size_t i = 0; type && i < type->Names.size() && i < 32; ++i)
    if (bits & (uint64_t{1} << i)) text += (text.size() > 1 ? L"," : L"") + type->Names[i];
  return text + L"]";
}

// ---- text ----

std::wstring TStringProperty::GetValue() { return AnsiToWide(GetStrValue()); }
void TStringProperty::SetValue(const std::wstring& Value) { SetStrValue(WideToAnsi(Value)); }
bool TStringProperty::AllEqual() {
  return AllSame(*this, [this](int i) { return GetStrValue(i); });
}

std::wstring TWideStringProperty::GetValue() { return GetWideStrValue(); }
void TWideStringProperty::SetValue(const std::wstring& Value) { SetWideStrValue(Value); }
bool TWideStringProperty::AllEqual() {
  return AllSame(*this, [this](int i) { return GetWideStrValue(i); });
}

// ---- objects, references, events ----

std::wstring TClassProperty::GetValue() {
  const TPropInfo& info = GetPropInfo();
  TPersistent* object = Accessor(info.GetObject, info)(*GetComponent(0));
  return object ? L"(" + object->ClassName() + L")" : L"";
}

std::wstring TComponentProperty::GetValue() {
  const TPropInfo& info = GetPropInfo();
  TComponent* component = Accessor(info.GetComponent, info)(*GetComponent(0));
  return component ? component->Name() : L"";
}

std::wstring TMethodProperty::GetValue() {
  const TPropInfo& info = GetPropInfo();
  return Accessor(info.GetMethodName, info)(*GetComponent(0));
}

// ---- lookups ----

TPropertyEditorClass StandardEditorClass(TPropKind Kind) {
  switch (Kind) {
    case TPropKind::pkInteger: return EditorClassOf<TIntegerProperty>(L"TIntegerProperty");
    case TPropKind::pkInt64: return EditorClassOf<TInt64Property>(L"TInt64Property");
    case TPropKind::pkBoolean:
    case TPropKind::pkEnum: return EditorClassOf<TEnumProperty>(L"TEnumProperty");
    case TPropKind::pkSet: return EditorClassOf<TSetProperty>(L"TSetProperty");
    case TPropKind::pkString: return EditorClassOf<TStringProperty>(L"TStringProperty");
    case TPropKind::pkWString: return EditorClassOf<TWideStringProperty>(L"TWideStringProperty");
    case TPropKind::pkObject: return EditorClassOf<TClassProperty>(L"TClassProperty");
    case TPropKind::pkComponent: return EditorClassOf<TComponentProperty>(L"TComponentProperty");
    case TPropKind::pkMethod: return EditorClassOf<TMethodProperty>(L"TMethodProperty");
  }
  return EditorClassOf<TPropertyEditor>(L"TPropertyEditor");
}

std::wstring AttributesText(TPropertyAttributes Attributes) {
  static const wchar_t* const kNames[] = {L"paValueList", L"paSubProperties", L"paDialog",   L"paMultiSelect",
                                          L"paAutoUpdate", L"paSortList",      L"paReadOnly", L"paRevertable"};
  std::wstring text;
  for (int i = 0; i < 8; ++i)
    if (Attributes.Contains(static_cast<TPropertyAttribute>(i)))
      text += (text.empty() ? L"" : L",") + std::wstring(kNames[i]);
  return text;
}

}  // namespace vcl
