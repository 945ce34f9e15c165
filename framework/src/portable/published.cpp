#include <map>
#include <string>
#include <utility>

#include "../../Filer.h"

namespace vcl {

const TEnumType& BooleanType() {
  static const TEnumType type{L"Boolean", {L"False", L"True"}};
  return type;
}

void TPropList::Add(TPropInfo Info) {
  for (TPropInfo& p : props_)
    if (SameText(p.Name, Info.Name)) {
      p = std::move(Info);
      return;
    }
  props_.push_back(std::move(Info));
}

const TPropInfo* TPropList::Find(const std::wstring& Name) const {
  for (const TPropInfo& p : props_)
    if (SameText(p.Name, Name)) return &p;
  return nullptr;
}

namespace filer_detail {
void MethodTypeError(const std::wstring& Name) {
  throw EReadError(L"Method " + Name + L" does not match the event's type");
}
void MethodNotFound(const std::wstring& Name) { throw EReadError(L"Method " + Name + L" not found"); }
}  // namespace filer_detail

void TPersistent::GetPublishedProperties(TPropList& /*List*/) {}

void TPersistent::DefineProperties(TFiler& /*Filer*/) {}

void TComponent::GetPublishedProperties(TPropList& List) {
  TPersistent::GetPublishedProperties(List);
  TPublisher<TComponent>(List).Integer(L"Tag", &TComponent::Tag, &TComponent::SetTag, 0);
}


void TComponent::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
  if (Root != this) return;
  for (TComponent* c : components_)
    if (!c->HasParent()) Proc(c);
}

void TComponent::PublishMethod(const std::wstring& Name, std::any Handler) {
  for (auto& m : methods_)
    if (SameText(m.first, Name)) {
      m.second = std::move(Handler);
      return;
    }
  methods_.emplace_back(Name, std::move(Handler));
}

const std::any* TComponent::MethodAddress(const std::wstring& Name) const {
  for (const auto& m : methods_)
    if (SameText(m.first, Name)) return &m.second;
  return nullptr;
}

// ---------------------------------------------------------------------------
// Class registry

namespace {
struct NoCase {
  bool operator()(const std::wstring& A, const std::wstring& B) const { return CompareText(A, B) < 0; }
};
std::map<std::wstring, TComponentFactory, NoCase>& Registry() {
  static std::map<std::wstring, TComponentFactory, NoCase> registry;
  return registry;
}
}  // namespace

void RegisterComponentClass(const std::wstring& ClassName, TComponentFactory Create) {
  Registry()[ClassName] = std::move(Create);
}

void UnRegisterComponentClass(const std::wstring& ClassName) { Registry().erase(ClassName); }

const TComponentFactory* GetComponentClass(const std::wstring& ClassName) {
  auto it = Registry().find(ClassName);
  return it == Registry().end() ? nullptr : &it->second;
}

}  // namespace vcl
