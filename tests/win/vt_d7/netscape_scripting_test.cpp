// Scripting both ways: the driver's operations as calls on the movie's
// scriptable object; FSCommand and ExternalInterface calls from the movie.
#include <gtest/gtest.h>

#include "netscape_fake_module.h"

namespace {

using vt_test::NetscapeTest;
using Lines = std::vector<std::string>;
using NetscapeScripting = NetscapeTest;

const char kCall[] =
    "try { __flash__toXML(showInfo(\"a\",\"two words\")) ; } catch (e) { \"<undefined/>\"; }";

TEST_F(NetscapeScripting, EveryOperationIsAnInvokeOrAPropertySet) {
  auto d = NewDriver();
  fake->ClearLog();
  d->Play();
  d->StopPlay();
  d->Rewind();
  d->Forward();
  d->Back();
  d->SetLoop(true);
  d->SetCurrentFrame(12);
  d->SetVariable(L"name", L"value");
  fake->Set("answer.GetVariable", "str:got it");
  EXPECT_EQ(d->GetVariable(L"v"), L"got it");
  fake->Set("answer.CallFunction", "str:<string>r</string>");
  EXPECT_EQ(d->CallFunction(L"<invoke name=\"f\"/>"), L"<string>r</string>");
  EXPECT_EQ(fake->Lines(), (Lines{"invoke Play", "invoke StopPlay", "invoke Rewind", "invoke Forward",
                                  "invoke Back", "setProperty Loop bool:1", "invoke GotoFrame int:12",
                                  "invoke SetVariable str:name str:value", "invoke GetVariable str:v",
                                  "invoke CallFunction str:<invoke name=\"f\"/>"}));

  // Answers of another type read as empty, false or 0.
  fake->Set("answer.GetVariable", "int:5");
  EXPECT_EQ(d->GetVariable(L"v"), L"");
  fake->Set("answer.GetLoop", "bool:1");
  fake->Set("answer.IsPlaying", "bool:1");
  EXPECT_TRUE(d->GetLoop());
  EXPECT_TRUE(d->GetIsPlaying());
  fake->Set("fail.GetLoop", "1");
  EXPECT_FALSE(d->GetLoop()) << "a failed invoke";
  fake->Set("answer.IsPlaying", "int:1");
  EXPECT_FALSE(d->GetIsPlaying());
  fake->Set("answer.CurrentFrame", "int:7");
  fake->Set("answer.TotalFrames", "int:30");
  EXPECT_EQ(d->GetCurrentFrame(), 7);
  EXPECT_EQ(d->GetTotalFrames(), 30);
  fake->Set("answer.CurrentFrame", "double:7");
  EXPECT_EQ(d->GetCurrentFrame(), 0);
  fake->Set("fail.TotalFrames", "1");
  EXPECT_EQ(d->GetTotalFrames(), 0);
}

TEST_F(NetscapeScripting, StringsCrossInTheCodePage) {
  vt::NetscapeCodePage = 932;
  auto d = NewDriver();
  fake->ClearLog();
  fake->Set("answer.GetVariable", "str:\x82\xa0");
  EXPECT_EQ(d->GetVariable(L"\u3042"), L"\u3042");
  EXPECT_EQ(fake->Lines(), (Lines{"invoke GetVariable str:\x82\xa0"}));
}

TEST_F(NetscapeScripting, SetVariableRetriesOnceWhenTheInvokeThrows) {
  auto d = NewDriver();
  fake->ClearLog();
  fake->Set("throw.SetVariable", "1");
  EXPECT_NO_THROW(d->SetVariable(L"a", L"1"));
  EXPECT_EQ(fake->Lines(), (Lines{"invoke SetVariable str:a str:1", "invoke SetVariable str:a str:1"}));
  fake->ClearLog();
  fake->Set("throw.SetVariable", "2");
  EXPECT_ANY_THROW(d->SetVariable(L"a", L"2"));
  EXPECT_EQ(fake->Lines().size(), 2u);
  fake->ClearLog();
  d->SetVariable(L"a", L"3");
  EXPECT_EQ(fake->Lines().size(), 1u);
}

TEST_F(NetscapeScripting, WithoutAScriptableObjectNothingIsCalled) {
  fake->Set("script", "none");
  auto d = NewDriver();
  EXPECT_EQ(d->FScriptObject, nullptr);
  fake->ClearLog();
  d->Play();
  d->SetLoop(true);
  d->SetVariable(L"a", L"b");
  d->LoadMovie(L"movie.swf");
  EXPECT_EQ(d->GetVariable(L"a"), L"");
  EXPECT_EQ(d->GetCurrentFrame(), 0);
  EXPECT_TRUE(fake->Lines().empty());
  d->SetReturnValue(L"kept");
  EXPECT_EQ(d->FReturnValue, L"kept");
}

TEST_F(NetscapeScripting, FSCommandsReachTheDriversEventWithTheDriverAsSender) {
  auto d = NewDriver();
  Lines seen;
  d->FOnFSCommand = [&](vcl::TObject* sender, const std::wstring& c, const std::wstring& a) {
    seen.push_back((sender == d.get() ? "driver " : "other ") + vcl::WideToAnsi(c) + "|" +
                   vcl::WideToAnsi(a));
  };
  fake->ClearLog();
  EXPECT_TRUE(fake->Invoke("_DoFSCommand", 2, "quit", "now"));
  EXPECT_TRUE(fake->Invoke("_DoFSCommand", 1, "single"));
  EXPECT_TRUE(fake->Invoke("_DoFSCommand", 0));
  EXPECT_EQ(seen, (Lines{"driver quit|now", "driver single|", "driver |"}));
  EXPECT_EQ(fake->Lines("invoke result").front(), "invoke result 1 null") << "the result is left alone";
  // Any other method answers an empty string.
  EXPECT_TRUE(fake->Invoke("toString", 0));
  EXPECT_EQ(fake->Lines("invoke result").back(), "invoke result 1 str:");
  EXPECT_EQ(seen.size(), 3u);
}

TEST_F(NetscapeScripting, ExternalInterfaceCallsBecomeRequestsAnsweredBySetReturnValue) {
  auto d = NewDriver();
  Lines requests;
  d->SetReturnValue(L"stale");
  d->FOnFlashCall = [&](vcl::TObject* sender, const std::wstring& request) {
    EXPECT_EQ(sender, d.get());
    EXPECT_EQ(d->FReturnValue, L"") << "cleared before the call is reported";
    requests.push_back(vcl::WideToAnsi(request));
    d->SetReturnValue(L"<string>yes</string>");
  };
  EXPECT_EQ(fake->Evaluate(kCall), "<string>yes</string>") << "readable after NPN_Evaluate returned";
  EXPECT_EQ(requests, (Lines{"<invoke name=\"showInfo\" returntype=\"XML\"><arguments><string>a</string>"
                             "<string>two words</string></arguments></invoke>"}));
  EXPECT_EQ(fake->Evaluate("try { __flash__toXML(f(1,\"left,right\")) ; } catch (e) { \"<undefined/>\"; }"),
            "<string>yes</string>");
  EXPECT_EQ(requests.back(),
            "<invoke name=\"f\" returntype=\"XML\"><arguments><string>1</string>"
            "<string>left,right</string></arguments></invoke>");

  // Other scripts are not evaluated.
  EXPECT_EQ(fake->Evaluate("window.close()"), "");
  EXPECT_EQ(requests.size(), 2u);

  // Without a handler the answer is empty.
  d->FOnFlashCall = nullptr;
  d->SetReturnValue(L"old");
  EXPECT_EQ(fake->Evaluate(kCall), "");
}

TEST_F(NetscapeScripting, HandlersMayCallBackOrFreeTheDriver) {
  auto d = NewDriver();
  d->FOnFlashCall = [&](vcl::TObject*, const std::wstring&) {
    d->SetVariable(L"inside", L"1");
    d->SetReturnValue(L"done");
  };
  fake->ClearLog();
  EXPECT_EQ(fake->Evaluate(kCall), "done");
  EXPECT_EQ(fake->Lines().front(), "invoke SetVariable str:inside str:1");

  d->FOnFlashCall = [&](vcl::TObject*, const std::wstring&) { d.reset(); };
  EXPECT_EQ(fake->Evaluate(kCall), "");
  EXPECT_EQ(d, nullptr);

  d = NewDriver();
  d->FOnFSCommand = [&](vcl::TObject*, const std::wstring&, const std::wstring&) { d.reset(); };
  EXPECT_TRUE(fake->Invoke("_DoFSCommand", 2, "a", "b"));
  EXPECT_EQ(d, nullptr);

  // A handler that throws: the module still gets its answer.
  d = NewDriver();
  d->FOnFlashCall = [](vcl::TObject*, const std::wstring&) { throw std::runtime_error("app failed"); };
  EXPECT_EQ(fake->Evaluate(kCall), "");
}

}  // namespace
