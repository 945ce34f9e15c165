#include "vt_d7/flash_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "framework/Filer.h"

namespace {

using vt::FlashList;
using vt::TvtFlashList;
using vt::TvtFlashStream;
using Bytes = std::vector<uint8_t>;

Bytes Contents(vcl::TMemoryStream& Stream) {
  const auto* p = static_cast<const uint8_t*>(Stream.Memory());
  return Bytes(p, p + Stream.Size());
}

std::unique_ptr<vcl::TMemoryStream> StreamOf(const Bytes& Data) {
  auto s = std::make_unique<vcl::TMemoryStream>();
  if (!Data.empty()) s->WriteBuffer(Data.data(), static_cast<int64_t>(Data.size()));
  s->SetPosition(0);
  return s;
}

void SetBytes(TvtFlashStream* Item, const Bytes& Data) {
  Item->FStream->Clear();
  Item->FStream->WriteBuffer(Data.data(), static_cast<int64_t>(Data.size()));
  Item->FStream->SetPosition(0);
}

Bytes Payload(const TvtFlashStream* Item) {
  vcl::TMemoryStream out;
  Item->WriteData(out);
  return Contents(out);
}

void Append32(Bytes& Out, uint32_t V) {
  for (int i = 0; i < 4; ++i) Out.push_back(static_cast<uint8_t>(V >> (8 * i)));
}

std::vector<std::wstring> Names() {
  std::vector<std::wstring> out;
  if (FlashList())
    for (int i = 0; i < FlashList()->Count(); ++i) out.push_back(FlashList()->Strings(i));
  return out;
}

// Every test starts and must end without any stored movie in the process.
class FlashStore : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(FlashList(), nullptr); }
  void TearDown() override { EXPECT_EQ(FlashList(), nullptr); }
};

const Bytes kIntroPayload = [] {
  Bytes b{4, 9, 0, 0, 0};
  for (char c : std::string("intro.swf")) {
    b.push_back(static_cast<uint8_t>(c));
    b.push_back(0);
  }
  Append32(b, 3);
  b.insert(b.end(), {0x46, 0x57, 0x53});
  return b;
}();

// ---- payload ----

TEST_F(FlashStore, PayloadOfNamedMovieIsByteExactAndReadsBack) {
  TvtFlashList list(nullptr);
  TvtFlashStream* item = list.Flashs()->Add();
  SetBytes(item, {0x46, 0x57, 0x53});
  item->SetFlashStore(L"intro.swf");
  EXPECT_EQ(Payload(item), kIntroPayload);

  TvtFlashStream* copy = list.Flashs()->Add();
  copy->FStream->WriteBuffer("old bytes", 9);  // replaced, position back at 0
  auto in = StreamOf(kIntroPayload);
  copy->ReadData(*in);
  EXPECT_EQ(copy->FStoreName, L"intro.swf");
  EXPECT_EQ(Contents(*copy->FStream), (Bytes{0x46, 0x57, 0x53}));
  EXPECT_EQ(copy->FStream->Position(), 0);
  EXPECT_EQ(in->Position(), in->Size());
  // The registry follows the name the payload carried.
  EXPECT_EQ(Names(), (std::vector<std::wstring>{L"intro.swf", L"intro.swf"}));
}

TEST_F(FlashStore, EmptyItemIsOneZeroByteAndReadsBackEmpty) {
  TvtFlashList list(nullptr);
  TvtFlashStream* item = list.Flashs()->Add();
  item->SetFlashStore(L"named but empty.swf");
  EXPECT_EQ(Payload(item), Bytes{0});

  TvtFlashStream* fresh = list.Flashs()->Add();
  auto in = StreamOf({0});
  fresh->ReadData(*in);
  EXPECT_EQ(fresh->FStream->Size(), 0);
  EXPECT_EQ(fresh->GetFlashStore(), L"(empty)");
  EXPECT_EQ(fresh->GetDisplayName(), L"(empty)");
}

TEST_F(FlashStore, EightBitNameIsReadAndWrittenBackWide) {
  Bytes tag2{2};
  Append32(tag2, 9);
  for (char c : std::string("intro.swf")) tag2.push_back(static_cast<uint8_t>(c));
  Append32(tag2, 3);
  tag2.insert(tag2.end(), {0x46, 0x57, 0x53});

  TvtFlashList list(nullptr);
  TvtFlashStream* item = list.Flashs()->Add();
  item->ReadData(*StreamOf(tag2));
  EXPECT_EQ(item->GetFlashStore(), L"intro.swf");
  EXPECT_EQ(Payload(item), kIntroPayload);
}

TEST_F(FlashStore, NamesOutsideAsciiRoundTripAsUtf16) {
  TvtFlashList list(nullptr);
  TvtFlashStream* item = list.Flashs()->Add();
  SetBytes(item, {1});
  // A CJK name and a character outside the basic plane (a surrogate pair).
  const std::wstring name = std::wstring(L"\u65E5\u672C") + vcl::Utf8ToWide("\xF0\x9F\x98\x80") + L".swf";
  item->SetFlashStore(name);
  const Bytes payload = Payload(item);
  Bytes expected{4};
  Append32(expected, 8);
  expected.insert(expected.end(),
                  {0xE5, 0x65, 0x2C, 0x67, 0x3D, 0xD8, 0x00, 0xDE, '.', 0, 's', 0, 'w', 0, 'f', 0});
  Append32(expected, 1);
  expected.push_back(1);
  EXPECT_EQ(payload, expected);

  TvtFlashStream* copy = list.Flashs()->Add();
  copy->ReadData(*StreamOf(payload));
  EXPECT_EQ(copy->FStoreName, name);
}

TEST_F(FlashStore, UnknownTagReadsNothingMoreAndKeepsTheItem) {
  TvtFlashList list(nullptr);
  TvtFlashStream* item = list.Flashs()->Add();
  SetBytes(item, {7, 7});
  item->SetFlashStore(L"kept.swf");
  for (uint8_t tag : {1, 3, 5, 255}) {
    Bytes b = kIntroPayload;
    b[0] = tag;
    auto in = StreamOf(b);
    item->ReadData(*in);
    EXPECT_EQ(in->Position(), 1);
    EXPECT_EQ(item->FStoreName, L"kept.swf");
    EXPECT_EQ(Contents(*item->FStream), (Bytes{7, 7}));
  }
}

TEST_F(FlashStore, TruncatedPayloadFailsAtEveryOffsetAndKeepsTheItem) {
  TvtFlashList list(nullptr);
  TvtFlashStream* item = list.Flashs()->Add();
  SetBytes(item, {7, 7});
  item->SetFlashStore(L"kept.swf");
  for (size_t cut = 0; cut < kIntroPayload.size(); ++cut) {
    auto in = StreamOf(Bytes(kIntroPayload.begin(), kIntroPayload.begin() + static_cast<ptrdiff_t>(cut)));
    EXPECT_THROW(item->ReadData(*in), vcl::EReadError) << "cut at " << cut;
    EXPECT_EQ(item->FStoreName, L"kept.swf");
    EXPECT_EQ(Contents(*item->FStream), (Bytes{7, 7}));
  }
  EXPECT_EQ(Names(), std::vector<std::wstring>{L"kept.swf"});
}

TEST_F(FlashStore, HugeOrNegativeLengthsFailBeforeAllocating) {
  TvtFlashList list(nullptr);
  TvtFlashStream* item = list.Flashs()->Add();
  auto expectRefused = [&](const Bytes& b, const char* what) {
    try {
      item->ReadData(*StreamOf(b));
      ADD_FAILURE() << what << ": accepted";
    } catch (const vcl::EReadError& e) {
      EXPECT_NE(e.Message().find(L"FlashStream"), std::wstring::npos) << what;
    }
    EXPECT_EQ(item->FStream->Size(), 0) << what;
    EXPECT_EQ(item->FStoreName, L"(empty)") << what;
  };
  for (uint8_t tag : {2, 4}) {
    Bytes b{tag};
    Append32(b, 0x7FFFFFFF);
    b.resize(64);
    expectRefused(b, "huge name");
    b.resize(1);
    Append32(b, 0xFFFFFFFF);
    b.resize(64);
    expectRefused(b, "negative name");
    // A name that leaves no room for the size field.
    b.resize(1);
    Append32(b, tag == 4 ? 2 : 4);
    b.resize(9, 'a');
    expectRefused(b, "no size field");
  }
  Bytes b{4};
  Append32(b, 0);
  Append32(b, 0x7FFFFFFF);
  b.resize(64);
  expectRefused(b, "huge data");
  b.resize(5);
  Append32(b, 0x80000000);
  expectRefused(b, "negative data");
}

// A stream whose size promises more than it delivers.
class LyingStream : public vcl::TStream {
 public:
  explicit LyingStream(const Bytes& Data) : data_(StreamOf(Data)) {}
  int64_t Read(void* Buffer, int64_t Count) override { return data_->Read(Buffer, Count); }
  int64_t Write(const void* Buffer, int64_t Count) override { return data_->Write(Buffer, Count); }
  int64_t Seek(int64_t Offset, vcl::TSeekOrigin Origin) override { return data_->Seek(Offset, Origin); }
  int64_t Size() override { return data_->Size() + 100; }

 private:
  std::unique_ptr<vcl::TMemoryStream> data_;
};

TEST_F(FlashStore, SourceShorterThanItsSizeLeavesTheItemEmpty) {
  TvtFlashList list(nullptr);
  TvtFlashStream* item = list.Flashs()->Add();
  SetBytes(item, {7, 7});
  Bytes b{4};
  Append32(b, 0);
  Append32(b, 50);
  b.resize(20);
  LyingStream in(b);
  EXPECT_THROW(item->ReadData(in), vcl::EReadError);
  EXPECT_EQ(item->FStream->Size(), 0);
  EXPECT_EQ(item->GetFlashStore(), L"(empty)");
}

TEST_F(FlashStore, MovieAboveTheSizeFieldIsRefusedByName) {
  EXPECT_NO_THROW(vt::CheckStoredMovieSize(0x7FFFFFFF, L"big.swf"));
  try {
    vt::CheckStoredMovieSize(int64_t{1} << 31, L"big.swf");
    ADD_FAILURE() << "accepted";
  } catch (const vcl::EWriteError& e) {
    EXPECT_NE(e.Message().find(L"big.swf"), std::wstring::npos);
  }
}

// ---- registry ----

TEST_F(FlashStore, RegistryFollowsCreationRenameAndDestruction) {
  {
    TvtFlashList list(nullptr);
    TvtFlashStream* a = list.Flashs()->Add();
    ASSERT_NE(FlashList(), nullptr);
    EXPECT_FALSE(FlashList()->CaseSensitive());
    EXPECT_FALSE(FlashList()->Sorted());
    TvtFlashStream* b = list.Flashs()->Add();
    TvtFlashStream* c = list.Flashs()->Add();
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"(empty)", L"(empty)", L"(empty)"}));
    c->SetFlashStore(L"c.swf");
    a->SetFlashStore(L"a.swf");
    b->SetFlashStore(L"b.swf");  // still empty: the registry carries the name anyway
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"a.swf", L"b.swf", L"c.swf"}));
    EXPECT_EQ(FlashList()->Objects(2), c);
    EXPECT_EQ(b->GetFlashStore(), L"(empty)");

    // Moving an item in its collection leaves the registry in creation order.
    c->SetIndex(0);
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"a.swf", L"b.swf", L"c.swf"}));
    EXPECT_EQ(FlashList()->IndexOf(L"C.SWF"), 2);

    list.Flashs()->Delete(b->Index());
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"a.swf", L"c.swf"}));
    EXPECT_EQ(FlashList()->IndexOfObject(b), -1);
  }
  EXPECT_EQ(FlashList(), nullptr);
}

TEST_F(FlashStore, RenameToTheSameNameLeavesTheEntryAlone) {
  TvtFlashList list(nullptr);
  TvtFlashStream* item = list.Flashs()->Add();
  item->SetFlashStore(L"intro.swf");
  FlashList()->SetStrings(0, L"marker");
  item->SetFlashStore(L"intro.swf");
  EXPECT_EQ(Names(), std::vector<std::wstring>{L"marker"});
  // Another case is another name.
  item->SetFlashStore(L"INTRO.swf");
  EXPECT_EQ(Names(), std::vector<std::wstring>{L"INTRO.swf"});
}

TEST_F(FlashStore, NamesOutsideTheCodePageStayDistinct) {
  TvtFlashList list(nullptr);
  TvtFlashStream* japan = list.Flashs()->Add();
  TvtFlashStream* china = list.Flashs()->Add();
  japan->SetFlashStore(L"\u65E5\u672C.swf");
  china->SetFlashStore(L"\u4E2D\u56FD.swf");
  EXPECT_EQ(FlashList()->Objects(FlashList()->IndexOf(L"\u65E5\u672C.swf")), japan);
  EXPECT_EQ(FlashList()->Objects(FlashList()->IndexOf(L"\u4E2D\u56FD.swf")), china);
}

TEST_F(FlashStore, DuplicateNamesFirstCreatedInRegistryFirstInCollectionForFindFlash) {
  TvtFlashList list(nullptr);
  TvtFlashStream* first = list.Flashs()->Add();
  TvtFlashStream* second = list.Flashs()->Add();
  SetBytes(first, {1});
  SetBytes(second, {2});
  first->SetFlashStore(L"same.swf");
  second->SetFlashStore(L"SAME.swf");
  second->SetIndex(0);
  EXPECT_EQ(FlashList()->Objects(FlashList()->IndexOf(L"same.swf")), first);
  EXPECT_EQ(list.FindFlash(L"Same.SWF"), second);
}

TEST_F(FlashStore, FindFlashSearchesOnlyItsOwnList) {
  TvtFlashList one(nullptr);
  TvtFlashList two(nullptr);
  TvtFlashStream* filled = one.Flashs()->Add();
  SetBytes(filled, {1});
  filled->SetFlashStore(L"intro.swf");
  TvtFlashStream* named = one.Flashs()->Add();  // no bytes: found as "(empty)"
  named->SetFlashStore(L"named.swf");
  TvtFlashStream* other = two.Flashs()->Add();
  SetBytes(other, {2});
  other->SetFlashStore(L"other.swf");

  EXPECT_EQ(one.FindFlash(L"INTRO.SWF"), filled);
  EXPECT_EQ(one.FindFlash(L"(empty)"), named);
  EXPECT_EQ(one.FindFlash(L"named.swf"), nullptr);
  EXPECT_EQ(one.FindFlash(L"intro"), nullptr);
  EXPECT_EQ(one.FindFlash(L"other.swf"), nullptr);
  EXPECT_EQ(two.FindFlash(L"other.swf"), other);
  EXPECT_EQ(Names(), (std::vector<std::wstring>{L"intro.swf", L"named.swf", L"other.swf"}));
}

TEST_F(FlashStore, RegistryLivesUntilTheLastItemAnywhere) {
  auto one = std::make_unique<TvtFlashList>(nullptr);
  vcl::TComponent form(nullptr);
  auto* two = new TvtFlashList(&form);
  one->Flashs()->Add()->SetFlashStore(L"one.swf");
  two->Flashs()->Add()->SetFlashStore(L"two.swf");
  one.reset();
  EXPECT_EQ(Names(), std::vector<std::wstring>{L"two.swf"});
  two->Flashs()->Clear();
  EXPECT_EQ(FlashList(), nullptr);
  two->Flashs()->Add();
  EXPECT_EQ(Names(), std::vector<std::wstring>{L"(empty)"});
  delete two;
  EXPECT_EQ(FlashList(), nullptr);
}

// ---- assignment ----

TEST_F(FlashStore, AssignCopiesNameAndBytesAndRenamesTheEntry) {
  TvtFlashList list(nullptr);
  TvtFlashStream* source = list.Flashs()->Add();
  TvtFlashStream* target = list.Flashs()->Add();
  SetBytes(source, {1, 2, 3});
  source->FStream->SetPosition(2);
  source->SetFlashStore(L"intro.swf");
  SetBytes(target, {9, 9, 9, 9, 9});
  target->SetFlashStore(L"old.swf");

  list.Flashs()->SetItem(1, source);
  EXPECT_EQ(target->FStoreName, L"intro.swf");
  EXPECT_EQ(Contents(*target->FStream), (Bytes{1, 2, 3}));
  EXPECT_EQ(target->FStream->Position(), 0);
  EXPECT_EQ(source->FStream->Position(), 2);
  EXPECT_EQ(Names(), (std::vector<std::wstring>{L"intro.swf", L"intro.swf"}));

  // An empty source empties the target.
  TvtFlashStream* empty = list.Flashs()->Add();
  target->Assign(empty);
  EXPECT_EQ(target->FStream->Size(), 0);
  EXPECT_EQ(target->GetFlashStore(), L"(empty)");
}

TEST_F(FlashStore, AssignFromAnotherClassRaisesTheAssignmentError) {
  TvtFlashList list(nullptr);
  TvtFlashStream* item = list.Flashs()->Add();
  vcl::TStringList foreign;
  try {
    item->Assign(&foreign);
    ADD_FAILURE() << "accepted";
  } catch (const vcl::EConvertError& e) {
    EXPECT_EQ(e.Message(), L"Cannot assign a TStringList to a TvtFlashStream");
  }
  EXPECT_THROW(item->Assign(nullptr), vcl::EConvertError);
}

TEST_F(FlashStore, AssignedCollectionCarriesItsMovies) {
  TvtFlashList from(nullptr);
  TvtFlashList to(nullptr);
  for (const wchar_t* name : {L"a.swf", L"b.swf"}) {
    TvtFlashStream* item = from.Flashs()->Add();
    SetBytes(item, {static_cast<uint8_t>(name[0])});
    item->SetFlashStore(name);
  }
  to.Flashs()->Add()->SetFlashStore(L"dropped.swf");
  to.SetFlashs(from.Flashs());
  ASSERT_EQ(to.Flashs()->Count(), 2);
  EXPECT_EQ(to.Flashs()->Items(1)->GetFlashStore(), L"b.swf");
  EXPECT_EQ(Contents(*to.Flashs()->Items(1)->FStream), Bytes{'b'});
  EXPECT_EQ(Names(), (std::vector<std::wstring>{L"a.swf", L"b.swf", L"a.swf", L"b.swf"}));
  EXPECT_EQ(to.Flashs()->GetOwner(), &to);
}

// ---- form-stream machinery ----

// Records the properties an instance defines.
class RecordingFiler : public vcl::TFiler {
 public:
  explicit RecordingFiler(vcl::TStream& Stream) : vcl::TFiler(Stream) {}
  void DefineProperty(const std::wstring& Name, TReaderProc, TWriterProc, bool) override {
    ADD_FAILURE() << "unexpected property " << vcl::WideToUtf8(Name);
  }
  void DefineBinaryProperty(const std::wstring& Name, TStreamProc Read, TStreamProc Write,
                            bool HasData) override {
    names.push_back(Name);
    read = std::move(Read);
    write = std::move(Write);
    hasData = HasData;
  }
  std::vector<std::wstring> names;
  TStreamProc read, write;
  bool hasData = false;
};

TEST_F(FlashStore, ItemPublishesFlashStoreAndDefinesFlashStream) {
  TvtFlashList list(nullptr);
  TvtFlashStream* item = list.Flashs()->Add();
  vcl::TPropList props;
  item->GetPublishedProperties(props);
  const vcl::TPropInfo* store = props.Find(L"FlashStore");
  ASSERT_NE(store, nullptr);
  EXPECT_EQ(store->Kind, vcl::TPropKind::pkWString);
  EXPECT_FALSE(store->Stored);
  store->SetWString(*item, L"via property.swf");
  EXPECT_EQ(Names(), std::vector<std::wstring>{L"via property.swf"});

  vcl::TMemoryStream unused;
  RecordingFiler filer(unused);
  item->DefineProperties(filer);
  ASSERT_EQ(filer.names, std::vector<std::wstring>{L"FlashStream"});
  EXPECT_TRUE(filer.hasData);  // written even for an empty item
  vcl::TMemoryStream out;
  filer.write(out);
  EXPECT_EQ(Contents(out), Bytes{0});
  auto in = StreamOf(kIntroPayload);
  filer.read(*in);
  EXPECT_EQ(item->GetFlashStore(), L"intro.swf");

  vcl::TPropList listProps;
  list.GetPublishedProperties(listProps);
  const vcl::TPropInfo* flashs = listProps.Find(L"Flashs");
  ASSERT_NE(flashs, nullptr);
  EXPECT_EQ(flashs->Kind, vcl::TPropKind::pkObject);
  EXPECT_EQ(flashs->GetObject(list), list.Flashs());
}

// ---- forms ----

// A form with two movie lists, written and read back into a fresh root.
TEST_F(FlashStore, FormRoundTripKeepsNamesBytesAndRegistryOrder) {
  vt::RegisterFlashStoreClasses();
  vcl::TMemoryStream form;
  {
    vcl::TComponent root(nullptr);
    root.SetName(L"Form1");
    auto* movies = new TvtFlashList(&root);
    movies->SetName(L"Movies");
    auto* more = new TvtFlashList(&root);
    more->SetName(L"More");
    TvtFlashStream* intro = movies->Flashs()->Add();
    SetBytes(intro, {'F', 'W', 'S', 9});
    intro->SetFlashStore(L"intro.swf");
    movies->Flashs()->Add()->SetFlashStore(L"never filled.swf");  // stored as "(empty)"
    TvtFlashStream* song = more->Flashs()->Add();
    SetBytes(song, Bytes(70000, 0x5A));
    song->SetFlashStore(L"\u65E5\u672C.mp3");
    vcl::WriteComponentToStream(form, &root);
  }
  ASSERT_EQ(FlashList(), nullptr);

  form.SetPosition(0);
  vcl::TComponent root(nullptr);
  vcl::ReadComponentFromStream(form, &root);
  auto* movies = dynamic_cast<TvtFlashList*>(root.FindComponent(L"Movies"));
  auto* more = dynamic_cast<TvtFlashList*>(root.FindComponent(L"More"));
  ASSERT_NE(movies, nullptr);
  ASSERT_NE(more, nullptr);
  ASSERT_EQ(movies->Flashs()->Count(), 2);
  ASSERT_EQ(more->Flashs()->Count(), 1);
  EXPECT_EQ(Contents(*movies->FindFlash(L"intro.swf")->FStream), (Bytes{'F', 'W', 'S', 9}));
  EXPECT_EQ(movies->Flashs()->Items(1)->GetFlashStore(), L"(empty)");
  EXPECT_EQ(Contents(*more->Flashs()->Items(0)->FStream), Bytes(70000, 0x5A));
  EXPECT_EQ(more->Flashs()->Items(0)->FStream->Position(), 0);
  EXPECT_EQ(Names(), (std::vector<std::wstring>{L"intro.swf", L"(empty)", L"\u65E5\u672C.mp3"}));
  EXPECT_EQ(FlashList()->Objects(2), more->Flashs()->Items(0));
}

TEST_F(FlashStore, FormWithCutPayloadFailsToLoadAndLeavesNoMovie) {
  vt::RegisterFlashStoreClasses();
  vcl::TMemoryStream form;
  {
    vcl::TComponent root(nullptr);
    auto* movies = new TvtFlashList(&root);
    movies->SetName(L"Movies");
    TvtFlashStream* intro = movies->Flashs()->Add();
    SetBytes(intro, {1, 2, 3});
    intro->SetFlashStore(L"intro.swf");
    vcl::WriteComponentToStream(form, &root);
  }
  // Claim one byte more data than the binary property carries.
  Bytes bytes = Contents(form);
  const Bytes size{3, 0, 0, 0, 1, 2, 3};
  auto at = std::search(bytes.begin(), bytes.end(), size.begin(), size.end());
  ASSERT_NE(at, bytes.end());
  *at = 4;
  auto in = StreamOf(bytes);
  {
    vcl::TComponent root(nullptr);
    EXPECT_THROW(vcl::ReadComponentFromStream(*in, &root), vcl::EReadError);
  }
}

}  // namespace
