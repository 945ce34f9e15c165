// The request text built from a plug-in movie's ExternalInterface script.
#include "vt_d7/flash_call_request.h"

#include <gtest/gtest.h>

namespace {

using vt::FlashCallRequestFromScript;

std::wstring Script(const std::wstring& Call) {
  return L"try { __flash__toXML(" + Call + L") ; } catch (e) { \"<undefined/>\"; }";
}

std::wstring Request(const std::wstring& Name, const std::wstring& Markup) {
  return L"<invoke name=\"" + Name + L"\" returntype=\"XML\"><arguments>" + Markup + L"</arguments></invoke>";
}

TEST(FlashCallRequest, QuotedArgumentsBecomeStringElementsWithoutTheirQuotes) {
  EXPECT_EQ(FlashCallRequestFromScript(Script(L"showInfo(\"a\",\"two words\")")),
            Request(L"showInfo", L"<string>a</string><string>two words</string>"));
  // Numbers arrive as their text; blanks around names and tokens go.
  EXPECT_EQ(FlashCallRequestFromScript(Script(L" add ( 5 , \"x\" )")),
            Request(L"add", L"<string>5</string><string>x</string>"));
}

TEST(FlashCallRequest, CommasInsideQuotesSplitTheArgument) {
  EXPECT_EQ(FlashCallRequestFromScript(Script(L"f(1,\"left,right\")")),
            Request(L"f", L"<string>1</string><string>lef</string><string>right\"</string>"));
}

TEST(FlashCallRequest, EmptyQuotedStringAndNoArguments) {
  EXPECT_EQ(FlashCallRequestFromScript(Script(L"f(\"\")")), Request(L"f", L"<string></string>"));
  EXPECT_EQ(FlashCallRequestFromScript(Script(L"ping()")), Request(L"ping", L""));
}

TEST(FlashCallRequest, TextIsInsertedVerbatim) {
  EXPECT_EQ(FlashCallRequestFromScript(Script(L"f(\"<b>&amp;\\\"\")")),
            Request(L"f", L"<string><b>&amp;\\\"</string>"));
}

TEST(FlashCallRequest, WithoutTheCatchPartTheWholeRestIsTheCall) {
  EXPECT_EQ(FlashCallRequestFromScript(L"try { __flash__toXML(g(\"a\")"),
            Request(L"g", L"<string>a</string>"));
  // A missing closing parenthesis: the last token takes the rest.
  EXPECT_EQ(FlashCallRequestFromScript(L"try { __flash__toXML(g(1,2"),
            Request(L"g", L"<string>1</string><string>2</string>"));
  // No parenthesis at all: the whole text is the name.
  EXPECT_EQ(FlashCallRequestFromScript(L"try { __flash__toXML(g"), Request(L"g", L""));
  EXPECT_EQ(FlashCallRequestFromScript(L"try { __flash__toXML("), Request(L"", L""));
}

TEST(FlashCallRequest, OtherScriptsAreNotCalls) {
  EXPECT_FALSE(FlashCallRequestFromScript(L""));
  EXPECT_FALSE(FlashCallRequestFromScript(L"alert(1)"));
  EXPECT_FALSE(FlashCallRequestFromScript(L" try { __flash__toXML(f())"));
  EXPECT_FALSE(FlashCallRequestFromScript(L"try { __flash__toXml(f())"));
}

}  // namespace
