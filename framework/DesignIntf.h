#pragma once
// The designer's registration interface: the pages of the component palette
// and the property editors, as a design-time package registers them, and the
// lookup of the editor a property gets. Portable.

#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "Filer.h"

namespace vcl {

class IDesigner;
class TPropertyEditor;

// A class as the designer knows it: its name, whether an object is an
// instance of it or of a descendant, and, for a component class, how to
// make one.
struct TPersistentClass {
  std::wstring Name;
  std::function<bool(const TPersistent&)> IsInstance;
  TComponentFactory Create;
};

template <class T>
TPersistentClass ClassOf(std::wstring Name) {
  TPersistentClass C;
  C.Name = std::move(Name);
  C.IsInstance = [](const TPersistent& P) { return dynamic_cast<const T*>(&P) != nullptr; };
  if constexpr (std::is_base_of_v<TComponent, T>)
    C.Create = [](TComponent* Owner) -> TComponent* { return new T(Owner); };
  return C;
}

// One selected object and the published property being edited in it.
struct TEditedProperty {
  TPersistent* Instance = nullptr;
  TPropInfo Info;
};

// A property editor class: its name and how to make one for a selection.
struct TPropertyEditorClass {
  std::wstring Name;
  std::function<std::unique_ptr<TPropertyEditor>(IDesigner& Designer, std::vector<TEditedProperty> Props)>
      Create;
};

template <class E>
TPropertyEditorClass EditorClassOf(std::wstring Name) {
  return {std::move(Name), [](IDesigner& Designer, std::vector<TEditedProperty> Props) {
            return std::unique_ptr<TPropertyEditor>(std::make_unique<E>(Designer, std::move(Props)));
          }};
}

// The palette's pages in the order they were first named, each with its
// classes in registration order.
struct TPalettePage {
  std::wstring Name;
  std::vector<TPersistentClass> Classes;
};

// Puts the classes on the palette page Page (created when new), in order.
void RegisterComponents(const std::wstring& Page, std::vector<TPersistentClass> ComponentClasses);

// Registers EditorClass for the properties of kind PropertyType named
// PropertyName (case-insensitive; empty: any name) of ComponentClass and its
// descendants (nullptr: of any class). Where several registrations apply to
// a property, one naming the property beats one that does not, then one
// naming a class beats one that does not, and among equals the later one
// wins. A property no registration applies to gets its kind's standard
// editor (DesignEditors.h).
void RegisterPropertyEditor(TPropKind PropertyType, const TPersistentClass* ComponentClass,
                            const std::wstring& PropertyName, TPropertyEditorClass EditorClass);

const std::vector<TPalettePage>& PalettePages();

// Every registration in the order it was made, one line each:
//   "RegisterComponents Vistrel: TA, TB"
//   "RegisterPropertyEditor WideString TA.Name: TNameProperty"
// (the class as "*" and the name as "*" when not given).
const std::vector<std::wstring>& RegistrationLog();

// Forgets every registration (a designer unloading its packages; tests).
void ClearDesignRegistrations();

// The name of a property kind as the log shows it ("Integer", "String",
// "WideString", ...).
std::wstring PropKindName(TPropKind Kind);

// The editor class for one object's property: the best registration, or
// the kind's standard editor.
TPropertyEditorClass GetEditorClass(const TPersistent& Instance, const TPropInfo& Prop);

// The editor of the property PropertyName shared by every object of
// Selection: nullptr when one of them lacks it (or has it of another kind),
// when their editor classes differ, or when several are selected and the
// editor lacks paMultiSelect.
std::unique_ptr<TPropertyEditor> GetPropertyEditor(IDesigner& Designer, const std::vector<TPersistent*>& Selection,
                                                   const std::wstring& PropertyName);

// The editors of every published property Selection shares, in the first
// object's order, as GetPropertyEditor gives them.
std::vector<std::unique_ptr<TPropertyEditor>> GetPropertyEditors(IDesigner& Designer,
                                                                 const std::vector<TPersistent*>& Selection);

}  // namespace vcl
