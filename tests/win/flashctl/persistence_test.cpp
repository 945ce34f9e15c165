// Saving and loading the properties (a malformed record changes nothing),
// and the names a property browser shows for the enumerations.
#include <gtest/gtest.h>

#include <shlwapi.h>

#include "tests/win/flashctl/test_container.h"

namespace flashctl_test {
namespace {

TComPtr<IStream> StreamOf(const std::vector<uint8_t>& Bytes) {
  return TComPtr<IStream>::Adopt(SHCreateMemStream(Bytes.data(), static_cast<UINT>(Bytes.size())));
}

std::vector<uint8_t> Saved(IUnknown* Control) {
  auto persist = As<IPersistStreamInit>(Control, IID_IPersistStreamInit);
  auto stream = TComPtr<IStream>::Adopt(SHCreateMemStream(nullptr, 0));
  EXPECT_EQ(persist->Save(stream.Get(), TRUE), S_OK);
  STATSTG stat{};
  stream->Stat(&stat, STATFLAG_NONAME);
  std::vector<uint8_t> bytes(static_cast<size_t>(stat.cbSize.QuadPart));
  LARGE_INTEGER zero{};
  stream->Seek(zero, STREAM_SEEK_SET, nullptr);
  ULONG got = 0;
  stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &got);
  return bytes;
}

TEST(FlashctlPersist, PropertiesRoundTrip) {
  auto first = NewControl();
  auto persist = As<IPersistStreamInit>(first.Get(), IID_IPersistStreamInit);
  EXPECT_EQ(persist->InitNew(), S_OK);
  EXPECT_EQ(persist->IsDirty(), S_FALSE);
  first->put_WMode(Bstr(L"Transparent").Get());
  first->put_FlashVars(Bstr(L"a=1&b=\u00e9").Get());
  first->put_BGColor(Bstr(L"#102030").Get());
  first->put_Quality(vtQualityBest);
  first->put_Loop(VARIANT_FALSE);
  first->put_Menu(VARIANT_FALSE);
  EXPECT_EQ(persist->IsDirty(), S_OK);
  const std::vector<uint8_t> bytes = Saved(first.Get());
  EXPECT_EQ(persist->IsDirty(), S_FALSE);
  ULARGE_INTEGER max{};
  persist->GetSizeMax(&max);
  EXPECT_GE(max.QuadPart, bytes.size());

  auto second = NewControl();
  ASSERT_EQ(As<IPersistStreamInit>(second.Get(), IID_IPersistStreamInit)->Load(StreamOf(bytes).Get()), S_OK);
  vt::TBstr text;
  second->get_WMode(text.Receive());
  EXPECT_EQ(text.Text(), L"Transparent");
  second->get_FlashVars(text.Receive());
  EXPECT_EQ(text.Text(), L"a=1&b=\u00e9");
  LONG color = 0;
  second->get_BackgroundColor(&color);
  EXPECT_EQ(color, 0x102030);
  vtFlashQuality quality{};
  second->get_Quality(&quality);
  EXPECT_EQ(quality, vtQualityBest);
  VARIANT_BOOL b = VARIANT_TRUE;
  second->get_Loop(&b);
  EXPECT_EQ(b, VARIANT_FALSE);
  second->get_Menu(&b);
  EXPECT_EQ(b, VARIANT_FALSE);
  CLSID clsid{};
  persist->GetClassID(&clsid);
  EXPECT_EQ(clsid, CLSID_vtFlashPlayer);
}

TEST(FlashctlPersist, MalformedRecordsAreRefusedAndChangeNothing) {
  auto source = NewControl();
  source->put_WMode(Bstr(L"Opaque").Get());
  const std::vector<uint8_t> good = Saved(source.Get());
  auto with = [&](std::function<void(std::vector<uint8_t>&)> F) {
    std::vector<uint8_t> b = good;
    F(b);
    return b;
  };
  const struct {
    const char* what;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"empty", {}},
      {"header only in part", std::vector<uint8_t>(good.begin(), good.begin() + 6)},
      {"payload cut short", std::vector<uint8_t>(good.begin(), good.end() - 3)},
      {"wrong magic", with([](auto& b) { b[0] = 'X'; })},
      {"future version", with([](auto& b) { b[4] = 9; })},
      {"payload over the limit", with([](auto& b) { b[9] = 0x7F; })},
      {"wrong type for a tag", with([](auto& b) { b[12] = 0; })},  // the first field (Movie) as an int
      {"string longer than the payload", with([](auto& b) { b[13] = 0xFF; b[14] = 0xFF; })},
      {"unknown type", with([](auto& b) { b[12] = 7; })},
  };
  auto target = NewControl();
  target->put_WMode(Bstr(L"Keep").Get());
  auto persist = As<IPersistStreamInit>(target.Get(), IID_IPersistStreamInit);
  for (const auto& c : cases) {
    EXPECT_TRUE(FAILED(persist->Load(StreamOf(c.bytes).Get()))) << c.what;
    vt::TBstr text;
    target->get_WMode(text.Receive());
    EXPECT_EQ(text.Text(), L"Keep") << c.what;
  }
  EXPECT_EQ(persist->Load(nullptr), E_POINTER);
  // An unknown tag of a known type is skipped: a newer writer's field.
  std::vector<uint8_t> newer = good;
  const uint8_t extra[] = {0x99, 0x00, 0x00, 1, 2, 3, 4};
  newer.insert(newer.end(), std::begin(extra), std::end(extra));
  const uint32_t size = static_cast<uint32_t>(newer.size() - 10);
  for (int i = 0; i < 4; ++i) newer[6 + i] = static_cast<uint8_t>(size >> (8 * i));
  EXPECT_EQ(persist->Load(StreamOf(newer).Get()), S_OK);
  vt::TBstr text;
  target->get_WMode(text.Receive());
  EXPECT_EQ(text.Text(), L"Opaque");
}

TEST(FlashctlPersist, PropertyBrowsingNamesTheEnumerations) {
  auto control = NewControl();
  auto browsing = As<IPerPropertyBrowsing>(control.Get(), IID_IPerPropertyBrowsing);
  const struct {
    DISPID id;
    std::vector<std::wstring> names;
  } cases[] = {
      {0x69, {L"Low", L"High", L"AutoLow", L"AutoHigh", L"Medium", L"Best"}},
      {0x78, {L"ShowAll", L"NoBorder", L"ExactFit"}},
  };
  for (const auto& c : cases) {
    CALPOLESTR strings{};
    CADWORD cookies{};
    ASSERT_EQ(browsing->GetPredefinedStrings(c.id, &strings, &cookies), S_OK);
    ASSERT_EQ(strings.cElems, c.names.size());
    ASSERT_EQ(cookies.cElems, c.names.size());
    for (ULONG i = 0; i < strings.cElems; ++i) {
      EXPECT_EQ(std::wstring(strings.pElems[i]), c.names[i]);
      vt::TVariant value;
      ASSERT_EQ(browsing->GetPredefinedValue(c.id, cookies.pElems[i], &value), S_OK);
      EXPECT_EQ(value.Get().vt, VT_I4);
      CoTaskMemFree(strings.pElems[i]);
    }
    CoTaskMemFree(strings.pElems);
    CoTaskMemFree(cookies.pElems);
    vt::TVariant none;
    EXPECT_EQ(browsing->GetPredefinedValue(c.id, 77, &none), E_INVALIDARG);
  }
  control->put_Quality(vtQualityMedium);
  vt::TBstr shown;
  EXPECT_EQ(browsing->GetDisplayString(0x69, shown.Receive()), S_OK);
  EXPECT_EQ(shown.Text(), L"Medium");
  CALPOLESTR strings{};
  CADWORD cookies{};
  EXPECT_EQ(browsing->GetPredefinedStrings(0x66, &strings, &cookies), E_NOTIMPL);
  EXPECT_EQ(strings.pElems, nullptr);
  CLSID page{};
  EXPECT_EQ(browsing->MapPropertyToPage(0x69, &page), PERPROP_E_NOPAGEAVAILABLE);
}

}  // namespace
}  // namespace flashctl_test
