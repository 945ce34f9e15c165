// The ExternalInterface texts: invoke requests, XML value texts, the host's
// answers and the call script, with exact texts both ways and malformed input.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "renderers/engine/external.h"

namespace {

using swf::ExternalValue;

ExternalValue S(const char* Text) { return ExternalValue::String(Text); }
ExternalValue N(double Value) { return ExternalValue::Number(Value); }

// The FormatError message of Fn, or "" when it did not throw.
template <class F>
std::string ErrorOf(F Fn) {
  try {
    Fn();
  } catch (const swf::FormatError& e) {
    return e.what();
  }
  return "";
}

ExternalValue Nested(size_t Levels) {
  ExternalValue v = N(1);
  for (size_t i = 0; i < Levels; ++i) v = ExternalValue::Array({v});
  return v;
}

std::string NestedText(size_t Levels) {
  std::string text = "<number>1</number>";
  for (size_t i = 0; i < Levels; ++i) text = "<array><property id=\"0\">" + text + "</property></array>";
  return text;
}

}  // namespace

TEST(ExternalRequest, ReadsEveryKindOfArgument) {
  const swf::InvokeRequest r = swf::ParseInvokeRequest(
      "<invoke name=\"f\" returntype=\"xml\"><arguments><string>a</string><number>5</number><true/><false/>"
      "<null/><undefined/><array><property id=\"0\"><string>x</string></property><property id=\"1\">"
      "<number>-0.5</number></property></array><object><property id=\"k\"><array/></property>"
      "<property id=\"m\"><object><property id=\"n\"><null/></property></object></property></object>"
      "<string/></arguments></invoke>");
  EXPECT_EQ(r.name, "f");
  EXPECT_EQ(r.returnType, "xml");
  const std::vector<ExternalValue> expected = {
      S("a"),
      N(5),
      ExternalValue::Boolean(true),
      ExternalValue::Boolean(false),
      ExternalValue::Null(),
      ExternalValue::Undefined(),
      ExternalValue::Array({S("x"), N(-0.5)}),
      ExternalValue::Object({{"k", ExternalValue::Array({})},
                             {"m", ExternalValue::Object({{"n", ExternalValue::Null()}})}}),
      S(""),
  };
  EXPECT_EQ(r.arguments, expected);
}

TEST(ExternalRequest, AcceptsTheWaysHostsWriteIt) {
  // Upper-case return type, single quotes, attributes swapped, an unknown
  // attribute, an XML declaration, whitespace and line breaks between elements.
  const swf::InvokeRequest r = swf::ParseInvokeRequest(
      "<?xml version=\"1.0\"?>\r\n<invoke returntype='XML' extra=\"1\"  name = 'go' >\n"
      "  <arguments>\n    <string> two words </string>\n    <number> 7 </number>\n"
      "    <true></true>\n  </arguments>\n</invoke >\n");
  EXPECT_EQ(r.name, "go");
  EXPECT_EQ(r.returnType, "XML");
  EXPECT_EQ(r.arguments, (std::vector<ExternalValue>{S(" two words "), N(7), ExternalValue::Boolean(true)}));

  for (const char* text : {"<invoke name=\"f\" returntype=\"javascript\"><arguments/></invoke>",
                           "<invoke name=\"f\" returntype=\"javascript\"></invoke>",
                           "<invoke name=\"f\" returntype=\"javascript\"/>"}) {
    const swf::InvokeRequest empty = swf::ParseInvokeRequest(text);
    EXPECT_EQ(empty.name, "f") << text;
    EXPECT_EQ(empty.returnType, "javascript") << text;
    EXPECT_TRUE(empty.arguments.empty()) << text;
  }
  EXPECT_EQ(swf::ParseInvokeRequest("<invoke name=\"f\"/>").returnType, "");
}

TEST(ExternalRequest, DecodesEntitiesAndCdata) {
  const swf::InvokeRequest r = swf::ParseInvokeRequest(
      "<invoke name=\"a&amp;b&quot;&apos;\" returntype=\"xml\"><arguments>"
      "<string>&lt;p&gt; &amp;&quot;&apos; &#65;&#x42;&#x20AC;&#128512;</string>"
      "<string><![CDATA[<raw & text>]]> tail</string></arguments></invoke>");
  EXPECT_EQ(r.name, "a&b\"'");
  EXPECT_EQ(r.arguments, (std::vector<ExternalValue>{S("<p> &\"' AB\xE2\x82\xAC\xF0\x9F\x98\x80"),
                                                     S("<raw & text> tail")}));
}

TEST(ExternalRequest, BuildsTheExactText) {
  EXPECT_EQ(swf::BuildInvokeRequest("showInfo", {S("a"), N(5)}),
            "<invoke name=\"showInfo\" returntype=\"xml\"><arguments><string>a</string><number>5</number>"
            "</arguments></invoke>");
  EXPECT_EQ(swf::BuildInvokeRequest("f", {}, "XML"),
            "<invoke name=\"f\" returntype=\"XML\"><arguments></arguments></invoke>");
  EXPECT_EQ(swf::BuildInvokeRequest("a\"<&>", {}),
            "<invoke name=\"a&quot;&lt;&amp;&gt;\" returntype=\"xml\"><arguments></arguments></invoke>");

  const std::vector<ExternalValue> args = {S("<&>\"'"), N(0.25), ExternalValue::Undefined(),
                                           ExternalValue::Object({{"q\"", ExternalValue::Array({N(1)})}})};
  const swf::InvokeRequest back = swf::ParseInvokeRequest(swf::BuildInvokeRequest("n&m", args));
  EXPECT_EQ(back.name, "n&m");
  EXPECT_EQ(back.arguments, args);
}

TEST(ExternalValueText, EncodesExactly) {
  EXPECT_EQ(swf::EncodeExternalValue(S("a<b>&c\"d'e")), "<string>a&lt;b&gt;&amp;c\"d'e</string>");
  EXPECT_EQ(swf::EncodeExternalValue(N(5)), "<number>5</number>");
  EXPECT_EQ(swf::EncodeExternalValue(ExternalValue::Boolean(true)), "<true/>");
  EXPECT_EQ(swf::EncodeExternalValue(ExternalValue::Boolean(false)), "<false/>");
  EXPECT_EQ(swf::EncodeExternalValue(ExternalValue::Null()), "<null/>");
  EXPECT_EQ(swf::EncodeExternalValue(ExternalValue::Undefined()), "<undefined/>");
  EXPECT_EQ(swf::EncodeExternalValue(ExternalValue::Array({S("x"), ExternalValue::Array({})})),
            "<array><property id=\"0\"><string>x</string></property><property id=\"1\"><array></array>"
            "</property></array>");
  EXPECT_EQ(swf::EncodeExternalValue(ExternalValue::Object({{"b", N(1)}, {"a&\"", ExternalValue::Null()}})),
            "<object><property id=\"b\"><number>1</number></property><property id=\"a&amp;&quot;\"><null/>"
            "</property></object>");
}

TEST(ExternalValueText, PrintsNumbersAsActionScript) {
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {5, "5"},
      {0.5, "0.5"},
      {-3, "-3"},
      {-0.0, "0"},
      {100, "100"},
      {1234.5, "1234.5"},
      {0.1 + 0.2, "0.3"},
      {1e21, "1e+21"},
      {1e15, "1e+15"},
      {123456789012345, "123456789012345"},
      {999999999999999.9, "1e+15"},  // rounding carries into the exponent
      {9007199254740993.0, "9.00719925474099e+15"},
      {1e-5, "0.00001"},
      {1e-6, "1e-6"},
      {-1.5e-7, "-1.5e-7"},
      {0.000123, "0.000123"},
      {DBL_MAX, "1.79769313486231e+308"},  // cut, not rounded past the largest double
      {std::numeric_limits<double>::denorm_min(), "4.94065645841247e-324"},
      {std::nan(""), "NaN"},
      {std::numeric_limits<double>::infinity(), "Infinity"},
      {-std::numeric_limits<double>::infinity(), "-Infinity"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(swf::FormatExternalNumber(c.value), c.text);
    // The printed text reads back as a number that prints the same.
    const ExternalValue back = swf::DecodeExternalValue(std::string("<number>") + c.text + "</number>");
    EXPECT_EQ(swf::FormatExternalNumber(back.number), c.text == std::string("1.79769313486232e+308")
                                                            ? "Infinity"  // just beyond the largest double
                                                            : c.text);
  }
}

TEST(ExternalValueText, ReadsNumberTexts) {
  const struct {
    const char* text;
    double value;
  } cases[] = {{" 5 ", 5}, {"+3", 3}, {".5", 0.5}, {"-2.5E2", -250}, {"1e400", INFINITY},
               {"-1e400", -INFINITY}, {"1e-400", 0}, {"-Infinity", -INFINITY}, {"000.125", 0.125}};
  for (const auto& c : cases)
    EXPECT_EQ(swf::DecodeExternalValue(std::string("<number>") + c.text + "</number>"), N(c.value)) << c.text;
  EXPECT_TRUE(std::isnan(swf::DecodeExternalValue("<number>NaN</number>").number));
  for (const char* bad : {"", "abc", "inf", "nan", "0x10", "1e", "5px", "- 5", "1,5"})
    EXPECT_NE(ErrorOf([&] { swf::DecodeExternalValue(std::string("<number>") + bad + "</number>"); }), "")
        << bad;
}

TEST(ExternalValueText, RoundTripsAndKeepsArrayPlaces) {
  const ExternalValue v = ExternalValue::Object(
      {{"list", ExternalValue::Array({S(""), N(-1e-7), ExternalValue::Undefined(), ExternalValue::Null()})},
       {"deep", Nested(10)},
       {"", S("  spaced\r\n\ttext &amp; \xC3\xA9 ")}});
  EXPECT_EQ(swf::DecodeExternalValue(swf::EncodeExternalValue(v)), v);

  // Sparse and out-of-order indices fill the holes with undefined.
  EXPECT_EQ(swf::DecodeExternalValue("<array><property id=\"2\"><true/></property><property id=\"0\"/>"
                                     "</array>"),
            ExternalValue::Array({ExternalValue::Undefined(), ExternalValue::Undefined(),
                                  ExternalValue::Boolean(true)}));
  // A name given twice keeps its first place and its last value.
  EXPECT_EQ(swf::DecodeExternalValue("<object><property id=\"a\"><number>1</number></property>"
                                     "<property id=\"b\"/><property id=\"a\"><number>2</number></property>"
                                     "</object>"),
            ExternalValue::Object({{"a", N(2)}, {"b", ExternalValue::Undefined()}}));
}

TEST(ExternalValueText, BoundsNesting) {
  EXPECT_EQ(swf::DecodeExternalValue(NestedText(swf::kMaxExternalDepth)), Nested(swf::kMaxExternalDepth));
  EXPECT_NE(ErrorOf([] { swf::DecodeExternalValue(NestedText(swf::kMaxExternalDepth + 1)); })
                .find("nested deeper than 64"),
            std::string::npos);
  EXPECT_NE(ErrorOf([] { swf::EncodeExternalValue(Nested(swf::kMaxExternalDepth + 1)); }), "");
  EXPECT_NE(ErrorOf([] { swf::BuildExternalCallScript("f", {Nested(swf::kMaxExternalDepth + 1)}); }), "");
  // A short text cannot ask for a huge array.
  EXPECT_NE(ErrorOf([] { swf::DecodeExternalValue("<array><property id=\"99999999\"/></array>"); })
                .find("array index 99999999 too large at offset 7"),
            std::string::npos);
}

TEST(ExternalValueText, AnswersFromTheHost) {
  EXPECT_EQ(swf::DecodeExternalAnswer(""), ExternalValue::Undefined());
  EXPECT_EQ(swf::DecodeExternalAnswer(" \r\n"), ExternalValue::Undefined());
  EXPECT_EQ(swf::DecodeExternalAnswer(" <string>hi</string>\n"), S("hi"));
  EXPECT_EQ(swf::DecodeExternalAnswer("<number>42</number>"), N(42));
  EXPECT_EQ(swf::DecodeExternalAnswer("<undefined/>"), ExternalValue::Undefined());
  // Plain text, and text that is not a whole value, reach the movie unchanged.
  EXPECT_EQ(swf::DecodeExternalAnswer("42"), S("42"));
  EXPECT_EQ(swf::DecodeExternalAnswer("ok & done"), S("ok & done"));
  EXPECT_EQ(swf::DecodeExternalAnswer("<string>a</string><string>b</string>"),
            S("<string>a</string><string>b</string>"));
  EXPECT_EQ(swf::DecodeExternalAnswer("<string>open"), S("<string>open"));
}

TEST(ExternalMalformed, NameWhatAndWhere) {
  const struct {
    const char* text;
    const char* message;  // a part of it
  } requests[] = {
      {"", "unexpected end of text, expected an element at offset 0"},
      {"  hello", "expected an element at offset 2"},
      {"<call name=\"f\"/>", "expected <invoke>, found <call> at offset 0"},
      {"<invoke returntype=\"xml\"/>", "<invoke> without a name at offset 0"},
      {"<invoke name=\"f\" name=\"g\"/>", "duplicate attribute name in <invoke> at offset 17"},
      {"<invoke name=f/>", "expected a quoted attribute value at offset 13"},
      {"<invoke name=\"f/>", "unterminated attribute value at offset 17"},
      {"<invoke name=\"f\"returntype=\"x\"/>", "expected whitespace before an attribute"},
      {"<invoke name=\"<\"/>", "'<' in an attribute value at offset 14"},
      {"<invoke name=\"f\"", "unterminated tag <invoke>"},
      {"<invoke name=\"f\"><args/></invoke>", "<args> inside <invoke>, expected <arguments> at offset 17"},
      {"<invoke name=\"f\"><arguments><strin>a</strin></arguments></invoke>",
       "unknown value element <strin> at offset 28"},
      {"<invoke name=\"f\"><arguments><string>a</arguments></invoke>", "expected </string> at offset 37"},
      {"<invoke name=\"f\"><arguments><string>a<b</string></arguments></invoke>",
       "expected </string> at offset 37"},
      {"<invoke name=\"f\"><arguments><string>a", "unexpected end of text, expected </string> at offset 37"},
      {"<invoke name=\"f\"><arguments/></invoke><x/>", "text after </invoke> at offset 38"},
      {"<invoke name=\"f\"><arguments/>", "expected </invoke>"},
      {"<invoke name=\"f\"><arguments><string>&nbsp;</string></arguments></invoke>",
       "unknown entity &nbsp; at offset 36"},
      {"<invoke name=\"f\"><arguments><string>a & b</string></arguments></invoke>",
       "'&' without a reference (write &amp;) at offset 38"},
      {"<invoke name=\"f\"><arguments><string>&#0;</string></arguments></invoke>", "names no character"},
      {"<invoke name=\"f\"><arguments><string>&#xD800;</string></arguments></invoke>", "names no character"},
      {"<invoke name=\"f\"><arguments><string>&#1114112;</string></arguments></invoke>", "beyond U+10FFFF"},
      {"<invoke name=\"f\"><arguments><string>&#x;</string></arguments></invoke>", "without digits"},
      {"<invoke name=\"f\"><arguments><string>&#12a;</string></arguments></invoke>", "bad digit"},
      {"<invoke name=\"f\"><arguments><string><![CDATA[x</string></arguments></invoke>",
       "unterminated CDATA section"},
      {"<invoke name=\"f\"><arguments><number/></arguments></invoke>", "<number/> without a number at offset 28"},
      {"<invoke name=\"f\"><arguments><number>five</number></arguments></invoke>",
       "\"five\" is not a number at offset 36"},
      {"<invoke name=\"f\"><arguments><true>x</true></arguments></invoke>", "expected </true> at offset 34"},
      {"<invoke name=\"f\"><arguments><array><string/></array></arguments></invoke>",
       "<string> inside <array>, expected <property> at offset 35"},
      {"<invoke name=\"f\"><arguments><object><property/></object></arguments></invoke>",
       "<property> without an id at offset 36"},
      {"<invoke name=\"f\"><arguments><array><property id=\"x\"/></array></arguments></invoke>",
       "array property id \"x\" is not an index at offset 35"},
      {"<invoke name=\"f\"><arguments><array><property id=\"0\"><null/><null/></property></array></arguments>"
       "</invoke>",
       "expected </property>"},
      {"<?xml version=\"1.0\"", "unterminated XML declaration"},
      {"<invoke name=\"f\"></invoke", "unterminated end tag, expected </invoke> at offset 17"},
  };
  for (const auto& c : requests) {
    const std::string message = ErrorOf([&] { swf::ParseInvokeRequest(c.text); });
    EXPECT_NE(message.find(c.message), std::string::npos) << c.text << "\n  gave: " << message;
  }
  EXPECT_NE(ErrorOf([] { swf::DecodeExternalValue("<null/> <null/>"); }).find("text after the value at offset 8"),
            std::string::npos);
}

TEST(ExternalMalformed, EveryCutOfAValidRequestIsRefused) {
  const std::string full = swf::BuildInvokeRequest(
      "f", {S("a&b"), N(1.5), ExternalValue::Object({{"k", ExternalValue::Array({ExternalValue::Null()})}})});
  ASSERT_NO_THROW(swf::ParseInvokeRequest(full));
  for (size_t n = 0; n < full.size(); ++n)
    EXPECT_NE(ErrorOf([&] { swf::ParseInvokeRequest(full.substr(0, n)); }), "") << full.substr(0, n);
}

TEST(ExternalCallScript, BuildsTheExactScript) {
  EXPECT_EQ(swf::BuildExternalCallScript("showInfo", {S("a"), S("two words")}),
            "try { __flash__toXML(showInfo(\"a\",\"two words\")) ; } catch (e) { \"<undefined/>\"; }");
  EXPECT_EQ(swf::BuildExternalCallScript("f", {}), "try { __flash__toXML(f()) ; } catch (e) { \"<undefined/>\"; }");
  EXPECT_EQ(swf::BuildExternalCallScript(
                "g", {N(5), N(-0.5), N(1e21), N(NAN), ExternalValue::Boolean(true), ExternalValue::Boolean(false),
                      ExternalValue::Null(), ExternalValue::Undefined()}),
            "try { __flash__toXML(g(5,-0.5,1e+21,NaN,true,false,null,undefined)) ; } catch (e) { "
            "\"<undefined/>\"; }");
  // Quotes, backslashes and control characters cannot end the literal early.
  EXPECT_EQ(swf::BuildExternalCallScript("h", {S("say \"hi\" \\ \n\r\t\x01<&>")}),
            "try { __flash__toXML(h(\"say \\\"hi\\\" \\\\ \\n\\r\\t\\u0001<&>\")) ; } catch (e) { "
            "\"<undefined/>\"; }");
  EXPECT_EQ(swf::BuildExternalCallScript(
                "k", {ExternalValue::Array({N(1), S("x")}),
                      ExternalValue::Object({{"a\"b", ExternalValue::Array({})}, {"c", N(2)}})}),
            "try { __flash__toXML(k([1,\"x\"],{\"a\\\"b\":[],\"c\":2})) ; } catch (e) { \"<undefined/>\"; }");
}
