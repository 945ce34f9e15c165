// The palette pages, the property editor registrations and the lookup of a
// property's editor.
#include <algorithm>
#include <utility>

#include "../../DesignEditors.h"

namespace vcl {

namespace {

struct EditorRegistration {
  TPropKind kind;
  std::optional<TPersistentClass> componentClass;
  std::wstring propertyName;
  TPropertyEditorClass editorClass;
};

struct Registry {
  std::vector<TPalettePage> pages;
  std::vector<EditorRegistration> editors;
  std::vector<std::wstring> log;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

// How closely a registration fits: the property's name counts above the
// class.
int Specificity(const EditorRegistration& R) {
  return (R.propertyName.empty() ? 0 : 2) + (R.componentClass ? 1 : 0);
}

bool Applies(const EditorRegistration& R, const TPersistent& Instance, const TPropInfo& Prop) {
  return R.kind == Prop.Kind && (!R.componentClass || R.componentClass->IsInstance(Instance)) &&
         (R.propertyName.empty() || SameText(R.propertyName, Prop.Name));
}

// The property Name of every selected object; empty when one lacks it or
// has it of another kind.
std::vector<TEditedProperty> SelectedProperty(const std::vector<TPersistent*>& Selection, const std::wstring& Name) {
  std::vector<TEditedProperty> props;
  for (TPersistent* instance : Selection) {
    TPropList list;
    instance->GetPublishedProperties(list);
    const TPropInfo* info = list.Find(Name);
    if (!info || (!props.empty() && props.front().Info.Kind != info->Kind)) return {};
    props.push_back({instance, *info});
  }
  return props;
}

std::unique_ptr<TPropertyEditor> MakeEditor(IDesigner& Designer, std::vector<TEditedProperty> Props) {
  if (Props.empty()) return nullptr;
  const TPropertyEditorClass editorClass = GetEditorClass(*Props.front().Instance, Props.front().Info);
  for (const TEditedProperty& p : Props)
    if (GetEditorClass(*p.Instance, p.Info).Name != editorClass.Name) return nullptr;
  const bool several = Props.size() > 1;
  auto editor = editorClass.Create(Designer, std::move(Props));
  if (several && !editor->GetAttributes().Contains(paMultiSelect)) return nullptr;
  return editor;
}

}  // namespace

std::wstring PropKindName(TPropKind Kind) {
  switch (Kind) {
    case TPropKind::pkInteger: return L"Integer";
    case TPropKind::pkInt64: return L"Int64";
    case TPropKind::pkBoolean: return L"Boolean";
    case TPropKind::pkEnum: return L"Enumeration";
    case TPropKind::pkSet: return L"Set";
    case TPropKind::pkString: return L"String";
    case TPropKind::pkWString: return L"WideString";
    case TPropKind::pkObject: return L"Class";
    case TPropKind::pkComponent: return L"Component";
    case TPropKind::pkMethod: return L"Method";
  }
  return L"?";
}

void RegisterComponents(const std::wstring& Page, std::vector<TPersistentClass> ComponentClasses) {
  Registry& r = TheRegistry();
  std::wstring line = L"RegisterComponents " + Page + L":";
  for (size_t i = 0; i < ComponentClasses.size(); ++i) line += (i ? L", " : L" ") + ComponentClasses[i].Name;
  auto page = std::find_if(r.pages.begin(), r.pages.end(), [&](const TPalettePage& P) { return P.Name == Page; });
  if (page == r.pages.end()) page = r.pages.insert(r.pages.end(), TPalettePage{Page, {}});
  for (TPersistentClass& c : ComponentClasses) page->Classes.push_back(std::move(c));
  r.log.push_back(std::move(line));
}

void RegisterPropertyEditor(TPropKind PropertyType, const TPersistentClass* ComponentClass,
                            const std::wstring& PropertyName, TPropertyEditorClass EditorClass) {
  Registry& r = TheRegistry();
  r.log.push_back(L"RegisterPropertyEditor " + PropKindName(PropertyType) + L" " +
                  (ComponentClass ? ComponentClass->Name : L"*") + L"." +
                  (PropertyName.empty() ? L"*" : PropertyName) + L": " + EditorClass.Name);
  EditorRegistration reg{PropertyType, std::nullopt, PropertyName, std::move(EditorClass)};
  if (ComponentClass) reg.componentClass = *ComponentClass;
  r.editors.push_back(std::move(reg));
}

const std::vector<TPalettePage>& PalettePages() { return TheRegistry().pages; }
const std::vector<std::wstring>& RegistrationLog() { return TheRegistry().log; }

void ClearDesignRegistrations() { TheRegistry() = Registry{}; }

TPropertyEditorClass GetEditorClass(const TPersistent& Instance, const TPropInfo& Prop) {
  const EditorRegistration* best = nullptr;
  for (const EditorRegistration& r : TheRegistry().editors)
    if (Applies(r, Instance, Prop) && (!best || Specificity(r) >= Specificity(*best))) best = &r;
  return best ? best->editorClass : StandardEditorClass(Prop.Kind);
}

std::unique_ptr<TPropertyEditor> GetPropertyEditor(IDesigner& Designer, const std::vector<TPersistent*>& Selection,
                                                   const std::wstring& PropertyName) {
  return MakeEditor(Designer, SelectedProperty(Selection, PropertyName));
}

std::vector<std::unique_ptr<TPropertyEditor>> GetPropertyEditors(IDesigner& Designer,
                                                                 const std::vector<TPersistent*>& Selection) {
  std::vector<std::unique_ptr<TPropertyEditor>> editors;
  if (Selection.empty()) return editors;
  TPropList first;
  Selection.front()->GetPublishedProperties(first);
  for (const TPropInfo& info : first)
    if (auto editor = MakeEditor(Designer, SelectedProperty(Selection, info.Name)))
      editors.push_back(std::move(editor));
  return editors;
}

}  // namespace vcl
