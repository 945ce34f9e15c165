// Reading forms back: round trips of trees, the loading order, reading into
// an existing root, references and events.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "filer_test_classes.h"

using namespace vcl;
using namespace filer_test;
using ::testing::ElementsAre;

namespace {

class FilerReader : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterTestClasses();
    Log().clear();
  }
  std::unique_ptr<TTestForm> MakeForm() { return MakeTestForm(); }
};

std::unique_ptr<TMemoryStream> Write(TComponent* Root) {
  auto s = std::make_unique<TMemoryStream>();
  WriteComponentToStream(*s, Root);
  s->SetPosition(0);
  return s;
}

TEST_F(FilerReader, RoundTripOfATree) {
  auto original = MakeForm();
  auto stream = Write(original.get());
  std::unique_ptr<TComponent> copy(ReadComponentFromStream(*stream, nullptr));
  EXPECT_EQ(stream->Position(), stream->Size());

  auto* form = dynamic_cast<TTestForm*>(copy.get());
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->Name(), L"Form1");
  EXPECT_EQ(form->Caption, L"Main \u00E9");
  ASSERT_EQ(form->ComponentCount(), 4);
  auto* label = dynamic_cast<TTestWidget*>(form->FindComponent(L"Label1"));
  auto* panel = dynamic_cast<TTestPanel*>(form->FindComponent(L"Panel1"));
  auto* button = dynamic_cast<TTestWidget*>(form->FindComponent(L"Button1"));
  TComponent* timer = form->FindComponent(L"Timer1");
  ASSERT_TRUE(label && panel && button && timer);
  EXPECT_EQ(button->Parent(), panel);
  EXPECT_EQ(label->Parent(), nullptr);
  EXPECT_EQ(label->Buddy, button);
  EXPECT_EQ(button->Buddy, form);
  EXPECT_EQ(label->Align, TAlign::alTop);
  EXPECT_EQ(label->Style, TSet<TFontStyle>{TFontStyle::fsItalic});
  EXPECT_EQ(label->Hint, "hint");
  EXPECT_EQ(label->Width, 70000);
  EXPECT_EQ(label->Big, -(int64_t{1} << 40));
  EXPECT_FALSE(label->Visible);
  EXPECT_EQ(label->Color, -16777211);
  EXPECT_EQ(label->Font.Size, 12);
  EXPECT_EQ(label->Data, (std::vector<uint8_t>{9, 8, 7}));
  EXPECT_EQ(timer->DesignInfo(), 0x00200010);
  ASSERT_EQ(panel->Items.Count(), 2);
  EXPECT_EQ(static_cast<TTestItem*>(panel->Items.Items(0))->Caption, L"first");
  EXPECT_EQ(static_cast<TTestItem*>(panel->Items.Items(0))->Link, label);
  EXPECT_EQ(static_cast<TTestItem*>(panel->Items.Items(1))->Value, -3);
  ASSERT_TRUE(button->OnClick);
  button->OnClick(button);
  EXPECT_EQ(form->Clicks, 1);
  for (int i = 0; i < form->ComponentCount(); ++i) EXPECT_FALSE(form->Components(i)->IsLoading());

  // A form inside a larger stream is read from its position up to its end.
  TMemoryStream embedded;
  embedded.WriteBuffer("xx", 2);
  stream->SetPosition(0);
  embedded.CopyFrom(*stream, 0);
  embedded.WriteBuffer("yy", 2);
  embedded.SetPosition(2);
  std::unique_ptr<TComponent>(ReadComponentFromStream(embedded, nullptr));
  EXPECT_EQ(embedded.Position(), embedded.Size() - 2);

  // Written again, the copy gives the same bytes.
  auto again = Write(form);
  EXPECT_EQ(again->Size(), stream->Size());
  EXPECT_EQ(0, std::memcmp(again->Memory(), stream->Memory(), static_cast<size_t>(stream->Size())));
}

TEST_F(FilerReader, PropertiesAreReadWhileLoadingAndLoadedFollowsCompletion) {
  auto original = MakeForm();
  static_cast<TTestWidget*>(original->FindComponent(L"Button1"))->Width = 5;
  original->Width = 3;
  auto stream = Write(original.get());
  Log().clear();
  std::unique_ptr<TComponent> copy(ReadComponentFromStream(*stream, nullptr));
  // The root first, then each component after its own children.
  EXPECT_THAT(Log(), ElementsAre(L"Width Form1 loading", L"Width Label1 loading", L"Width Button1 loading",
                                 L"Loaded Form1", L"Loaded Label1", L"Loaded Button1", L"Loaded Panel1"));
}

TEST_F(FilerReader, ReadsIntoAGivenRootKeepingWhatItHas) {
  auto original = MakeForm();
  auto stream = Write(original.get());
  TTestForm root(nullptr);
  root.SetName(L"Other");
  auto* mine = new TTestWidget(&root);
  mine->SetName(L"Mine");
  EXPECT_EQ(ReadComponentFromStream(*stream, &root), &root);
  EXPECT_EQ(root.Name(), L"Form1");
  EXPECT_EQ(root.Caption, L"Main \u00E9");
  EXPECT_EQ(root.ComponentCount(), 5);
  EXPECT_EQ(root.Components(0), mine);
  EXPECT_FALSE(root.IsLoading());
}

TEST_F(FilerReader, InheritedChildrenAreFoundNotCreated) {
  auto original = MakeForm();
  auto stream = Write(original.get());
  // Flag Label1 as inherited: its header gets the prefix byte F1.
  std::string bytes(static_cast<const char*>(stream->Memory()), static_cast<size_t>(stream->Size()));
  const std::string header = std::string("\x0BTTestWidget\x06Label1", 19);
  const size_t at = bytes.find(header);
  ASSERT_NE(at, std::string::npos);
  bytes.insert(at, 1, '\xF1');
  TMemoryStream s;
  s.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  s.SetPosition(0);

  TTestForm root(nullptr);
  auto* label = new TTestWidget(&root);
  label->SetName(L"Label1");
  ReadComponentFromStream(s, &root);
  EXPECT_EQ(root.FindComponent(L"Label1"), label);
  EXPECT_EQ(label->Hint, "hint");
  EXPECT_EQ(root.ComponentCount(), 4);

  s.SetPosition(0);
  TTestForm empty(nullptr);
  EXPECT_THROW(ReadComponentFromStream(s, &empty), EReadError);
  EXPECT_EQ(empty.ComponentCount(), 0);
}

TEST_F(FilerReader, UnknownReferencesStayNilAndMissingMethodsAreErrorsUnlessSkipped) {
  auto original = MakeForm();
  auto* label = static_cast<TTestWidget*>(original->FindComponent(L"Label1"));
  TTestWidget elsewhere(nullptr);
  elsewhere.SetName(L"Form9");
  auto* far = new TTestWidget(&elsewhere);
  far->SetName(L"Far");
  label->Buddy = far;  // "Form9.Far": no such form here
  auto stream = Write(original.get());
  std::unique_ptr<TComponent> copy(ReadComponentFromStream(*stream, nullptr));
  EXPECT_EQ(static_cast<TTestWidget*>(copy->FindComponent(L"Label1"))->Buddy, nullptr);

  // A root that does not publish Button1Click.
  stream->SetPosition(0);
  TTestWidget bare(nullptr);
  try {
    ReadComponentFromStream(*stream, &bare);
    FAIL();
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), L"Error reading Form1.Button1.OnClick: Method Button1Click not found");
  }
  EXPECT_EQ(bare.ComponentCount(), 0);

  stream->SetPosition(0);
  TReader reader(*stream);
  std::wstring missing;
  reader.OnMissingMethod = [&](const std::wstring& Name) {
    missing = Name;
    return true;
  };
  reader.ReadRootComponent(&bare);
  EXPECT_EQ(missing, L"Button1Click");
  EXPECT_FALSE(static_cast<TTestWidget*>(bare.FindComponent(L"Button1"))->OnClick);
}

TEST_F(FilerReader, DesignPositionNamesAreCaseInsensitive) {
  // "left"/"top" as Free Pascal writes them.
  const char form[] = "TPF0\x0ATComponent\x02T1\x04left\x02\x05\x03top\x03\x00\x01\x00\x00";
  TMemoryStream s;
  s.WriteBuffer(form, sizeof form - 1);
  s.SetPosition(0);
  std::unique_ptr<TComponent> c(ReadComponentFromStream(s, nullptr));
  EXPECT_EQ(c->DesignInfo(), 0x01000005);
}

TEST_F(FilerReader, ACollectionReadTwiceDropsTheReferencesOfItsOldItems) {
  // Items = <item Link = Form1>, then Items = <>: the first item is freed
  // before the references are set.
  const char form[] =
      "TPF0\x09TTestForm\x05" "Form1"
      "\x05" "Items\x0E\x01\x04" "Link\x07\x05" "Form1\x00\x00"
      "\x05" "Items\x0E\x00"
      "\x00\x00";
  TMemoryStream s;
  s.WriteBuffer(form, sizeof form - 1);
  s.SetPosition(0);
  std::unique_ptr<TComponent> root(ReadComponentFromStream(s, nullptr));
  EXPECT_EQ(static_cast<TTestForm*>(root.get())->Items.Count(), 0);
}

}  // namespace
