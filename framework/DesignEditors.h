#pragma once
// Property editors: how the designer shows a published property as text,
// writes text back into every selected object, offers a list of values or
// opens a dialog; and the designer they report changes to. Portable.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "DesignIntf.h"

namespace vcl {

// What a property editor supports.
enum class TPropertyAttribute {
  paValueList,      // GetValues offers values
  paSubProperties,  // the value has properties of its own
  paDialog,         // Edit opens a dialog (the designer shows an ellipsis button)
  paMultiSelect,    // editable with several objects selected
  paAutoUpdate,     // SetValue on every change of the text
  paSortList,       // the designer sorts GetValues' list
  paReadOnly,       // the text cannot be changed
  paRevertable      // the designer may revert the value to the inherited one
};
using TPropertyAttributes = TSet<TPropertyAttribute>;
using enum TPropertyAttribute;

// The designer a property editor works for.
class IDesigner {
 public:
  virtual ~IDesigner() = default;
  // The form changed: the designer marks it for saving and refreshes what it
  // shows of it.
  virtual void Modified() = 0;
  // The component the designed form's names are looked up in.
  virtual TComponent* Root() const = 0;
};

using TGetStrProc = std::function<void(const std::wstring& Value)>;

// The base editor: one property of one or more selected objects (the
// first is the one shown). Its value text is "(unknown)" and it ignores
// text written to it.
class TPropertyEditor {
 public:
  TPropertyEditor(IDesigner& Designer, std::vector<TEditedProperty> Props);
  TPropertyEditor(const TPropertyEditor&) = delete;
  TPropertyEditor& operator=(const TPropertyEditor&) = delete;
  virtual ~TPropertyEditor() = default;

  virtual TPropertyAttributes GetAttributes() { return {paRevertable}; }
  virtual std::wstring GetValue() { return L"(unknown)"; }
  virtual void SetValue(const std::wstring& /*Value*/) {}
  // Offers each value of the list (paValueList) to Proc, in order.
  virtual void GetValues(const TGetStrProc& /*Proc*/) {}
  // The dialog (paDialog), or what a double click does.
  virtual void Edit() {}
  // Whether every selected object holds the same value (the designer shows
  // an empty value otherwise).
  virtual bool AllEqual() { return PropCount() == 1; }

  const std::wstring& GetName() const { return props_.front().Info.Name; }
  int PropCount() const { return static_cast<int>(props_.size()); }
  TPersistent* GetComponent(int Index) const;
  const TPropInfo& GetPropInfo(int Index = 0) const;
  IDesigner& Designer() const { return designer_; }
  // Tells the designer that the form changed.
  void Modified() { designer_.Modified(); }

 protected:
  // The first object's value, or the one at Index; the setters write every
  // selected object in turn and then call Modified (also when a later write
  // fails after an earlier one went through; the error then passes on).
  int64_t GetOrdValue(int Index = 0) const;
  void SetOrdValue(int64_t Value);
  std::string GetStrValue(int Index = 0) const;
  void SetStrValue(const std::string& Value);
  std::wstring GetWideStrValue(int Index = 0) const;
  void SetWideStrValue(const std::wstring& Value);

 private:
  void WriteEach(const std::function<void(const TEditedProperty&)>& Write);
  IDesigner& designer_;
  std::vector<TEditedProperty> props_;
};

// Integers, 64-bit integers, enumerations (booleans too): multi-select,
// revertable. An integer with identifiers shows them (clWindow) and takes a
// name or a number; an enumeration offers its names. Text that is not a
// value raises EConvertError or EPropertyError and writes nothing.
class TOrdinalProperty : public TPropertyEditor {
 public:
  using TPropertyEditor::TPropertyEditor;
  TPropertyAttributes GetAttributes() override { return {paMultiSelect, paRevertable}; }
  bool AllEqual() override;
};

class TIntegerProperty : public TOrdinalProperty {
 public:
  using TOrdinalProperty::TOrdinalProperty;
  TPropertyAttributes GetAttributes() override;
  std::wstring GetValue() override;
  void SetValue(const std::wstring& Value) override;
  void GetValues(const TGetStrProc& Proc) override;
};

class TInt64Property : public TOrdinalProperty {
 public:
  using TOrdinalProperty::TOrdinalProperty;
  std::wstring GetValue() override;
  void SetValue(const std::wstring& Value) override;
};

class TEnumProperty : public TOrdinalProperty {
 public:
  using TOrdinalProperty::TOrdinalProperty;
  TPropertyAttributes GetAttributes() override { return {paMultiSelect, paValueList, paSortList, paRevertable}; }
  std::wstring GetValue() override;
  void SetValue(const std::wstring& Value) override;
  void GetValues(const TGetStrProc& Proc) override;
};

// A set shows as "[a,b]"; it is edited through its elements.
class TSetProperty : public TOrdinalProperty {
 public:
  using TOrdinalProperty::TOrdinalProperty;
  TPropertyAttributes GetAttributes() override {
    return {paMultiSelect, paSubProperties, paReadOnly, paRevertable};
  }
  std::wstring GetValue() override;
};

// 8-bit text, read and written as it stands; multi-select, revertable.
class TStringProperty : public TPropertyEditor {
 public:
  using TPropertyEditor::TPropertyEditor;
  TPropertyAttributes GetAttributes() override { return {paMultiSelect, paRevertable}; }
  std::wstring GetValue() override;
  void SetValue(const std::wstring& Value) override;
  bool AllEqual() override;
};

// Wide text, the same way.
class TWideStringProperty : public TPropertyEditor {
 public:
  using TPropertyEditor::TPropertyEditor;
  TPropertyAttributes GetAttributes() override { return {paMultiSelect, paRevertable}; }
  std::wstring GetValue() override;
  void SetValue(const std::wstring& Value) override;
  bool AllEqual() override;
};

// An owned object (a collection, ...): shows its class name in parentheses;
// edited through its own properties.
class TClassProperty : public TPropertyEditor {
 public:
  using TPropertyEditor::TPropertyEditor;
  TPropertyAttributes GetAttributes() override { return {paMultiSelect, paSubProperties, paReadOnly}; }
  std::wstring GetValue() override;
};

// A reference to another component, shown by its name. Read-only here: a
// reference property takes only components of its own class, which the
// published metadata does not tell.
class TComponentProperty : public TPropertyEditor {
 public:
  using TPropertyEditor::TPropertyEditor;
  TPropertyAttributes GetAttributes() override { return {paMultiSelect, paReadOnly}; }
  std::wstring GetValue() override;
};

// An event, shown by the name of the method it is bound to. Read-only: the
// methods are the application's code.
class TMethodProperty : public TPropertyEditor {
 public:
  using TPropertyEditor::TPropertyEditor;
  TPropertyAttributes GetAttributes() override { return {paMultiSelect, paReadOnly}; }
  std::wstring GetValue() override;
};

// The standard editor class of a property kind.
TPropertyEditorClass StandardEditorClass(TPropKind Kind);

// Attributes as text, in declaration order: "paValueList,paMultiSelect".
std::wstring AttributesText(TPropertyAttributes Attributes);

}  // namespace vcl
