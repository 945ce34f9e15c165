// The designer layer: which editor a property gets, how the standard editors
// show and write values, multi-selection, and the form reader in a designer.
#include <gtest/gtest.h>

#include "filer_test_classes.h"
#include "framework/DesignEditors.h"
#include "framework/Dialogs.h"

namespace {

using namespace filer_test;

struct TestDesigner : IDesigner {
  int modified = 0;
  TComponent* root = nullptr;
  void Modified() override { ++modified; }
  TComponent* Root() const override { return root; }
};

class TNamedProperty : public TWideStringProperty {
 public:
  using TWideStringProperty::TWideStringProperty;
  TPropertyAttributes GetAttributes() override { return {paDialog}; }
};

// A widget whose Width refuses every value.
class TRefusingWidget : public TTestWidget {
 public:
  using TTestWidget::TTestWidget;
  void GetPublishedProperties(TPropList& List) override {
    TTestWidget::GetPublishedProperties(List);
    TPublisher<TRefusingWidget>(List).Integer(
        L"Width", [](TRefusingWidget& W) { return W.Width; },
        [](TRefusingWidget&, int32_t) { throw EConvertError(L"refused"); }, 0);
  }
};

class DesignRegistry : public ::testing::Test {
 protected:
  void SetUp() override { ClearDesignRegistrations(); }
  void TearDown() override { ClearDesignRegistrations(); }
  std::wstring EditorOf(TPersistent& Instance, const std::wstring& Name) {
    TPropList list;
    Instance.GetPublishedProperties(list);
    return GetEditorClass(Instance, *list.Find(Name)).Name;
  }
};

TEST_F(DesignRegistry, PicksTheMostSpecificRegistrationAndTheLaterAmongEquals) {
  const TPersistentClass widget = ClassOf<TTestWidget>(L"TTestWidget");
  const TPersistentClass panel = ClassOf<TTestPanel>(L"TTestPanel");
  TTestWidget w(nullptr);
  TTestPanel p(nullptr);
  struct Case {
    const char* what;
    std::function<void()> registrations;
    TPersistent* instance;
    const wchar_t* property;
    const wchar_t* expected;
  } cases[] = {
      {"nothing registered: the kind's editor", [] {}, &w, L"Caption", L"TWideStringProperty"},
      {"any class, any name", [] { RegisterPropertyEditor(TPropKind::pkWString, nullptr, L"", EditorClassOf<TNamedProperty>(L"A")); },
       &w, L"Caption", L"A"},
      {"another kind does not apply", [] { RegisterPropertyEditor(TPropKind::pkString, nullptr, L"", EditorClassOf<TNamedProperty>(L"A")); },
       &w, L"Caption", L"TWideStringProperty"},
      {"a descendant matches its ancestor's registration",
       [&] { RegisterPropertyEditor(TPropKind::pkWString, &widget, L"caption", EditorClassOf<TNamedProperty>(L"A")); },
       &p, L"Caption", L"A"},
      {"an ancestor does not match a descendant's registration",
       [&] { RegisterPropertyEditor(TPropKind::pkWString, &panel, L"Caption", EditorClassOf<TNamedProperty>(L"A")); },
       &w, L"Caption", L"TWideStringProperty"},
      {"another name does not apply",
       [&] { RegisterPropertyEditor(TPropKind::pkWString, &widget, L"Title", EditorClassOf<TNamedProperty>(L"A")); },
       &w, L"Caption", L"TWideStringProperty"},
      {"a name beats a class, whatever the order",
       [&] {
         RegisterPropertyEditor(TPropKind::pkWString, nullptr, L"Caption", EditorClassOf<TNamedProperty>(L"ByName"));
         RegisterPropertyEditor(TPropKind::pkWString, &widget, L"", EditorClassOf<TNamedProperty>(L"ByClass"));
       },
       &w, L"Caption", L"ByName"},
      {"a class beats none",
       [&] {
         RegisterPropertyEditor(TPropKind::pkWString, &widget, L"", EditorClassOf<TNamedProperty>(L"ByClass"));
         RegisterPropertyEditor(TPropKind::pkWString, nullptr, L"", EditorClassOf<TNamedProperty>(L"Any"));
       },
       &w, L"Caption", L"ByClass"},
      {"the later of equals",
       [&] {
         RegisterPropertyEditor(TPropKind::pkWString, &widget, L"Caption", EditorClassOf<TNamedProperty>(L"First"));
         RegisterPropertyEditor(TPropKind::pkWString, &panel, L"Caption", EditorClassOf<TNamedProperty>(L"Second"));
       },
       &p, L"Caption", L"Second"},
  };
  for (const Case& c : cases) {
    ClearDesignRegistrations();
    c.registrations();
    EXPECT_EQ(EditorOf(*c.instance, c.property), c.expected) << c.what;
  }
}

TEST_F(DesignRegistry, RecordsRegistrationsInOrderAndKeepsPalettePages) {
  const TPersistentClass widget = ClassOf<TTestWidget>(L"TTestWidget");
  RegisterComponents(L"Page", {ClassOf<TTestWidget>(L"TTestWidget"), ClassOf<TTestPanel>(L"TTestPanel")});
  RegisterPropertyEditor(TPropKind::pkWString, &widget, L"Caption", EditorClassOf<TNamedProperty>(L"TNamedProperty"));
  RegisterPropertyEditor(TPropKind::pkString, nullptr, L"", EditorClassOf<TStringProperty>(L"TStringProperty"));
  RegisterComponents(L"Page", {ClassOf<TTestForm>(L"TTestForm")});
  EXPECT_EQ(RegistrationLog(), (std::vector<std::wstring>{
                                   L"RegisterComponents Page: TTestWidget, TTestPanel",
                                   L"RegisterPropertyEditor WideString TTestWidget.Caption: TNamedProperty",
                                   L"RegisterPropertyEditor String *.*: TStringProperty",
                                   L"RegisterComponents Page: TTestForm",
                               }));
  ASSERT_EQ(PalettePages().size(), 1u);
  ASSERT_EQ(PalettePages()[0].Classes.size(), 3u);
  std::unique_ptr<TComponent> made(PalettePages()[0].Classes[1].Create(nullptr));
  EXPECT_EQ(made->ClassName(), L"TTestPanel");
}

TEST_F(DesignRegistry, StandardEditorsShowAndWriteEachKind) {
  TestDesigner designer;
  TTestForm form(nullptr);
  auto* w = new TTestWidget(&form);
  w->SetName(L"W");
  auto* other = new TTestWidget(&form);
  other->SetName(L"Other");
  w->Align = TAlign::alClient;
  w->Style = {TFontStyle::fsBold, TFontStyle::fsUnderline};
  w->Buddy = other;
  BindMethod(w->OnClick, &form, L"Button1Click");
  struct Case {
    const wchar_t* property;
    const wchar_t* shown;
    const wchar_t* written;  // nullptr: read-only
    const wchar_t* shownAfter;
    const wchar_t* attributes;
  } cases[] = {
      {L"Width", L"0", L"$10", L"16", L"paMultiSelect,paRevertable"},
      {L"Big", L"0", L"-5000000000", L"-5000000000", L"paMultiSelect,paRevertable"},
      {L"Visible", L"True", L"false", L"False", L"paValueList,paMultiSelect,paSortList,paRevertable"},
      {L"Align", L"alClient", L"ALTOP", L"alTop", L"paValueList,paMultiSelect,paSortList,paRevertable"},
      {L"Color", L"clBlack", L"clWindow", L"clWindow", L"paValueList,paMultiSelect,paRevertable"},
      {L"Color", L"clWindow", L"255", L"clRed", L"paValueList,paMultiSelect,paRevertable"},
      {L"Hint", L"", L"tip", L"tip", L"paMultiSelect,paRevertable"},
      {L"Caption", L"", L"\u00E9t\u00E9", L"\u00E9t\u00E9", L"paMultiSelect,paRevertable"},
      {L"Style", L"[fsBold,fsUnderline]", nullptr, nullptr, L"paSubProperties,paMultiSelect,paReadOnly,paRevertable"},
      {L"Font", L"(TPersistent)", nullptr, nullptr, L"paSubProperties,paMultiSelect,paReadOnly"},
      {L"Buddy", L"Other", nullptr, nullptr, L"paMultiSelect,paReadOnly"},
      {L"OnClick", L"Button1Click", nullptr, nullptr, L"paMultiSelect,paReadOnly"},
  };
  for (const Case& c : cases) {
    auto editor = GetPropertyEditor(designer, {w}, c.property);
    ASSERT_TRUE(editor) << c.property;
    EXPECT_EQ(editor->GetValue(), c.shown) << c.property;
    EXPECT_EQ(AttributesText(editor->GetAttributes()), c.attributes) << c.property;
    if (!c.written) continue;
    const int before = designer.modified;
    editor->SetValue(c.written);
    EXPECT_EQ(editor->GetValue(), c.shownAfter) << c.property;
    EXPECT_EQ(designer.modified, before + 1) << c.property;
  }
}

TEST_F(DesignRegistry, TextThatIsNotAValueRaisesAndWritesNothing) {
  TestDesigner designer;
  TTestWidget w(nullptr);
  w.Width = 7;
  struct Case {
    const wchar_t* property;
    const wchar_t* text;
    bool convertError;  // else EPropertyError
  } cases[] = {
      {L"Width", L"seven", true},      {L"Width", L"", true},           {L"Width", L"4294967296", true},
      {L"Width", L"12x", true},        {L"Big", L"9223372036854775808", true}, {L"Visible", L"yes", false},
      {L"Align", L"alSideways", false}, {L"Color", L"clPurple", true},
  };
  for (const Case& c : cases) {
    auto editor = GetPropertyEditor(designer, {&w}, c.property);
    const std::wstring before = editor->GetValue();
    if (c.convertError)
      EXPECT_THROW(editor->SetValue(c.text), EConvertError) << c.property << " " << WideToUtf8(c.text);
    else
      EXPECT_THROW(editor->SetValue(c.text), EPropertyError) << c.property << " " << WideToUtf8(c.text);
    EXPECT_EQ(editor->GetValue(), before);
  }
  EXPECT_EQ(designer.modified, 0);
}

TEST_F(DesignRegistry, MultiSelectionWritesEverySelectedObject) {
  TestDesigner designer;
  TTestWidget a(nullptr), b(nullptr);
  TTestPanel c(nullptr);
  TTestFont font;
  std::vector<TPersistent*> selection{&a, &b, &c};

  auto hint = GetPropertyEditor(designer, selection, L"Hint");
  ASSERT_TRUE(hint);
  EXPECT_EQ(hint->PropCount(), 3);
  EXPECT_TRUE(hint->AllEqual());
  hint->SetValue(L"same");
  EXPECT_EQ(a.Hint + b.Hint + c.Hint, "samesamesame");
  EXPECT_EQ(designer.modified, 1);  // once for the whole selection
  b.Hint = "other";
  EXPECT_FALSE(hint->AllEqual());
  // A width the second widget refuses: the first keeps its new one, and the
  // designer hears of it.
  TRefusingWidget refusing(nullptr);
  auto width = GetPropertyEditor(designer, {&a, &refusing}, L"Width");
  EXPECT_THROW(width->SetValue(L"5"), EConvertError);
  EXPECT_EQ(a.Width, 5);
  EXPECT_EQ(designer.modified, 2);

  // Only what every selected object has, and only editors that take several.
  EXPECT_FALSE(GetPropertyEditor(designer, {&a, &font}, L"Hint"));
  auto names = [&](const std::vector<TPersistent*>& Selection) {
    std::vector<std::wstring> result;
    for (const auto& e : GetPropertyEditors(designer, Selection)) result.push_back(e->GetName());
    return result;
  };
  EXPECT_EQ(names({&a, &font}), (std::vector<std::wstring>{}));  // Font's Size and Name are not a widget's
  const TPersistentClass widget = ClassOf<TTestWidget>(L"TTestWidget");
  RegisterPropertyEditor(TPropKind::pkWString, &widget, L"Caption", EditorClassOf<TNamedProperty>(L"TNamedProperty"));
  EXPECT_TRUE(GetPropertyEditor(designer, {&a}, L"Caption"));
  EXPECT_FALSE(GetPropertyEditor(designer, {&a, &b}, L"Caption"));  // a dialog for one at a time
  const auto both = names({&a, &c});
  EXPECT_EQ(std::count(both.begin(), both.end(), L"Caption"), 0);
  EXPECT_EQ(std::count(both.begin(), both.end(), L"Hint"), 1);
}

TEST(DesignerForms, ADesigningOwnerDesignsWhatItOwnsAndUnknownEventsKeepTheirNames) {
  // A form written by an application names its own handlers; a designer
  // reading it (without that code) writes the names back.
  RegisterTestClasses();
  auto written = MakeTestForm();
  TMemoryStream stream;
  WriteComponentToStream(stream, written.get());
  stream.SetPosition(0);

  TTestWidget root(nullptr);  // publishes no method
  root.SetDesigning(true);
  TReader reader(stream);
  reader.KeepMissingMethodNames = true;
  reader.ReadRootComponent(&root);
  auto* button = dynamic_cast<TTestWidget*>(root.FindComponent(L"Button1"));
  ASSERT_TRUE(button);
  EXPECT_TRUE(button->IsDesigning());
  ASSERT_TRUE(button->OnClick);
  button->OnClick(button);  // does nothing
  EXPECT_TRUE(root.FindComponent(L"Timer1")->IsDesigning());

  TMemoryStream again;
  WriteComponentToStream(again, &root);
  TMemoryStream text, textAgain;
  stream.SetPosition(0);
  again.SetPosition(0);
  ObjectBinaryToText(stream, text);
  ObjectBinaryToText(again, textAgain);
  auto asString = [](TMemoryStream& S) { return std::string(static_cast<const char*>(S.Memory()), size_t(S.Size())); };
  EXPECT_NE(asString(textAgain).find("OnClick = Button1Click"), std::string::npos);
  // Only the root's class differs.
  std::string expected = asString(text);
  expected.replace(expected.find("TTestForm"), 9, "TTestWidget");
  EXPECT_EQ(asString(textAgain), expected);
}

TEST(DesignerDialogs, HandlersStandInForTheSystemAndAreRestored) {
  std::vector<std::wstring> shown;
  const auto oldMessage = SetShowMessageHandler([&](const std::wstring& M) { shown.push_back(M); });
  const auto oldDialog = SetOpenDialogHandler([](TOpenDialog& D) {
    D.SetFileName(L"C:\\movies\\" + D.Filter());
    return true;
  });
  TOpenDialog dialog(nullptr);
  dialog.SetFilter(L"a.swf");
  EXPECT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.FileName(), L"C:\\movies\\a.swf");
  ShowMessage(L"hello");
  EXPECT_EQ(shown, std::vector<std::wstring>{L"hello"});
  SetShowMessageHandler(oldMessage);
  SetOpenDialogHandler(oldDialog);
#ifndef _WIN32
  // The host build's own dialog answers as a cancel (the Windows build's is
  // the system's, which waits for a user).
  EXPECT_FALSE(TOpenDialog(nullptr).Execute());
#endif
}

}  // namespace
