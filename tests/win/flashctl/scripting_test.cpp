// The dual interface: events with their arguments, SetReturnValue reaching
// the movie, variables, frames, properties, and the type information.
#include <gtest/gtest.h>

#include "tests/win/flashctl/test_container.h"
#include "tests/win/flashctl/test_movies.h"

namespace flashctl_test {
namespace {

constexpr DISPID kFSCommand = 0x96, kFlashCall = 0xc5, kReadyState = -609;

std::wstring Variable(IvtFlashPlayer* C, const std::wstring& Name) {
  vt::TBstr value;
  EXPECT_EQ(C->GetVariable(Bstr(Name).Get(), value.Receive()), S_OK);
  return value.Text();
}

class FlashctlScript : public ::testing::Test {
 protected:
  // Starts the host movie in an active control and lets frame 0 run.
  void Start(const std::wstring& Query = L"") {
    sink_.AdviseOn(control_.Get());
    ASSERT_EQ(control_->put_Movie(Bstr(MovieFile(HostMovie(), L"host.swf") + Query).Get()), S_OK);
    ASSERT_EQ(site_.Embed(control_.Get()), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return !sink_.Of(kFSCommand).empty(); }));
  }
  void TearDown() override {
    As<IOleObject>(control_.Get(), IID_IOleObject)->Close(OLECLOSE_NOSAVE);
    As<IOleObject>(control_.Get(), IID_IOleObject)->SetClientSite(nullptr);
  }
  Site site_;
  EventSink sink_;
  TComPtr<IvtFlashPlayer> control_ = NewControl();
};

TEST_F(FlashctlScript, FSCommandAndFlashCallWithTheirArguments) {
  sink_.handler = [&](const EventSink::Event& e) {
    if (e.id == kFlashCall) control_->SetReturnValue(Bstr(L"<string>yes \u00e9</string>").Get());
  };
  Start();
  ASSERT_EQ(sink_.Of(kFSCommand).size(), 1u);
  EXPECT_EQ(sink_.Of(kFSCommand)[0].args, (std::vector<std::wstring>{L"hello", L"world"}));
  ASSERT_EQ(sink_.Of(kFlashCall).size(), 2u);
  EXPECT_EQ(sink_.Of(kFlashCall)[0].args,
            std::vector<std::wstring>{L"<invoke name=\"page.ask\" returntype=\"XML\"><arguments>"
                                      L"<string>a&lt;b&amp;c</string><string>42</string><string>true</string>"
                                      L"<string>null</string></arguments></invoke>"});
  EXPECT_EQ(sink_.Of(kFlashCall)[1].args,
            std::vector<std::wstring>{L"<invoke name=\"page.list\" returntype=\"XML\"><arguments>"
                                      L"<string>[2,\"x\"]</string></arguments></invoke>"});
  EXPECT_EQ(Variable(control_.Get(), L"answer"), L"yes \u00e9");
  // Outside a FlashCall event there is nothing to answer.
  EXPECT_EQ(control_->SetReturnValue(Bstr(L"late").Get()), E_UNEXPECTED);
  // The movie's ready state went through loading to complete.
  std::vector<std::wstring> states;
  for (const auto& e : sink_.Of(kReadyState)) states.push_back(e.args[0]);
  EXPECT_EQ(states, (std::vector<std::wstring>{L"1", L"3", L"4"}));
}

TEST_F(FlashctlScript, FrozenEventsAreDropped) {
  As<IOleControl>(control_.Get(), IID_IOleControl)->FreezeEvents(TRUE);
  sink_.AdviseOn(control_.Get());
  control_->put_Movie(Bstr(MovieFile(HostMovie(), L"frozen.swf")).Get());
  site_.Embed(control_.Get());
  PumpMessages(100);
  EXPECT_TRUE(sink_.events.empty());
  As<IOleControl>(control_.Get(), IID_IOleControl)->FreezeEvents(FALSE);
  As<IOleInPlaceObjectWindowless>(control_.Get(), IID_IOleInPlaceObjectWindowless)
      ->OnWindowMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 30), nullptr);
  LRESULT r = 0;
  As<IOleInPlaceObjectWindowless>(control_.Get(), IID_IOleInPlaceObjectWindowless)
      ->OnWindowMessage(WM_LBUTTONUP, 0, MAKELPARAM(30, 30), &r);
  ASSERT_EQ(sink_.Of(kFSCommand).size(), 1u);
  EXPECT_EQ(sink_.Of(kFSCommand)[0].args, (std::vector<std::wstring>{L"clicked", L"button"}));
}

TEST_F(FlashctlScript, WindowMessages) {
  Start();
  auto windowless = As<IOleInPlaceObjectWindowless>(control_.Get(), IID_IOleInPlaceObjectWindowless);
  const struct {
    UINT msg;
    WPARAM w;
    LPARAM l;
    HRESULT hr;
  } cases[] = {
      {WM_MOUSEMOVE, 0, MAKELPARAM(30, 30), S_OK}, {WM_RBUTTONDOWN, 0, 0, S_OK}, {WM_MOUSEWHEEL, 0, 0, S_OK},
      {WM_SETCURSOR, 0, 0, S_OK},                  {WM_CHAR, 'a', 0, S_OK},       {WM_KEYDOWN, VK_LEFT, 0, S_OK},
      {WM_KEYDOWN, 'A', 0, S_FALSE},               {0, 0, 0, S_FALSE},            {WM_TIMER, 0, 0, S_FALSE},
  };
  for (const auto& c : cases) {
    LRESULT result = 0;
    EXPECT_EQ(windowless->OnWindowMessage(c.msg, c.w, c.l, &result), c.hr) << c.msg;
  }
  // x = -2 wraps to 0xFFFE in the low word: read unsigned it would land on the button.
  sink_.events.clear();
  for (UINT msg : {WM_LBUTTONDOWN, WM_LBUTTONUP}) windowless->OnWindowMessage(msg, 0, MAKELPARAM(-2, 30), nullptr);
  EXPECT_TRUE(sink_.Of(kFSCommand).empty());
  TComPtr<IDropTarget> drop;
  EXPECT_EQ(windowless->GetDropTarget(drop.Receive()), E_NOTIMPL);
}

TEST_F(FlashctlScript, VariablesFunctionsAndFlashVars) {
  control_->put_FlashVars(Bstr(L"greeting=hi+there&sym=%26%3D&empty=&=skipped").Get());
  // Set before the movie exists: it waits for the movie, after FlashVars.
  EXPECT_EQ(control_->SetVariable(Bstr(L"greeting").Get(), Bstr(L"early").Get()), S_OK);
  EXPECT_EQ(control_->SetVariable(Bstr(L"early").Get(), Bstr(L"yes").Get()), S_OK);
  // The movie's query comes first, FlashVars next.
  Start(L"?from=the%20query&sym=x");
  EXPECT_EQ(Variable(control_.Get(), L"from"), L"the query");
  EXPECT_EQ(Variable(control_.Get(), L"greeting"), L"early");
  EXPECT_EQ(Variable(control_.Get(), L"early"), L"yes");
  control_->SetVariable(Bstr(L"greeting").Get(), Bstr(L"hi there").Get());
  EXPECT_EQ(Variable(control_.Get(), L"greeting"), L"hi there");
  EXPECT_EQ(Variable(control_.Get(), L"sym"), L"&=");
  EXPECT_EQ(control_->SetVariable(Bstr(L"shade").Get(), Bstr(L"deep \u00e9\u4e2d").Get()), S_OK);
  EXPECT_EQ(Variable(control_.Get(), L"shade"), L"deep \u00e9\u4e2d");
  EXPECT_EQ(control_->SetVariable(Bstr(L"shade").Get(), nullptr), S_OK);  // nil reads as ""
  EXPECT_EQ(Variable(control_.Get(), L"shade"), L"");
  vt::TBstr answer;
  ASSERT_EQ(control_->CallFunction(
                Bstr(L"<invoke name=\"echo\" returntype=\"xml\"><arguments><string>x</string></arguments></invoke>").Get(),
                answer.Receive()),
            S_OK);
  EXPECT_EQ(answer.Text(), L"<string>echo x</string>");
  ASSERT_EQ(control_->CallFunction(Bstr(L"not xml").Get(), answer.Receive()), S_OK);
  EXPECT_EQ(answer.Text(), L"<undefined/>");
}

TEST_F(FlashctlScript, NoMovieYet) {
  vt::TBstr text;
  EXPECT_EQ(control_->CallFunction(Bstr(L"<invoke name=\"echo\"/>").Get(), text.Receive()), S_OK);
  EXPECT_EQ(text.Get(), nullptr);
  EXPECT_EQ(control_->GetVariable(Bstr(L"a").Get(), text.Receive()), S_OK);
  LONG n = -1;
  EXPECT_EQ(control_->get_TotalFrames(&n), S_OK);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(control_->LoadMovie(1, Bstr(L"x.swf").Get()), E_FAIL);  // no level 0 to load into
  EXPECT_EQ(control_->LoadMovie(0, nullptr), E_INVALIDARG);
}

TEST(FlashctlPlayer, FramesLoopAndPlayStateAgreeWithTheMovie) {
  auto control = NewControl();
  ASSERT_EQ(control->put_Movie(Bstr(MovieFile(kSquareMovie, L"frames.swf")).Get()), S_OK);
  LONG n = 0;
  VARIANT_BOOL b = VARIANT_FALSE;
  control->get_TotalFrames(&n);
  EXPECT_EQ(n, 3);
  const struct {
    const char* step;
    std::function<void()> act;
    LONG frame;
    bool playing;
  } steps[] = {
      {"start", [] {}, 0, true},
      {"goto 2", [&] { control->GotoFrame(2); }, 2, true},
      {"framenum 1", [&] { control->put_FrameNum(1); }, 1, true},
      {"stop", [&] { control->Stop(); }, 1, false},
      {"forward", [&] { control->Forward(); }, 2, false},
      {"back", [&] { control->Back(); }, 1, false},
      {"play", [&] { control->put_Playing(VARIANT_TRUE); }, 1, true},
      {"rewind", [&] { control->Rewind(); }, 0, false},
      {"goto far", [&] { control->GotoFrame(99); }, 2, false},
  };
  for (const auto& s : steps) {
    s.act();
    control->CurrentFrame(&n);
    EXPECT_EQ(n, s.frame) << s.step;
    control->IsPlaying(&b);
    EXPECT_EQ(b != VARIANT_FALSE, s.playing) << s.step;
  }
  EXPECT_EQ(control->GotoFrame(-1), E_INVALIDARG);
  control->put_Loop(VARIANT_FALSE);
  control->get_Loop(&b);
  EXPECT_EQ(b, VARIANT_FALSE);
  for (LONG f : {0, 2}) {
    control->FrameLoaded(f, &b);
    EXPECT_EQ(b, VARIANT_TRUE);
  }
  control->FrameLoaded(3, &b);
  EXPECT_EQ(b, VARIANT_FALSE);
  control->PercentLoaded(&n);
  EXPECT_EQ(n, 100);
  control->FlashVersion(&n);
  EXPECT_GE(n, 8 << 16);
  control->get_ReadyState(&n);
  EXPECT_EQ(n, READYSTATE_COMPLETE);
}

TEST(FlashctlPlayer, StoredPropertiesReadBack) {
  auto control = NewControl();
  vt::TBstr text;
  control->get_WMode(text.Receive());
  EXPECT_EQ(text.Text(), L"Window");
  // BackgroundColor and BGColor are one value.
  LONG color = 0;
  control->put_BackgroundColor(0x123456);
  control->get_BGColor(text.Receive());
  EXPECT_EQ(text.Text(), L"#123456");
  control->put_BGColor(Bstr(L"#ABCDEF").Get());
  control->get_BackgroundColor(&color);
  EXPECT_EQ(color, 0xABCDEF);
  EXPECT_EQ(control->put_Quality(static_cast<vtFlashQuality>(9)), E_INVALIDARG);
  EXPECT_EQ(control->put_ScaleMode(vtScaleExactFit), S_OK);
  vtFlashScaleMode scale{};
  control->get_ScaleMode(&scale);
  EXPECT_EQ(scale, vtScaleExactFit);
  LONG frame = 7;
  EXPECT_EQ(control->TCurrentFrame(Bstr(L"/").Get(), &frame), E_NOTIMPL);
  EXPECT_EQ(frame, 0);  // out-parameters are set even then
  EXPECT_EQ(control->CurrentFrame(nullptr), E_POINTER);
}

TEST(FlashctlPlayer, LateBindingThroughTheTypeLibrary) {
  auto control = NewControl();
  auto dispatch = As<IDispatch>(control.Get(), IID_IDispatch);
  UINT count = 0;
  EXPECT_EQ(dispatch->GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 1u);
  // By name: put Loop false, read it back.
  LPOLESTR name = const_cast<LPOLESTR>(L"Loop");
  DISPID id = 0;
  ASSERT_EQ(dispatch->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), S_OK);
  EXPECT_EQ(id, 0x6a);
  VARIANT arg;
  VariantInit(&arg);
  arg.vt = VT_BOOL;
  arg.boolVal = VARIANT_FALSE;
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS put{&arg, &named, 1, 1};
  EXPECT_EQ(dispatch->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYPUT, &put, nullptr, nullptr, nullptr), S_OK);
  vt::TVariant result;
  DISPPARAMS none{};
  ASSERT_EQ(dispatch->Invoke(0x84, IID_NULL, 0, DISPATCH_METHOD, &none, &result, nullptr, nullptr), S_OK);
  EXPECT_EQ(result.Get().lVal, 0x000A0000);  // FlashVersion
  VARIANT_BOOL loop = VARIANT_TRUE;
  control->get_Loop(&loop);
  EXPECT_EQ(loop, VARIANT_FALSE);
  // The type information leads to the Quality property's enumeration.
  TComPtr<ITypeInfo> info;
  ASSERT_EQ(dispatch->GetTypeInfo(0, 0, info.Receive()), S_OK);
  LPOLESTR quality = const_cast<LPOLESTR>(L"Quality");
  MEMBERID qid = 0;
  ASSERT_EQ(info->GetIDsOfNames(&quality, 1, &qid), S_OK);
  EXPECT_EQ(qid, 0x69);
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
  bool found = false;
  for (UINT i = 0; i < attr->cFuncs && !found; ++i) {
    FUNCDESC* f = nullptr;
    info->GetFuncDesc(i, &f);
    if (f->memid == 0x69 && f->invkind == INVOKE_PROPERTYGET) {
      TYPEDESC t = f->elemdescFunc.tdesc;
      if (t.vt == VT_PTR) t = *t.lptdesc;  // the vtable half's [out, retval]
      if (f->cParams == 1) t = *f->lprgelemdescParam[0].tdesc.lptdesc;
      ASSERT_EQ(t.vt, VT_USERDEFINED);
      TComPtr<ITypeInfo> enumInfo;
      ASSERT_EQ(info->GetRefTypeInfo(t.hreftype, enumInfo.Receive()), S_OK);
      TYPEATTR* e = nullptr;
      enumInfo->GetTypeAttr(&e);
      EXPECT_TRUE(e->typekind == TKIND_ENUM || e->typekind == TKIND_ALIAS);
      vt::TBstr enumName;
      enumInfo->GetDocumentation(MEMBERID_NIL, enumName.Receive(), nullptr, nullptr, nullptr);
      EXPECT_EQ(enumName.Text(), L"vtFlashQuality");
      enumInfo->ReleaseTypeAttr(e);
      found = true;
    }
    info->ReleaseFuncDesc(f);
  }
  info->ReleaseTypeAttr(attr);
  EXPECT_TRUE(found);
  TComPtr<ITypeInfo> classInfo;
  EXPECT_EQ(As<IProvideClassInfo>(control.Get(), IID_IProvideClassInfo)->GetClassInfo(classInfo.Receive()), S_OK);
}

}  // namespace
}  // namespace flashctl_test
