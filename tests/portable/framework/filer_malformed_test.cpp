// Malformed forms: every one ends in EReadError naming what was wrong, with
// nothing leaked and a given root left as it was.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "filer_test_classes.h"

using namespace vcl;
using namespace filer_test;
using ::testing::HasSubstr;

namespace {

std::string Str(const std::string& S) { return std::string(1, static_cast<char>(S.size())) + S; }
std::string Bytes(std::initializer_list<int> Values) {
  std::string s;
  for (int v : Values) s.push_back(static_cast<char>(v));
  return s;
}
std::unique_ptr<TMemoryStream> StreamOf(const std::string& Bytes) {
  auto s = std::make_unique<TMemoryStream>();
  s->WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
  s->SetPosition(0);
  return s;
}
// A form of a TTestForm named Form1 with the given properties and children.
std::string Form(const std::string& Props, const std::string& Children = "") {
  return "TPF0" + Str("TTestForm") + Str("Form1") + Props + Bytes({0}) + Children + Bytes({0});
}

// The message of the EReadError reading Bytes raises (into a new root).
std::wstring ReadError(const std::string& Bytes) {
  auto s = StreamOf(Bytes);
  try {
    std::unique_ptr<TComponent> root(ReadComponentFromStream(*s, nullptr));
  } catch (const EReadError& e) {
    return e.Message();
  }
  return L"(no error)";
}

class FilerMalformed : public ::testing::Test {
 protected:
  void SetUp() override { RegisterTestClasses(); }
};

TEST_F(FilerMalformed, EveryTruncationIsAReadError) {
  auto form = MakeTestForm();
  TMemoryStream full;
  WriteComponentToStream(full, form.get());
  const std::string bytes(static_cast<const char*>(full.Memory()), static_cast<size_t>(full.Size()));
  for (size_t n = 0; n < bytes.size(); ++n) {
    auto s = StreamOf(bytes.substr(0, n));
    EXPECT_THROW(std::unique_ptr<TComponent>(ReadComponentFromStream(*s, nullptr)), EReadError) << n;
    // A given root keeps what it had and leaves the loading state.
    TTestForm root(nullptr);
    auto* mine = new TTestWidget(&root);
    mine->SetName(L"Mine");
    s->SetPosition(0);
    EXPECT_THROW(ReadComponentFromStream(*s, &root), EReadError) << n;
    ASSERT_EQ(root.ComponentCount(), 1) << n;
    EXPECT_EQ(root.Components(0), mine);
    EXPECT_FALSE(root.IsLoading() || mine->IsLoading()) << n;
    EXPECT_FALSE(root.ComponentState().Contains(csReading)) << n;
  }
}

TEST_F(FilerMalformed, MessagesNameWhatWasWrong) {
  EXPECT_EQ(ReadError("TPF1"), L"Invalid stream format");
  EXPECT_EQ(ReadError("TP"), L"Invalid stream format");
  EXPECT_EQ(ReadError("TPF0" + Str("TFoo") + Str("A") + Bytes({0, 0})), L"Class TFoo not found");
  EXPECT_EQ(ReadError(Form("", Str("TBar") + Str("B") + Bytes({0, 0}))), L"Class TBar not found");
  EXPECT_EQ(ReadError(Form(Str("Foo") + Bytes({2, 1}))), L"Error reading Form1.Foo: Property Foo does not exist");
  EXPECT_EQ(ReadError(Form(Str("Font.Foo") + Bytes({2, 1}))),
            L"Error reading Form1.Font.Foo: Property Font.Foo does not exist");
  EXPECT_EQ(ReadError(Form(Str("Width.X") + Bytes({2, 1}))),
            L"Error reading Form1.Width.X: Property Width.X does not exist");
  EXPECT_EQ(ReadError(Form("", Str("TTestWidget") + Str("Label1") + Str("Align") + Bytes({7}) + Str("alWrong") +
                                   Bytes({0, 0}))),
            L"Error reading Form1.Label1.Align: Invalid property value");
  // A value of the wrong type for each kind.
  for (const char* name : {"Width", "Big", "Visible", "Align", "Hint", "Caption", "Items", "Buddy",
                           "OnClick", "Font"})
    EXPECT_THAT(ReadError(Form(Str(name) + Bytes({0x0B, 0}) + Bytes({0}))), HasSubstr(L"Invalid property value"))
        << name;
  EXPECT_THAT(ReadError(Form(Str("Width") + Bytes({0x13, 0, 0, 0, 0, 1, 0, 0, 0}))),
              HasSubstr(L"Invalid property value"));
  EXPECT_THAT(ReadError(Form(Str("Style") + Bytes({2, 1}))), HasSubstr(L"Invalid property value"));
  EXPECT_THAT(ReadError(Form(Str("Style") + Bytes({0x0B}) + Str("fsNone") + Bytes({0}))),
              HasSubstr(L"Invalid property value"));
  EXPECT_THAT(ReadError(Form(Str("Items") + Bytes({0x0E, 2, 1, 0}))), HasSubstr(L"Invalid property value"));
  EXPECT_THAT(ReadError(Form(Str("Hint") + Bytes({0x40}))), HasSubstr(L"Invalid property value"));
  // Names the components refuse.
  EXPECT_THAT(ReadError(Form("", Str("TTestWidget") + Str("1x") + Bytes({0, 0}))), HasSubstr(L"not a valid"));
  EXPECT_THAT(ReadError(Form("", Str("TTestWidget") + Str("A") + Bytes({0, 0}) + Str("TTestWidget") + Str("A") +
                                     Bytes({0, 0}))),
              HasSubstr(L"already exists"));
}

TEST_F(FilerMalformed, LengthsAreCheckedBeforeAnythingIsAllocated) {
  EXPECT_THAT(ReadError(Form(Str("Hint") + Bytes({0x0C, 0xFF, 0xFF, 0xFF, 0xFF}) + "abc")),
              HasSubstr(L"negative length"));
  EXPECT_EQ(ReadError(Form(Str("Caption") + Bytes({0x12, 0xFF, 0xFF, 0xFF, 0x7F}) + "abcd")),
            L"Error reading Form1.Caption: Stream read error");
  EXPECT_EQ(ReadError(Form(Str("Hint") + Bytes({0x14, 0x00, 0x00, 0x00, 0x70}) + "abcd")),
            L"Error reading Form1.Hint: Stream read error");
  EXPECT_EQ(ReadError(Form(Str("Data") + Bytes({0x0A, 0x00, 0x00, 0x00, 0x40}) + "abcd")),
            L"Error reading Form1.Data: Stream read error");
  EXPECT_EQ(ReadError(Form(Str("Hint") + Bytes({0x06, 200}) + "abc")), L"Error reading Form1.Hint: Stream read error");
}

TEST_F(FilerMalformed, NestingIsBounded) {
  std::string children;
  for (int i = 0; i < 100; ++i) children += Str("TTestPanel") + Str("P" + std::to_string(i)) + Bytes({0});
  children += std::string(100, '\0');
  EXPECT_THAT(ReadError(Form("", children)), HasSubstr(L"nested deeper than 64 levels"));

  // Lists inside lists, skipped as the value of a defined property nobody reads.
  auto s = StreamOf(std::string(100000, '\x01'));
  TReader reader(*s);
  EXPECT_THROW(reader.SkipValue(), EReadError);
  std::string collections;
  for (int i = 0; i < 100; ++i) collections += Bytes({0x0E, 1}) + Str("P");
  auto c = StreamOf(collections);
  TReader collectionReader(*c);
  try {
    collectionReader.SkipValue();
    FAIL();
  } catch (const EReadError& e) {
    EXPECT_THAT(e.Message(), HasSubstr(L"nested deeper"));
  }
}

TEST_F(FilerMalformed, SkipValueKnowsEveryTagAndNamesAnUnknownOne) {
  const std::string values = Bytes({0x0, 0x2, 1, 0x3, 1, 2, 0x4, 1, 2, 3, 4, 0x5}) + std::string(10, 'e') +
                             Bytes({0x6, 2}) + "ab" + Bytes({0x7, 1}) + "i" + Bytes({0x8, 0x9, 0xD}) +
                             Bytes({0xA, 2, 0, 0, 0, 1, 2}) + Bytes({0xB, 1}) + "s" + Bytes({0}) +
                             Bytes({0xC, 1, 0, 0, 0}) + "l" + Bytes({0xE, 2, 5, 1}) + Str("P") + Bytes({2, 1, 0, 0}) +
                             Bytes({0xF, 1, 2, 3, 4, 0x10}) + std::string(8, 'c') + Bytes({0x11}) +
                             std::string(8, 'd') + Bytes({0x12, 1, 0, 0, 0, 'w', 0, 0x13}) + std::string(8, 'q') +
                             Bytes({0x14, 1, 0, 0, 0, 'u', 0x15, 1, 0, 0, 0, 'u', 0, 0x16}) + std::string(8, 'q') +
                             Bytes({0x1, 0x2, 5, 0x0, 0x17});
  auto s = StreamOf(values);
  TReader reader(*s);
  for (int i = 0; i < 23; ++i) ASSERT_NO_THROW(reader.SkipValue()) << i;
  try {
    reader.SkipValue();
    FAIL();
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), L"Invalid stream format: unknown value type 23");
  }
}

TEST_F(FilerMalformed, BinaryFramesBoundTheirReader) {
  auto s = StreamOf(Bytes({0x0A, 5, 0, 0, 0}) + "abcde" + Bytes({2, 7, 0x0A, 2, 0, 0, 0}) + "xy" + Bytes({2, 9}));
  TReader reader(*s);
  reader.ReadBinary([](TStream& Frame) {
    EXPECT_EQ(Frame.Size(), 5);
    EXPECT_EQ(dynamic_cast<TMemoryStream*>(&Frame), nullptr);  // not a copy
    char two[2];
    Frame.ReadBuffer(two, 2);
    EXPECT_EQ(std::string(two, 2), "ab");
  });
  EXPECT_EQ(reader.ReadInteger(), 7);  // the rest of the frame was skipped
  EXPECT_THROW(reader.ReadBinary([](TStream& Frame) {
    char three[3];
    Frame.ReadBuffer(three, 3);
  }),
               EReadError);
}

}  // namespace
