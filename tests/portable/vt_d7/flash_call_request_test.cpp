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

TEST(FlashCallRequest, ArgumentsAreReadAsTheScriptWritesThem) {
  const struct {
    const wchar_t* call;
    const wchar_t* markup;
  } rows[] = {
      // Commas, parentheses and blanks inside a string stay in it.
      {L"f(1,\"left,right\")", L"<string>1</string><string>left,right</string>"},
      {L"f(\"a) b\", \" c \")", L"<string>a) b</string><string> c </string>"},
      // Escapes are decoded.
      {L"f(\"say \\\"hi\\\"\\n\\\\\\u00e9\")", L"<string>say \"hi\"\n\\\u00e9</string>"},
      // Other literals as written; arrays and objects whole.
      {L"f(true, null, -1.5e+21)", L"<string>true</string><string>null</string><string>-1.5e+21</string>"},
      {L"f([1,\"x,y\"],{\"k\":2})", L"<string>[1,\"x,y\"]</string><string>{\"k\":2}</string>"},
  };
  for (const auto& row : rows)
    EXPECT_EQ(FlashCallRequestFromScript(Script(row.call)), Request(L"f", row.markup)) << row.call;
}

TEST(FlashCallRequest, EmptyQuotedStringAndNoArguments) {
  EXPECT_EQ(FlashCallRequestFromScript(Script(L"f(\"\")")), Request(L"f", L"<string></string>"));
  EXPECT_EQ(FlashCallRequestFromScript(Script(L"ping()")), Request(L"ping", L""));
}

TEST(FlashCallRequest, ArgumentTextIsEscapedForXml) {
  EXPECT_EQ(FlashCallRequestFromScript(Script(L"f(\"<b>&amp;\\\"\")")),
            Request(L"f", L"<string>&lt;b&gt;&amp;amp;\"</string>"));
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
