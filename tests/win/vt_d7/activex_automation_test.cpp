// The ActiveX driver's automation against the recording fake control: the
// typed property helpers' VARIANTs, method calls, display strings, the
// movie operations as calls of the dual interface, and the events routed to
// the application with their arguments in declared order.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "activex_fake_control.h"
#include "framework/Forms.h"
#include "framework/SysUtils.h"
#include "vt_d7/Vt_driver_activex.h"

namespace {

using Lines = std::vector<std::string>;

VARIANT Bstr(const wchar_t* Text) {
  VARIANT v;
  v.vt = VT_BSTR;
  v.bstrVal = SysAllocString(Text);
  return v;
}

VARIANT Int(LONG Value) {
  VARIANT v;
  v.vt = VT_I4;
  v.lVal = Value;
  return v;
}

class ActiveXAutomation : public ::testing::Test {
 protected:
  void SetUp() override {
    driver = vt::TvtFlashDriverActiveX::Create(64, 48, 0xFF000000);
    fake.Take();
  }
  vt_test::TFakeControlScope fake;
  std::unique_ptr<vt::TvtFlashDriverActiveX> driver;
};

TEST_F(ActiveXAutomation, TypedSettersWriteTheirVariantTypes) {
  IDispatch* someObject = static_cast<IDispatch*>(fake.EventSink());
  const struct {
    std::function<void(vt::TvtFlashDriverActiveX&)> write;
    const char* logged;
  } rows[] = {
      {[](auto& d) { d.SetIntegerProp(7, -5); }, "Invoke 7 put i4 -5 named -3"},
      {[](auto& d) { d.SetWordProp(7, 0xFFFF); }, "Invoke 7 put i4 65535 named -3"},
      {[](auto& d) { d.SetSingleProp(7, 1.5f); }, "Invoke 7 put r4 1.500000 named -3"},
      {[](auto& d) { d.SetOleBoolProp(7, true); }, "Invoke 7 put bool -1 named -3"},
      {[](auto& d) { d.SetWordBoolProp(7, false); }, "Invoke 7 put bool 0 named -3"},
      {[](auto& d) { d.SetWideStringProp(7, L""); }, "Invoke 7 put bstr nil named -3"},
      {[](auto& d) { d.SetWideStringProp(7, L"Window"); }, "Invoke 7 put bstr 'Window' named -3"},
      {[](auto& d) { d.SetStringProp(7, "abc"); }, "Invoke 7 put bstr 'abc' named -3"},
      {[&](auto& d) { d.SetIDispatchProp(7, someObject); }, "Invoke 7 putref dispatch named -3"},
      {[&](auto& d) { d.SetIUnknownProp(7, someObject); }, "Invoke 7 put unknown named -3"},
      {[](auto& d) {
         VARIANT inner = Int(9), byRef;
         byRef.vt = VT_VARIANT | VT_BYREF;
         byRef.pvarVal = &inner;
         d.SetVariantProp(7, byRef);
       },
       "Invoke 7 put i4 9 named -3"},
  };
  for (const auto& row : rows) {
    row.write(*driver);
    EXPECT_EQ(fake.Take(), Lines{row.logged});
  }
  someObject->Release();
}

TEST_F(ActiveXAutomation, TypedGettersReadTheControlsAnswer) {
  fake.options.properties[1] = Int(0x12345);
  fake.options.properties[2] = Bstr(L"text");
  fake.options.properties[3].vt = VT_BOOL;
  fake.options.properties[3].boolVal = VARIANT_TRUE;
  EXPECT_EQ(driver->GetIntegerProp(1), 0x12345);
  EXPECT_EQ(driver->GetWordProp(1), 0x2345);
  EXPECT_EQ(driver->GetWideStringProp(2), L"text");
  EXPECT_EQ(driver->GetStringProp(2), "text");
  EXPECT_TRUE(driver->GetWordBoolProp(3));
  EXPECT_EQ(driver->GetOleBoolProp(3), VARIANT_TRUE);
  EXPECT_EQ(driver->GetWideStringProp(4), L"") << "nothing answered reads as empty";
  vt::TVariant v;
  driver->GetOleVariantProp(2, v.Get());
  EXPECT_EQ(v.Get().vt, VT_BSTR);
  EXPECT_EQ(fake.Take().front(), "Invoke 1 get");
}

TEST_F(ActiveXAutomation, AFailingPropertyCallRaisesWithTheControlsDescription) {
  fake.options.failAt = "Invoke";
  try {
    driver->GetIntegerProp(1);
    ADD_FAILURE() << "no exception";
  } catch (const vcl::EOleException& e) {
    EXPECT_EQ(e.ErrorCode(), E_ACCESSDENIED);
    EXPECT_EQ(e.Message(), L"the fake refused");
    EXPECT_TRUE(driver->SuppressException(e));
  }
  EXPECT_THROW(driver->SetIntegerProp(1, 1), vcl::EOleException);
  EXPECT_FALSE(driver->SuppressException(std::runtime_error("other")));
}

TEST_F(ActiveXAutomation, InvokeMethodPassesArgumentsInDeclaredOrderAndCoercesTheResult) {
  fake.options.properties[0x70] = Int(42);
  std::vector<VARIANT> args = {Int(1), Bstr(L"two")};
  vt::TVariant result;
  driver->InvokeMethod({0x70, DISPATCH_METHOD, VT_BSTR}, args, &result);
  EXPECT_EQ(fake.Take(), Lines{"Invoke 112 method i4 1 bstr 'two'"});
  ASSERT_EQ(result.Get().vt, VT_BSTR);
  EXPECT_EQ(vt::TBstr::BstrText(result.Get().bstrVal), L"42");
  VariantClear(&args[1]);
}

TEST_F(ActiveXAutomation, DisplayStringsComeFromPropertyBrowsingOrTheValue) {
  fake.options.properties[106] = Bstr(L"plain");
  EXPECT_EQ(driver->GetPropDisplayString(105), "High");
  EXPECT_EQ(driver->GetPropDisplayString(106), "plain");
  std::vector<vt::TPropDisplayString> strings;
  driver->GetPropDisplayStrings(105, strings);
  ASSERT_EQ(strings.size(), 2u);
  EXPECT_EQ(strings[0].Text, "Low");
  EXPECT_EQ(strings[1].Cookie, 11u);
  driver->GetPropDisplayStrings(106, strings);
  EXPECT_TRUE(strings.empty());
  fake.Take();
  // A predefined name in any letter case writes its value; anything else is
  // written as a string.
  driver->SetPropDisplayString(105, "hIGH");
  EXPECT_EQ(fake.Take(), (Lines{"GetPredefinedStrings 105", "GetPredefinedValue 105 11", "Invoke 105 put i4 1 named -3"}));
  driver->SetPropDisplayString(105, "Medium");
  EXPECT_EQ(fake.Take(), (Lines{"GetPredefinedStrings 105", "Invoke 105 put bstr 'Medium' named -3"}));
}

TEST_F(ActiveXAutomation, EnumeratedPropertiesNeedTheControlsTypeInformation) {
  EXPECT_THROW(driver->CreateEnumPropDescs(), vcl::EOleException);
  EXPECT_FALSE(vt::FlashControlData.EnumPropDescs) << "a failed walk leaves no list";
}

TEST_F(ActiveXAutomation, MovieOperationsAreSingleCallsOfTheDualInterface) {
  const struct {
    std::function<void(vt::TvtFlashDriverActiveX&)> call;
    Lines logged;
  } rows[] = {
      {[](auto& d) { d.Play(); }, {"Play"}},
      {[](auto& d) { d.StopPlay(); }, {"StopPlay"}},
      {[](auto& d) { d.Rewind(); }, {"Rewind"}},
      {[](auto& d) { d.Forward(); }, {"Forward"}},
      {[](auto& d) { d.Back(); }, {"Back"}},
      {[](auto& d) { d.SetLoop(false); }, {"put_Loop 0"}},
      {[](auto& d) { EXPECT_FALSE(d.GetLoop()); }, {"get_Loop"}},
      {[](auto& d) { d.SetLoop(true); }, {"put_Loop -1"}},
      {[](auto& d) { EXPECT_TRUE(d.GetIsPlaying()); }, {"IsPlaying"}},
      {[](auto& d) { EXPECT_EQ(d.GetCurrentFrame(), 3); }, {"CurrentFrame"}},
      {[](auto& d) { EXPECT_EQ(d.GetTotalFrames(), 7); }, {"get_TotalFrames"}},
      {[](auto& d) { d.SetCurrentFrame(5); }, {"put_FrameNum 5"}},
      {[](auto& d) { EXPECT_EQ(d.GetVariable(L"a.b"), L"value of a.b"); }, {"GetVariable a.b"}},
      {[](auto& d) { d.SetVariable(L"n", L""); }, {"SetVariable n="}},
      {[](auto& d) { EXPECT_EQ(d.CallFunction(L"<r/>"), L"<string>answer</string>"); },
       {"FlashVersion", "CallFunction <r/>"}},
      {[](auto& d) { d.SetReturnValue(L"<true/>"); }, {"FlashVersion", "SetReturnValue <true/>"}},
  };
  for (const auto& row : rows) {
    row.call(*driver);
    EXPECT_EQ(fake.Take(), row.logged);
  }
}

TEST_F(ActiveXAutomation, CallsNeedAPlayerOfVersion8) {
  for (const long version : {0x00070000L, 0x0007FFFFL, 0x00080000L}) {
    fake.options.flashVersion = version;
    const bool allowed = version >= 0x00080000;
    EXPECT_EQ(driver->CallFunction(L"<r/>"), allowed ? L"<string>answer</string>" : L"");
    driver->SetReturnValue(L"x");
    EXPECT_EQ(fake.Take(), allowed ? (Lines{"FlashVersion", "CallFunction <r/>", "FlashVersion", "SetReturnValue x"})
                                   : (Lines{"FlashVersion", "FlashVersion"}))
        << std::hex << version;
  }
}

TEST_F(ActiveXAutomation, TheControlsDispatchIsHandedOutCounted) {
  vt::TVariant v;
  driver->GetOleObject(v.Get());
  ASSERT_EQ(v.Get().vt, VT_DISPATCH);
  const vt::TComPtr<IDispatch> d = driver->GetDefaultDispatch();
  EXPECT_EQ(static_cast<IUnknown*>(d.Get()), static_cast<IUnknown*>(v.Get().pdispVal));
  fake.options.failAt = "QI IDispatch";
  EXPECT_THROW(driver->GetDefaultDispatch(), vcl::EIntfCastError);
}

TEST_F(ActiveXAutomation, AFailingMovieOperationRaisesWithItsResult) {
  fake.options.failAt = "Play";
  try {
    driver->Play();
    ADD_FAILURE() << "no exception";
  } catch (const vcl::EOleException& e) {
    EXPECT_EQ(e.ErrorCode(), E_FAIL);
  }
}

// ---- events ----

class ActiveXEvents : public ActiveXAutomation {
 protected:
  void SetUp() override {
    ActiveXAutomation::SetUp();
    driver->FOnFSCommand = [&](vcl::TObject* s, const std::wstring& c, const std::wstring& a) {
      senders.push_back(s);
      heard.push_back("fscommand " + vcl::WideToUtf8(c) + "|" + vcl::WideToUtf8(a));
    };
    driver->FOnFlashCall = [&](vcl::TObject* s, const std::wstring& r) {
      senders.push_back(s);
      heard.push_back("flashcall " + vcl::WideToUtf8(r));
    };
  }
  Lines heard;
  std::vector<vcl::TObject*> senders;
};

TEST_F(ActiveXEvents, ReachTheApplicationWithArgumentsInDeclaredOrder) {
  VARIANT command = Bstr(L"quit"), args;
  args.vt = VT_BSTR;
  args.bstrVal = nullptr;  // an empty string
  EXPECT_EQ(fake.Fire(150, {command, args}), S_OK);
  VARIANT request = Bstr(L"<invoke name=\"f\"/>");
  EXPECT_EQ(fake.Fire(197, {request}), S_OK);
  // By reference, as some controls send them.
  BSTR text = SysAllocString(L"ref");
  VARIANT byRef;
  byRef.vt = VT_BSTR | VT_BYREF;
  byRef.pbstrVal = &text;
  EXPECT_EQ(fake.Fire(150, {byRef, byRef}), S_OK);
  EXPECT_EQ(heard, (Lines{"fscommand quit|", "flashcall <invoke name=\"f\"/>", "fscommand ref|ref"}));
  for (vcl::TObject* s : senders) EXPECT_EQ(s, driver.get());
  SysFreeString(text);
  VariantClear(&command);
  VariantClear(&request);
}

TEST_F(ActiveXEvents, UnassignedUnknownOrIllFittingEventsAreAnsweredAndDropped) {
  driver->FOnProgress = nullptr;
  VARIANT text = Bstr(L"x");
  const struct {
    DISPID id;
    std::vector<VARIANT> args;
  } rows[] = {
      {-609, {Int(4)}},         // ready state: no slot assigned
      {1958, {Int(50)}},        // progress: likewise
      {4242, {text}},           // no such event
      {150, {text}},            // one argument short
      {150, {Int(1), text}},    // a number where text belongs
      {197, {text, text}},      // one too many
  };
  for (const auto& row : rows) EXPECT_EQ(fake.Fire(row.id, row.args), S_OK) << row.id;
  EXPECT_TRUE(heard.empty());
  // An assigned ready-state slot hears its event.
  std::vector<int32_t> states;
  driver->FOnReadyStateChange = [&](vcl::TObject*, int32_t s) { states.push_back(s); };
  EXPECT_EQ(fake.Fire(-609, {Int(4)}), S_OK);
  EXPECT_EQ(states, std::vector<int32_t>{4});
  VariantClear(&text);
}

TEST_F(ActiveXEvents, AHandlerThatRaisesReachesTheApplicationNotTheControl) {
  std::vector<std::wstring> reported;
  vcl::Application()->OnException = [&](vcl::TObject* sender, const vcl::Exception& e) {
    EXPECT_EQ(sender, driver.get());
    reported.push_back(e.Message());
  };
  driver->FOnFSCommand = [](vcl::TObject*, const std::wstring&, const std::wstring&) {
    throw vcl::EInvalidOperation(L"handler failed");
  };
  VARIANT a = Bstr(L"a");
  EXPECT_EQ(fake.Fire(150, {a, a}), S_OK);
  EXPECT_EQ(reported, std::vector<std::wstring>{L"handler failed"});
  vcl::Application()->OnException = nullptr;
  VariantClear(&a);
}

TEST_F(ActiveXEvents, AHandlerThatFreesTheDriverEndsTheEventSafely) {
  driver->FOnFlashCall = [&](vcl::TObject*, const std::wstring&) { driver.reset(); };
  VARIANT r = Bstr(L"r");
  EXPECT_EQ(fake.Fire(197, {r}), S_OK);
  EXPECT_FALSE(driver);
  EXPECT_EQ(fake.live, 0);
  VariantClear(&r);
}

}  // namespace
