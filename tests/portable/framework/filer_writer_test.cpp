// The bytes the form writer produces for each kind of value and for trees.

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "filer_test_classes.h"

using namespace vcl;
using namespace filer_test;

namespace {

std::string Content(TMemoryStream& S) {
  return std::string(static_cast<const char*>(S.Memory()), static_cast<size_t>(S.Size()));
}
// A length-prefixed short string.
std::string Str(const std::string& S) { return std::string(1, static_cast<char>(S.size())) + S; }
std::string Bytes(std::initializer_list<int> Values) {
  std::string s;
  for (int v : Values) s.push_back(static_cast<char>(v));
  return s;
}

// The property list of W as the writer stores it (the end marker included).
std::string Props(TPersistent& W) {
  TMemoryStream s;
  TWriter(s).WriteProperties(&W);
  return Content(s);
}

TEST(FilerWriter, WholeFormOfDefaultsIsHeaderAndEndMarkers) {
  TTestWidget form(nullptr);
  form.SetName(L"Form1");
  TMemoryStream s;
  WriteComponentToStream(s, &form);
  EXPECT_EQ(Content(s), "TPF0" + Str("TTestWidget") + Str("Form1") + Bytes({0, 0}));
}

TEST(FilerWriter, IntegersTakeTheSmallestTag) {
  TTestWidget w(nullptr);
  struct Case {
    int64_t value;
    std::string bytes;
  } cases[] = {{1, Bytes({2, 1})},
               {127, Bytes({2, 0x7F})},
               {-128, Bytes({2, 0x80})},
               {128, Bytes({3, 0x80, 0})},
               {-129, Bytes({3, 0x7F, 0xFF})},
               {32767, Bytes({3, 0xFF, 0x7F})},
               {32768, Bytes({4, 0, 0x80, 0, 0})},
               {-32769, Bytes({4, 0xFF, 0x7F, 0xFF, 0xFF})},
               {std::numeric_limits<int32_t>::min(), Bytes({4, 0, 0, 0, 0x80})}};
  for (const Case& c : cases) {
    w.Width = static_cast<int32_t>(c.value);
    EXPECT_EQ(Props(w), Str("Width") + c.bytes + Bytes({0})) << c.value;
  }
  w.Width = 0;
  w.Big = int64_t{1} << 31;
  EXPECT_EQ(Props(w), Str("Big") + Bytes({0x13, 0, 0, 0, 0x80, 0, 0, 0, 0, 0}));
  w.Big = -5;
  EXPECT_EQ(Props(w), Str("Big") + Bytes({2, 0xFB, 0}));
}

TEST(FilerWriter, OrdinalKindsAndDefaults) {
  TTestWidget w(nullptr);
  w.Visible = false;
  w.Align = TAlign::alClient;
  w.Style = {TFontStyle::fsBold, TFontStyle::fsUnderline};
  w.Secret = true;  // Stored false: never written
  EXPECT_EQ(Props(w), Str("Visible") + Bytes({8}) + Str("Align") + Bytes({7}) + Str("alClient") + Str("Style") +
                          Bytes({0x0B}) + Str("fsBold") + Str("fsUnderline") + Bytes({0, 0}));
  TTestWidget v(nullptr);
  v.Color = 255;
  EXPECT_EQ(Props(v), Str("Color") + Bytes({7}) + Str("clRed") + Bytes({0}));
  v.Color = 12345;
  EXPECT_EQ(Props(v), Str("Color") + Bytes({3, 0x39, 0x30, 0}));
  v.Color = 0;  // the default, although it has an identifier
  EXPECT_EQ(Props(v), Bytes({0}));
}

TEST(FilerWriter, Strings) {
  TTestWidget w(nullptr);
  w.Hint = "abc";
  EXPECT_EQ(Props(w), Str("Hint") + Bytes({6, 3}) + "abc" + Bytes({0}));
  w.Hint = std::string(255, 'x');
  EXPECT_EQ(Props(w), Str("Hint") + Bytes({6, 255}) + w.Hint + Bytes({0}));
  w.Hint = std::string(256, 'y');
  EXPECT_EQ(Props(w), Str("Hint") + Bytes({0x0C, 0, 1, 0, 0}) + w.Hint + Bytes({0}));
  w.Hint.clear();
  w.Caption = L"A\u00E9\u20AC";
  EXPECT_EQ(Props(w), Str("Caption") + Bytes({0x12, 3, 0, 0, 0, 'A', 0, 0xE9, 0, 0xAC, 0x20}) + Bytes({0}));
  // Beyond the BMP: a surrogate pair on every platform.
  w.Caption = std::wstring(1, static_cast<wchar_t>(0x1F600));
  if (sizeof(wchar_t) == 2) w.Caption = L"\xD83D\xDE00";
  EXPECT_EQ(Props(w), Str("Caption") + Bytes({0x12, 2, 0, 0, 0, 0x3D, 0xD8, 0x00, 0xDE}) + Bytes({0}));
}

TEST(FilerWriter, ObjectsCollectionsBinaryAndDesignPosition) {
  TTestWidget w(nullptr);
  w.Font.Size = 10;
  w.Font.Name = L"X";
  EXPECT_EQ(Props(w), Str("Font.Size") + Bytes({2, 10}) + Str("Font.Name") + Bytes({0x12, 1, 0, 0, 0, 'X', 0, 0}));

  TTestWidget c(nullptr);
  static_cast<TTestItem*>(c.Items.Add())->Value = 1;
  static_cast<TTestItem*>(c.Items.Add())->Caption = L"b";
  EXPECT_EQ(Props(c), Str("Items") + Bytes({0x0E, 1}) + Str("Value") + Bytes({2, 1, 0, 1}) + Str("Caption") +
                          Bytes({0x12, 1, 0, 0, 0, 'b', 0, 0, 0, 0}));

  TTestWidget b(nullptr);
  b.Data = {1, 2, 3};
  b.SetDesignInfo(0x00200010);
  EXPECT_EQ(Props(b), Str("Left") + Bytes({2, 0x10}) + Str("Top") + Bytes({2, 0x20}) + Str("Data") +
                          Bytes({0x0A, 3, 0, 0, 0, 1, 2, 3, 0}));
  b.SetDesignInfo(static_cast<int32_t>(0xFFFF0000u));  // left 0 not written; top unsigned
  b.Data.clear();
  EXPECT_EQ(Props(b), Str("Top") + Bytes({4, 0xFF, 0xFF, 0, 0, 0}));
}

TEST(FilerWriter, EventsAndReferencesByName) {
  TTestWidget form(nullptr);
  form.SetName(L"Form1");
  form.PublishMethod(L"Button1Click", TNotifyEvent([](TObject*) {}));
  TTestWidget other(nullptr);
  other.SetName(L"Form2");
  auto* edit = new TTestWidget(&other);
  edit->SetName(L"Edit1");
  auto* label = new TTestWidget(&form);
  label->SetName(L"Label1");
  auto* button = new TTestWidget(&form);
  button->SetName(L"Button1");

  BindMethod(button->OnClick, &form, L"Button1Click");
  button->Buddy = label;
  TMemoryStream s;
  TWriter writer(s);
  writer.WriteRootComponent(&form);
  const std::string text = Content(s);
  EXPECT_NE(text.find(Str("Buddy") + Bytes({7}) + Str("Label1")), std::string::npos);
  EXPECT_NE(text.find(Str("OnClick") + Bytes({7}) + Str("Button1Click")), std::string::npos);

  button->OnClick = [](TObject*) {};  // no name: not written
  button->Buddy = edit;
  label->Buddy = &form;
  s.Clear();
  writer.WriteRootComponent(&form);
  EXPECT_EQ(Content(s).find(Str("OnClick")), std::string::npos);
  EXPECT_NE(Content(s).find(Str("Buddy") + Bytes({7}) + Str("Form2.Edit1")), std::string::npos);
  EXPECT_NE(Content(s).find(Str("Buddy") + Bytes({7}) + Str("Owner")), std::string::npos);
}

TEST(FilerWriter, ChildrenFollowTheirParents) {
  TTestWidget form(nullptr);
  form.SetName(L"Form1");
  auto* panel = new TTestPanel(&form);
  panel->SetName(L"Panel1");
  auto* button = new TTestWidget(&form);
  button->SetName(L"Button1");
  button->SetParent(panel);
  auto* timer = new TComponent(&form);
  timer->SetName(L"Timer1");
  TMemoryStream s;
  WriteComponentToStream(s, &form);
  EXPECT_EQ(Content(s), "TPF0" + Str("TTestWidget") + Str("Form1") + Bytes({0}) +     //
                            Str("TTestPanel") + Str("Panel1") + Bytes({0}) +           //
                            Str("TTestWidget") + Str("Button1") + Bytes({0, 0}) +      //
                            Bytes({0}) +                                               // Panel1's children
                            Str("TComponent") + Str("Timer1") + Bytes({0, 0}) +        //
                            Bytes({0}));                                               // Form1's children
  EXPECT_FALSE(form.ComponentState().Contains(csWriting));
}

TEST(FilerWriter, PrefixAndFloat) {
  TMemoryStream s;
  TWriter w(s);
  w.WritePrefix(0, 5);
  w.WritePrefix(ffInherited | ffChildPos, 300);
  w.WriteFloat(1.0);
  w.WriteIdent(L"true");
  w.WriteIdent(L"alTop");
  EXPECT_EQ(Content(s), Bytes({0xF3, 3, 0x2C, 1, 5, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F, 9, 7}) + Str("alTop"));
}

// A sink that counts what it is given and can seek, without keeping bytes.
class TCountingStream : public TStream {
 public:
  int64_t Read(void*, int64_t) override { return 0; }
  int64_t Write(const void*, int64_t Count) override {
    position_ += Count;
    size_ = std::max(size_, position_);
    return Count;
  }
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override {
    position_ = (Origin == soBeginning ? 0 : Origin == soCurrent ? position_ : size_) + Offset;
    return position_;
  }

 private:
  int64_t position_ = 0;
  int64_t size_ = 0;
};

// A stream that cannot seek.
class TPipeStream : public TMemoryStream {
 public:
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override {
    if (Offset == 0 && Origin == soEnd) return TMemoryStream::Seek(0, soEnd);
    throw EStreamError(L"Stream cannot seek");
  }
};

TEST(FilerWriter, BinaryFramesStraightOrThroughMemory) {
  auto payload = [](TStream& S) {
    S.WriteBuffer("abcd", 4);
    S.Seek(1, soBeginning);  // the frame starts at its first byte
    S.WriteBuffer("X", 1);
    S.Seek(0, soEnd);
  };
  TMemoryStream s;
  s.WriteBuffer("zz", 2);
  TWriter(s).WriteBinary(payload);
  EXPECT_EQ(Content(s), "zz" + Bytes({0x0A, 4, 0, 0, 0}) + "aXcd");
  EXPECT_EQ(s.Position(), s.Size());

  TPipeStream pipe;
  TWriter(pipe).WriteBinary([](TStream& S) { S.WriteBuffer("hi", 2); });
  EXPECT_EQ(std::string(static_cast<const char*>(pipe.Memory()), 7), Bytes({0x0A, 2, 0, 0, 0}) + "hi");
}

TEST(FilerWriter, BinaryBeyondTwoGigabytesIsAnError) {
  TCountingStream sink;
  const std::string chunk(1 << 20, 'x');
  EXPECT_THROW(TWriter(sink).WriteBinary([&](TStream& S) {
    for (int i = 0; i <= 2048; ++i) S.WriteBuffer(chunk.data(), static_cast<int64_t>(chunk.size()));
  }),
               EWriteError);
}

}  // namespace
