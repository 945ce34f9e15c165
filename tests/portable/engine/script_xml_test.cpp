// XML, LoadVars, flash.geom and ExternalInterface's XML helpers, run as
// small assembled scripts whose traces are compared; the XML text parser
// and URL-encoded variables also directly.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "renderers/engine/src/script/url_vars.h"
#include "renderers/engine/src/script/xml_parse.h"
#include "tests/portable/engine/movie_fakes.h"
#include "tests/portable/engine/script_fakes.h"

using script_test::World;

namespace {

// Instructions that leave a value on the stack: "x.a.b" reads variable x,
// then members; a quoted word, number or literal is pushed as it is, and
// instructions (several lines) are kept.
std::string Push(const std::string& Expr) {
  if (Expr.find('\n') != std::string::npos) return Expr;  // already instructions
  if (Expr.empty() || Expr[0] == '"' || Expr == "true" || Expr == "false" || Expr == "null" ||
      Expr == "undefined" || (Expr[0] >= '0' && Expr[0] <= '9') || Expr[0] == '-')
    return "push " + Expr + "\n";
  std::string out;
  size_t at = 0;
  bool first = true;
  while (at <= Expr.size()) {
    size_t dot = Expr.find('.', at);
    if (dot == std::string::npos) dot = Expr.size();
    out += "push \"" + Expr.substr(at, dot - at) + "\"\n" + (first ? "getvariable\n" : "getmember\n");
    first = false;
    at = dot + 1;
  }
  return out;
}

// Calls Of.Method(Args...), leaving the result on the stack.
std::string Call(const std::string& Of, const std::string& Method, const std::vector<std::string>& Args = {}) {
  std::string out;
  for (auto it = Args.rbegin(); it != Args.rend(); ++it) out += Push(*it);
  out += "push " + std::to_string(Args.size()) + "\n" + Push(Of) + "push \"" + Method + "\"\ncallmethod\n";
  return out;
}

// var = new Class(Args...)
std::string New(const std::string& Var, const std::string& Class, const std::vector<std::string>& Args = {}) {
  std::string out = "push \"" + Var + "\"\n";
  for (auto it = Args.rbegin(); it != Args.rend(); ++it) out += Push(*it);
  return out + "push " + std::to_string(Args.size()) + " \"" + Class + "\"\nnewobject\nsetvariable\n";
}

std::string Trace(const std::string& Expr) { return Push(Expr) + "trace\n"; }
std::string Do(const std::string& CallText) { return CallText + "pop\n"; }

// Statements that bring flash.geom's classes into variables of the same names.
std::string ImportGeom() {
  std::string out;
  for (const char* c : {"Point", "Rectangle", "Matrix", "ColorTransform"})
    out += std::string("push \"") + c + "\"\n" + Push(std::string("flash.geom.") + c) + "setvariable\n";
  return out;
}

struct Case {
  const char* name;
  std::string script;
  const char* traces;
};

void RunCases(const std::vector<Case>& Cases, int Version = 8) {
  for (const Case& c : Cases) {
    World w(Version);
    EXPECT_EQ(w.Traces(c.script), c.traces) << c.name;
    EXPECT_TRUE(w.host.logs.empty()) << c.name << ": " << (w.host.logs.empty() ? "" : w.host.logs[0]);
  }
}

// The parsed tree in a compact form: elements as name[attrs](children), text as 'text'.
std::string Dump(const std::vector<swf::XmlParsedNode>& Nodes) {
  std::string out;
  for (const auto& n : Nodes) {
    if (n.isText) {
      out += "'" + n.value + "'";
      continue;
    }
    out += n.name;
    for (const auto& [k, v] : n.attributes) out += "[" + k + "=" + v + "]";
    if (!n.children.empty()) out += "(" + Dump(n.children) + ")";
  }
  return out;
}

}  // namespace

TEST(ScriptXml, ParserBuildsTreesAndReportsErrors) {
  struct {
    const char* text;
    bool ignoreWhite;
    const char* tree;
    int status;
  } cases[] = {
      {"<a x='1' y=\"2\"><b/>t&amp;u<![CDATA[<raw>&amp;]]></a>", false, "a[x=1][y=2](b't&u''<raw>&amp;')", 0},
      {"<!-- note --><a> <b> x </b> </a>", true, "a(b(' x '))", 0},
      {"<a> <b/> </a>", false, "a(' 'b' ')", 0},
      {"A &#65;&#x42;&bogus; &&amp; &#0;", false, "'A AB&bogus; && &#0;'", 0},
      {"<a x='1' x='2'/>", false, "a[x=1]", 0},
      {"<a><b></a>", false, "a(b)", swf::kXmlMissingStartTag},
      {"<a><b>", false, "a(b)", swf::kXmlMissingEndTag},
      {"</a>", false, "", swf::kXmlMissingStartTag},
      {"<a x='1>", false, "", swf::kXmlAttributeUnterminated},
      {"<a x=1>", false, "", swf::kXmlMalformedElement},
      {"<a", false, "", swf::kXmlMalformedElement},
      {"<a><!-- open", false, "a", swf::kXmlCommentUnterminated},
      {"<![CDATA[x", false, "", swf::kXmlCdataUnterminated},
      {"<?xml version='1.0'", false, "", swf::kXmlDeclUnterminated},
      {"<!DOCTYPE d [ <!ENTITY e 'x'>", false, "", swf::kXmlDoctypeUnterminated},
  };
  for (const auto& c : cases) {
    swf::XmlParsedDocument d = swf::ParseXml(c.text, c.ignoreWhite);
    EXPECT_EQ(Dump(d.children), c.tree) << c.text;
    EXPECT_EQ(d.status, c.status) << c.text;
  }
  swf::XmlParsedDocument d = swf::ParseXml("<?xml version='1.0'?><!DOCTYPE d [ <!ENTITY e 'x'> ]><d/>", false);
  EXPECT_EQ(d.xmlDecl.value_or("-"), "<?xml version='1.0'?>");
  EXPECT_EQ(d.docTypeDecl.value_or("-"), "<!DOCTYPE d [ <!ENTITY e 'x'> ]>");
  // Nesting and node counts are bounded: deep text stops, keeping what it built.
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "<a>";
  d = swf::ParseXml(deep, false, 256);
  EXPECT_EQ(d.status, swf::kXmlOutOfMemory);
  EXPECT_EQ(swf::ParseXml(std::string(3000, 'x').insert(0, "<a/><a/><a/>"), false, 256, 2).status,
            swf::kXmlOutOfMemory);
}

TEST(ScriptXml, UrlVariablesDecodeAndEscape) {
  auto pairs = swf::DecodeUrlVars("a=1&b=two+words%21&&c&=x&d=%zz%4\r\n");
  ASSERT_EQ(pairs.size(), 4u);
  EXPECT_EQ(pairs[1].second, "two words!");
  EXPECT_EQ(pairs[2].first + "|" + pairs[2].second, "c|");
  EXPECT_EQ(pairs[3].second, "%zz%4");
  EXPECT_EQ(swf::UrlEscape("a b_-.*~\xC3\xA9"), "a%20b%5F%2D%2E%2A%7E%C3%A9");
}

TEST(ScriptXml, DocumentsParseAndPrint) {
  RunCases({
      {"round trip with escaping and empty elements",
       New("x", "XML", {"\"<a k='1 &amp; 2' j='x'><b/>t &lt;u&gt;</a>\""}) + Trace("x") +
           Trace("x.firstChild.attributes.k") + Trace("x.status"),
       "<a k=\"1 &amp; 2\" j=\"x\"><b />t &lt;u&gt;</a>\n1 & 2\n0"},
      {"declaration, doctype and comments",
       New("x", "XML", {"\"<?xml version='1.0'?><!DOCTYPE d><!-- c --><d>1</d>\""}) + Trace("x") +
           Trace("x.xmlDecl") + Trace("x.firstChild.firstChild.nodeValue"),
       "<?xml version='1.0'?><!DOCTYPE d><d>1</d>\n<?xml version='1.0'?>\n1"},
      {"ignoreWhite read when parsing",
       New("x", "XML") + "push \"x\"\ngetvariable\npush \"ignoreWhite\" true\nsetmember\n" +
           Do(Call("x", "parseXML", {"\"<a> <b/> </a>\""})) + Trace("x.firstChild.childNodes.length"),
       "1"},
      {"malformed input keeps what was built and says why",
       New("x", "XML", {"\"<a><b>\""}) + Trace("x.status") + Trace("x"), "-9\n<a><b /></a>"},
      {"node kinds and names",
       New("x", "XML", {"\"<p:a xmlns:p='u'>t</p:a>\""}) + Trace("x.nodeType") + Trace("x.nodeName") +
           Trace("x.firstChild.prefix") + Trace("x.firstChild.localName") + Trace("x.firstChild.namespaceURI") +
           Trace("x.firstChild.firstChild.nodeType") + Trace("x.firstChild.firstChild.nodeName") +
           Trace(Call("x.firstChild", "getPrefixForNamespace", {"\"u\""})),
       "1\nnull\np\na\nu\n3\nnull\np"},
  });
}

TEST(ScriptXml, TreeChangesKeepLinksAndChildNodesInStep) {
  const std::string setup = New("x", "XML", {"\"<r><a/><b/></r>\""}) + "push \"r\"\n" + Push("x.firstChild") +
                            "setvariable\npush \"kids\"\n" + Push("r.childNodes") + "setvariable\n";
  RunCases({
      {"append moves a node and updates the array seen before",
       setup + Do(Call("r", "appendChild", {"r.firstChild"})) + Trace("r") + Trace("kids.length") +
           Trace("r.firstChild.nextSibling.nodeName") + Trace("r.lastChild.previousSibling.nodeName") +
           Trace("r.firstChild.previousSibling") + Trace("r.lastChild.parentNode.nodeName"),
       "<r><b /><a /></r>\n2\na\nb\nnull\nr"},
      {"a node never goes under itself or its descendants",
       setup + Do(Call("r.firstChild", "appendChild", {"r"})) + Do(Call("r", "appendChild", {"r"})) + Trace("x"),
       "<r><a /><b /></r>"},
      {"insertBefore, removeNode and new nodes",
       setup + "push \"c\"\n" + Call("x", "createElement", {"\"c\""}) + "setvariable\n" +
           Do(Call("r", "insertBefore", {"c", "r.lastChild"})) +
           Trace("r") + Do(Call("r.firstChild", "removeNode")) + Trace("r") + Trace("kids.length") +
           Trace(Call("r", "hasChildNodes")),
       "<r><a /><c /><b /></r>\n<r><c /><b /></r>\n2\ntrue"},
      {"cloneNode copies attributes, and children only when deep",
       New("x", "XML", {"\"<r k='v'><a/></r>\""}) + "push \"y\"\n" + Call("x.firstChild", "cloneNode", {"false"}) +
           "setvariable\npush \"z\"\n" + Call("x.firstChild", "cloneNode", {"true"}) + "setvariable\n" + Trace("y") +
           Trace("z") + Trace("z.parentNode"),
       "<r k=\"v\" />\n<r k=\"v\"><a /></r>\nnull"},
      {"attributes set by scripts print newest first",
       New("n", "XMLNode", {"1", "\"e\""}) + "push \"a\"\n" + Push("n.attributes") + "setvariable\n" +
           "push \"a\"\ngetvariable\npush \"p\" 1\nsetmember\npush \"a\"\ngetvariable\npush \"q\" 2\nsetmember\n" +
           Trace("n"),
       "<e q=\"2\" p=\"1\" />"},
  });
}

TEST(ScriptXml, LoadVarsEncodesMembersAndDecodesText) {
  RunCases({
      {"newest member first, everything but letters and digits escaped",
       New("v", "LoadVars") + "push \"v\"\ngetvariable\npush \"a\" \"x y\"\nsetmember\n" +
           "push \"v\"\ngetvariable\npush \"b_1\" 2\nsetmember\n" + Trace(Call("v", "toString")),
       "b%5F1=2&a=x%20y"},
      {"decode sets members as strings",
       New("v", "LoadVars") + Do(Call("v", "decode", {"\"n=1&s=a%20b+c\""})) + Trace("v.s") + Trace("v.n"),
       "a b c\n1"},
  });
}

TEST(ScriptXml, LoadsGoToTheHostAndComeBackThroughOnData) {
  struct LoadingHost : script_test::RecordingHost {
    void LoadData(const std::string& Url, const std::string& Method, const std::string& Body,
                  swf::Object* Receiver) override {
      loads.push_back(Method + " " + Url + " [" + Body + "]");
      receiver = Receiver;
    }
    std::vector<std::string> loads;
    swf::Object* receiver = nullptr;
  };
  World w;
  LoadingHost host;
  const std::string script = New("x", "XML") + New("v", "LoadVars") +
                             "push \"v\"\ngetvariable\npush \"a\" 1\nsetmember\n" +
                             Trace(Call("v", "sendAndLoad", {"\"s.php\"", "x", "\"GET\""})) +
                             Trace(Call("x", "getBytesLoaded")) + Trace("x.loaded") +
                             Trace(Call("v", "load")) + Trace(Call("x", "load", {"\"d.xml\""}));
  const std::vector<uint8_t> code = World::Bytes(script);
  w.runtime.RunActions(code.data(), code.size(), w.root, host);
  EXPECT_EQ(host.traces, (std::vector<std::string>{"true", "0", "false", "false", "true"}));
  EXPECT_EQ(host.loads, (std::vector<std::string>{"GET s.php?a=1 []", "GET d.xml []"}));
  ASSERT_TRUE(host.receiver);
  swf::RootedObject keep(w.runtime, host.receiver);
  swf::Value onData = *host.receiver->Find("onData");
  w.runtime.CallFunction(onData, swf::Value::Obj(host.receiver), {swf::Value::String("<d>1</d>")}, w.root, host);
  host.traces.clear();
  const std::vector<uint8_t> check = World::Bytes(Trace("x.firstChild.firstChild.nodeValue") + Trace("x.loaded"));
  w.runtime.RunActions(check.data(), check.size(), w.root, host);
  EXPECT_EQ(host.traces, (std::vector<std::string>{"1", "true"}));
  // The host reads paths through the node accessors too.
  EXPECT_EQ(w.runtime.GetVariablePath(w.root, "x.firstChild.nodeName").ToString(), "d");
}

TEST(ScriptXml, GeometryClasses) {
  const std::string g = ImportGeom();
  RunCases({
      {"points", g + New("p", "Point", {"3", "4"}) + Trace("p") + Trace("p.length") +
                     Trace(Call("p", "add", {"p"})) + Trace(Call("Point", "distance", {"p", "p"})) +
                     Do(Call("p", "normalize", {"10"})) + Trace("p") + Trace(Call("Point", "interpolate", {"p", "p", "0.5"})),
       "(x=3, y=4)\n5\n(x=6, y=8)\n0\n(x=6, y=8)\n(x=6, y=8)"},
      {"matrices", g + New("m", "Matrix") + Do(Call("m", "scale", {"2", "3"})) + Do(Call("m", "translate", {"1", "1"})) +
                       Trace("m") + "push \"q\"\n" + Call("m", "clone") + "setvariable\n" + Do(Call("q", "invert")) +
                       Do(Call("q", "concat", {"m"})) + Trace("q") + New("p", "Point", {"1", "1"}) +
                       Trace(Call("m", "transformPoint", {"p"})) + Trace(Call("m", "deltaTransformPoint", {"p"})),
       "(a=2, b=0, c=0, d=3, tx=1, ty=1)\n(a=1, b=0, c=0, d=1, tx=0, ty=0)\n(x=3, y=4)\n(x=2, y=3)"},
      {"rectangles", g + New("r", "Rectangle", {"0", "0", "10", "10"}) + New("s", "Rectangle", {"5", "5", "10", "10"}) +
                         Trace(Call("r", "intersection", {"s"})) + Trace(Call("r", "union", {"s"})) +
                         Trace(Call("r", "contains", {"10", "5"})) + Trace("r.bottomRight") +
                         "push \"r\"\ngetvariable\npush \"left\" 4\nsetmember\n" + Trace("r"),
       "(x=5, y=5, w=5, h=5)\n(x=0, y=0, w=15, h=15)\nfalse\n(x=10, y=10)\n(x=4, y=0, w=6, h=10)"},
      {"colour transforms", g + New("c", "ColorTransform") + "push \"c\"\ngetvariable\npush \"rgb\" 1193046\nsetmember\n" +
                                Trace("c") + Trace("c.rgb"),
       "(redMultiplier=0, greenMultiplier=0, blueMultiplier=0, alphaMultiplier=1, redOffset=18, greenOffset=52, "
       "blueOffset=86, alphaOffset=0)\n1193046"},
  });
}

TEST(ScriptXml, ExternalInterfaceXmlHelpers) {
  const std::string ei = "flash.external.ExternalInterface";
  RunCases({
      {"values to XML", std::string("push \"o\" 0\ninitobject\nsetvariable\n") + "push \"o\"\ngetvariable\npush \"k\" \"<&>\"\nsetmember\n" +
                            Trace(Call(ei, "_toXML", {"o"})) + Trace(Call(ei, "_toXML", {"-2"})) +
                            Trace(Call(ei, "_toXML", {"\"\""})) + Trace(Call(ei, "_toXML", {"null"})),
       "<object><property id=\"k\"><string>&lt;&amp;&gt;</string></property></object>\n<number>-2</number>\n"
       "<string>null</string>\n<null/>"},
      {"escaping", Trace(Call(ei, "_unescapeXML", {"\"&amp;gt;&#32;&Lt;\""})) + Trace(Call(ei, "_escapeXML", {"\"'\""})) +
                       Trace(Call(ei, "_unescapeXML")),
       "&gt;&#32;&Lt;\n&apos;\nnull"},
      {"XML back to values", New("x", "XML", {"\"<object><property id='n'><number>5</number></property></object>\""}) +
                                 "push \"o\"\n" + Call(ei, "_toAS", {"x.firstChild"}) + "setvariable\n" + Trace("o.n"),
       "5"},
      // _toAS reads any object as a node: nodeName (a string) names the type, firstChild's text the value.
      {"plain objects as nodes",
       std::string("push \"o\" \"nodeName\" \"number\" \"firstChild\" \" -2.5\" 2\ninitobject\nsetvariable\n") +
           Trace(Call(ei, "_toAS", {"o"})) +
           "push \"o\"\ngetvariable\npush \"firstChild\" \"-2.5 \"\nsetmember\n" + Trace(Call(ei, "_toAS", {"o"})) +
           "push \"o\"\ngetvariable\npush \"nodeName\" \"string\"\nsetmember\n" + Trace(Call(ei, "_toAS", {"o"})) +
           "push \"o\"\ngetvariable\npush \"nodeName\" \"true\"\nsetmember\n" + Trace(Call(ei, "_toAS", {"o"})),
       "-2.5\nNaN\n-2.5 \ntrue"},
  });
}

// In a playing movie: Color and Transform change the clip's placement, and
// an XML load comes back through onLoad once the host answers.
TEST(ScriptXml, MovieClipsPlacementAndLoads) {
  const std::string actions =
      New("c", "Color", {"b"}) + Do(Call("c", "setRGB", {"1056816"})) + Trace(Call("c", "getRGB")) +
      "push \"t\"\n" + Push("b.transform") + "setvariable\n" + Trace("t.colorTransform") +
      "push \"b\"\ngetvariable\npush \"_x\" 5\nsetmember\n" + Trace("t.matrix") + New("x", "XML") +
      "push \"x\"\ngetvariable\npush \"onLoad\"\nfunction \"\" \"ok\"\npush \"ok\"\ngetvariable\ntrace\n"
      "push \"this\"\ngetvariable\ntrace\nend\nsetmember\n" +
      Do(Call("x", "load", {"\"d.xml\""}));
  movie_test::Rig r("size 100 100\nshape dot\n  fill f solid #0000ff\n  rect 0 0 5 5 fill f\nend\n"
                    "sprite box\n  place dot 1\n  show\nend\nplace box 1 name b\nactions\n" +
                    actions + "end\nshow\n");
  r.instance.Step();
  EXPECT_TRUE(r.LogHas("trace: 1056816"));
  EXPECT_TRUE(r.LogHas("trace: (redMultiplier=0, greenMultiplier=0, blueMultiplier=0, alphaMultiplier=1, "
                       "redOffset=16, greenOffset=32, blueOffset=48, alphaOffset=0)"));
  EXPECT_TRUE(r.LogHas("trace: (a=1, b=0, c=0, d=1, tx=5, ty=0)"));
  ASSERT_EQ(r.host.lastRequest, 1);
  const std::string text = "<d>1</d>";
  r.instance.DeliverData(1, reinterpret_cast<const uint8_t*>(text.data()), text.size());
  r.instance.FinishRequest(1, true);
  EXPECT_TRUE(r.LogHas("trace: true"));
  EXPECT_TRUE(r.LogHas("trace: <d>1</d>"));
}
