// Text fields, TextFormat, TextField.StyleSheet, Sound, PrintJob, FileReference and NetConnection as
// scripts see them.
#include <gtest/gtest.h>

#include <string>

#include "tests/portable/engine/movie_fakes.h"
#include "tests/portable/engine/script_fakes.h"

namespace {

// Runs Instructions in the first frame of a movie that holds Stage (swfc
// statements placing things) and gives the traces, a line each.
std::string MovieTraces(const std::string& Stage, const std::string& Instructions) {
  movie_test::Rig r(Stage + "\nactions\n" + Instructions + "\nend\nshow\n");
  r.instance.Step();
  std::string out;
  for (const std::string& l : r.host.logs)
    if (l.rfind("trace: ", 0) == 0) out += (out.empty() ? "" : "\n") + l.substr(7);
  return out;
}

// Pushes the member Name of the variable Of and traces it.
std::string TraceMember(const std::string& Of, const std::string& Name) {
  return "push \"" + Of + "\"\ngetvariable\npush \"" + Name + "\"\ngetmember\ntrace\n";
}
std::string SetMember(const std::string& Of, const std::string& Name, const std::string& Value) {
  return "push \"" + Of + "\"\ngetvariable\npush \"" + Name + "\" " + Value + "\nsetmember\n";
}

TEST(ScriptText, PlacedFieldIsAnObjectWithTheDefinitionsProperties) {
  const std::string stage =
      "edittext f 100 20 html multiline border readonly var v text \"<b>Hi</b> there\"\nplace f 1 at 10 20 name fld";
  struct Case {
    std::string script, want;
  };
  const Case cases[] = {
      {"push \"fld\"\ngetvariable\ntypeof\ntrace", "object"},
      {TraceMember("fld", "text") + TraceMember("fld", "htmlText"), "Hi there\n<b>Hi</b> there"},
      {TraceMember("fld", "_x") + TraceMember("fld", "_y") + TraceMember("fld", "_width") + TraceMember("fld", "_name"),
       "10\n20\n100\nfld"},
      {TraceMember("fld", "length") + TraceMember("fld", "variable") + TraceMember("fld", "type"), "8\nv\ndynamic"},
      {TraceMember("fld", "_focusrect"), "null"},
      {TraceMember("fld", "border") + TraceMember("fld", "background") + TraceMember("fld", "multiline") +
           TraceMember("fld", "wordWrap"),
       "true\ntrue\ntrue\nfalse"},
      // Setting text in an HTML field shows it as text, markup and all.
      {SetMember("fld", "text", "\"a<b\"") + TraceMember("fld", "text") + TraceMember("fld", "htmlText"),
       "a<b\na&lt;b"},
      // The bound variable takes text set through the field.
      {SetMember("fld", "text", "\"new\"") + "push \"v\"\ngetvariable\ntrace", "new"},
      // The box takes the size asked; the scale stays.
      {SetMember("fld", "_width", "50") + TraceMember("fld", "_width") + TraceMember("fld", "_xscale"), "50\n100"},
      {SetMember("fld", "textColor", "16744448") + TraceMember("fld", "textColor") +
           SetMember("fld", "type", "\"INPUT\"") + TraceMember("fld", "type") +
           SetMember("fld", "type", "\"other\"") + TraceMember("fld", "type"),
       "16744448\ninput\ninput"},
      {SetMember("fld", "variable", "null") + TraceMember("fld", "variable") + SetMember("fld", "maxChars", "5") +
           TraceMember("fld", "maxChars") + SetMember("fld", "maxChars", "0") + TraceMember("fld", "maxChars"),
       "null\n5\nnull"},
      {SetMember("fld", "antiAliasType", "\"advanced\"") + SetMember("fld", "gridFitType", "\"bad\"") +
           TraceMember("fld", "antiAliasType") + TraceMember("fld", "gridFitType"),
       "advanced\npixel"},
      // Read through the prototype itself, the properties have no field.
      {"push \"TextField\"\ngetvariable\npush \"prototype\"\ngetmember\npush \"text\"\ngetmember\ntrace", "undefined"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    EXPECT_EQ(MovieTraces(stage, c.script), c.want);
  }
}

TEST(ScriptText, CreatedFieldsFollowAutoSizeAndGoWhenRemoved) {
  const std::string make = "push 30 100 7 5 3 \"t\" 6 \"this\"\ngetvariable\npush \"createTextField\"\ncallmethod\ntrace\n";
  EXPECT_EQ(MovieTraces("", make + TraceMember("t", "_x") + TraceMember("t", "_height") + TraceMember("t", "text") +
                                "push 0 \"t\"\ngetvariable\npush \"getDepth\"\ncallmethod\ntrace\n" +
                                TraceMember("t", "autoSize")),
            "_level0.t\n5\n30\n\n3\nnone");
  // autoSize takes true, false and the names in any case; anything else is none.
  std::string script = make;
  for (const char* v : {"true", "\"Right\"", "false", "\"CENTER\"", "2", "\"middle\""})
    script += SetMember("t", "autoSize", v) + TraceMember("t", "autoSize");
  EXPECT_EQ(MovieTraces("", script), "_level0.t\nleft\nright\nnone\ncenter\nnone\nnone");
  // Without text, an auto-sized field shrinks to its gutter; from the right, it moves right.
  EXPECT_EQ(MovieTraces("", make + SetMember("t", "autoSize", "\"right\"") + TraceMember("t", "_width") +
                                TraceMember("t", "_x")),
            "_level0.t\n4\n101");
  EXPECT_EQ(MovieTraces("", make + "push 0 \"t\"\ngetvariable\npush \"removeTextField\"\ncallmethod\npop\n" +
                                "push \"t\"\ngetvariable\ntypeof\ntrace"),
            "_level0.t\nundefined");
  // tabIndex wraps into 0..2^32-1 as a clip's does; what is no number is 0.
  EXPECT_EQ(MovieTraces("", make + SetMember("t", "tabIndex", "-4") + TraceMember("t", "tabIndex") +
                                SetMember("t", "tabIndex", "\"x\"") + TraceMember("t", "tabIndex")),
            "_level0.t\n4294967292\n0");
}

TEST(ScriptText, TextFormatMembersAreNullUntilSetAndRoundAsTheVersionDoes) {
  struct Case {
    int version;
    std::string script, want;
  };
  const std::string made = "push true 0 1.5 \"Arial\" 4 \"TextFormat\"\nnewobject\nstoreregister 1\npop\n";
  auto member = [](const char* Name) { return std::string("push r1 \"") + Name + "\"\ngetmember\ntrace\n"; };
  auto set = [](const char* Name, const char* V) { return std::string("push r1 \"") + Name + "\" " + V + "\nsetmember\n"; };
  const Case cases[] = {
      // The constructor truncates; bold is a boolean; what was not given is null.
      {8, made + member("font") + member("size") + member("bold") + member("align") + member("url"),
       "Arial\n1\ntrue\nnull\nnull"},
      // Setters round halves to even from SWF 8 and truncate before.
      {8, made + set("size", "2.5") + member("size") + set("size", "3.5") + member("size"), "2\n4"},
      {7, made + set("size", "3.5") + member("size"), "3"},
      // Margins never go below zero; indents only before SWF 8.
      {8, made + set("leftMargin", "-4") + member("leftMargin") + set("indent", "-4") + member("indent"), "0\n-4"},
      {7, made + set("indent", "-4") + member("indent"), "0"},
      // Colours are 32-bit unsigned; align keeps its value when given a bad one.
      {8, made + set("color", "-1") + member("color") + set("align", "\"Center\"") + set("align", "\"middle\"") +
              member("align"),
       "4294967295\ncenter"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    script_test::World w(c.version);
    EXPECT_EQ(w.Traces(std::string(c.script)), c.want);
  }
}

TEST(ScriptText, FieldFormatAppliesAndReadsBack) {
  const std::string stage = "edittext f 100 20 color #102030 text \"x\"\nplace f 1 name fld";
  const std::string script =
      "push \"Courier\" 1 \"TextFormat\"\nnewobject\nstoreregister 1\npop\n"
      "push r1 \"size\" 20\nsetmember\npush r1 \"align\" \"right\"\nsetmember\n"
      "push r1 1 \"fld\"\ngetvariable\npush \"setTextFormat\"\ncallmethod\npop\n"
      "push 0 \"fld\"\ngetvariable\npush \"getTextFormat\"\ncallmethod\nstoreregister 2\npop\n"
      "push r2 \"font\"\ngetmember\ntrace\npush r2 \"size\"\ngetmember\ntrace\n"
      "push r2 \"align\"\ngetmember\ntrace\npush r2 \"color\"\ngetmember\ntrace\n";
  EXPECT_EQ(MovieTraces(stage, script), "Courier\n20\nright\n1056816");
}

TEST(ScriptText, HtmlColoursAndParagraphEndsReadAsThePlayers) {
  const std::string stage =
      "edittext f 100 20 html text \"x\"\nplace f 1 name one\n"
      "edittext g 100 20 html multiline text \"x\"\nplace g 2 name two";
  // The inner font's colour as getTextFormat(1, 3) reads it, inside an outer #123456.
  auto inner = [](const std::string& Color) {
    return SetMember("one", "htmlText", "\"<font color='#123456'>x<font color='" + Color + "'>in</font>x</font>\"") +
           "push 16 1 3 1 2 \"one\"\ngetvariable\npush \"getTextFormat\"\ncallmethod\npush \"color\"\n"
           "getmember\npush \"toString\"\ncallmethod\ntrace\n";
  };
  struct Case {
    std::string script, want;
  };
  const Case cases[] = {
      // '#', any blanks, then hex digits up to another character; the last six count.
      {inner("#abc") + inner("# 234567") + inner("#2g") + inner("#23456789a") + inner("#ABC"),
       "abc\n234567\n2\n56789a\nabc"},
      // Without '#' or a digit the colour is ignored: the outer one stays.
      {inner("202020") + inner("#g1") + inner(" #234567"), "123456\n123456\n123456"},
      // A multi-line field's text keeps the break ending its last paragraph; a single-line one drops it.
      {SetMember("one", "htmlText", "\"<p>a</p>\"") + SetMember("two", "htmlText", "\"<p>a</p><p>b</p>\"") +
           "push \"[\" \"one\"\ngetvariable\npush \"text\"\ngetmember\nadd2\npush \"]\"\nadd2\ntrace\n"
           "push \"[\" \"two\"\ngetvariable\npush \"text\"\ngetmember\nadd2\npush \"]\"\nadd2\ntrace\n",
       "[a]\n[a\rb\r]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    EXPECT_EQ(MovieTraces(stage, c.script), c.want);
  }
}

// A clip showing static text.
class TextClip : public script_test::FakeClip {
 public:
  using FakeClip::FakeClip;
  std::string StaticText() override { return "ABCDEFab"; }
};

TEST(ScriptText, SnapshotFindsTextAsAskedAndNothingWithoutItsThreeArguments) {
  script_test::World w(8);
  TextClip clip(w.runtime, "", nullptr, &w.levels, 5);  // the root of _level5
  w.levels[5] = &clip;
  const std::string snap = "push 0 \"this\"\ngetvariable\npush \"getTextSnapshot\"\ncallmethod\nstoreregister 1\npop\n";
  auto find = [](const std::string& Args, int Count) {
    return "push " + Args + " " + std::to_string(Count) + " r1 \"findText\"\ncallmethod\ntrace\n";
  };
  struct Case {
    std::string script, want;
  };
  const Case cases[] = {
      {"push 0 r1 \"getCount\"\ncallmethod\ntrace\npush 4 2 2 r1 \"getText\"\ncallmethod\ntrace", "8\nCD"},
      {find("true \"CD\" 0", 3) + find("true \"cd\" 0", 3) + find("false \"cd\" 0", 3), "2\n-1\n2"},
      {find("true \"ab\" 7", 3) + find("true \"\" 0", 3) + find("true \"A\" -1", 3), "-1\n-1\n-1"},
      {find("\"A\" 0", 2) + find("1 true \"A\" 0", 4), "undefined\nundefined"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    w.host.traces.clear();
    w.Run(snap + c.script, &clip);
    std::string out;
    for (const std::string& t : w.host.traces) out += (out.empty() ? "" : "\n") + t;
    EXPECT_EQ(out, c.want);
  }
}

TEST(ScriptText, StyleSheetReadsCssAsThePlayerDoes) {
  // r1 is a new sheet; parse(css) traces what parseCSS answers; member(sel,
  // name) traces a member of the style getStyle gives.
  const std::string sheet =
      "push 0 \"TextField\"\ngetvariable\npush \"StyleSheet\"\nnewmethod\nstoreregister 1\npop\n";
  auto parse = [](const std::string& Css) { return "push \"" + Css + "\" 1 r1 \"parseCSS\"\ncallmethod\ntrace\n"; };
  auto style = [](const std::string& Sel) { return "push \"" + Sel + "\" 1 r1 \"getStyle\"\ncallmethod\n"; };
  auto member = [&](const std::string& Sel, const std::string& Name) {
    return style(Sel) + "push \"" + Name + "\"\ngetmember\ntrace\n";
  };
  struct Case {
    std::string script, want;
  };
  const Case cases[] = {
      // Selector lists share a block; a value keeps its trailing blanks up to '}'.
      {parse("a, b { color: red; font-size: 5 }") + member("a", "color") + member("b", "fontSize"), "true\nred\n5 "},
      // A blank inside a selector or a name rejects the whole text.
      {parse("ok { c: 1 } long key { c: 2 }") + style("ok") + "trace\n", "false\nnull"},
      {parse("k { some name: v }"), "false"},
      // A name runs to ':' (';' included); after a ';' the next name starts at once.
      {parse("e{k;o: v;}") + member("e", "k;o") + parse("b{;;k: v;;o: w;}") + member("b", ";o"), "true\nv\ntrue\nw"},
      // ...so a stray ';' before '}' leaves a name with no ':'.
      {parse("d{k: v;;}"), "false"},
      // A block may stay open at the end, not inside a declaration.
      {parse("a{") + style("a") + "typeof\ntrace\n" + parse("a{k:v") + parse("a{k:"), "true\nobject\nfalse\nfalse"},
      // '}' before '{' is part of the selector; an empty name is dropped.
      {parse("a}{:x}") + style("a}") + "typeof\ntrace\n" + member("a}", ""), "true\nobject\nundefined"},
      {parse("{c:1}") + parse("only"), "false\nfalse"},
      // A rejected text changes nothing; styles parsed before stay.
      {parse("x{c:1}") + parse("x{c:2}; junk") + member("x", "c"), "true\nfalse\n1"},
      // Dashes go from names and raise the next letter.
      {parse("k{font-size: 1; a--b: 2; UP-X: 3}") + member("k", "fontSize") + member("k", "a-b") + member("k", "UPX"),
       "true\n1\n2\n3"},
      // Names are case-sensitive.
      {parse("K{c:1}") + style("k") + "trace\n", "true\nnull"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    script_test::World w(8);
    EXPECT_EQ(w.Traces(sheet + c.script), c.want);
  }
}

TEST(ScriptText, StyleSheetKeepsCopiesAndTransformsThemToFormats) {
  const std::string sheet =
      "push 0 \"TextField\"\ngetvariable\npush \"StyleSheet\"\nnewmethod\nstoreregister 1\npop\n"
      "push \"color\" \"#FF0000\" \"fontWeight\" \"bold\" \"textAlign\" \"center\" 3\ninitobject\nstoreregister 2\npop\n";
  const std::string set = "push r2 \"s\" 2 r1 \"setStyle\"\ncallmethod\npop\n";
  const std::string get = "push \"s\" 1 r1 \"getStyle\"\ncallmethod\n";
  struct Case {
    std::string script, want;
  };
  const Case cases[] = {
      // No tables until a style is set.
      {"push r1 \"_css\"\ngetmember\ntypeof\ntrace\n" + set + "push r1 \"_css\"\ngetmember\ntypeof\ntrace\n",
       "undefined\nobject"},
      // setStyle keeps a copy, getStyle gives a new copy each time.
      {set + "push r2 \"color\" \"blue\"\nsetmember\n" + get + "push \"color\"\ngetmember\ntrace\n" + get + get +
           "strictequals\ntrace\n",
       "#FF0000\nfalse"},
      // Anything but an object keeps the name with no style.
      {"push 5 \"n\" 2 r1 \"setStyle\"\ncallmethod\npop\npush \"n\" 1 r1 \"getStyle\"\ncallmethod\ntrace\n"
       "push 0 r1 \"getStyleNames\"\ncallmethod\ntrace\n",
       "null\nn"},
      // _styles holds the format transform makes of the style.
      {set + "push r1 \"_styles\"\ngetmember\npush \"s\"\ngetmember\nstoreregister 3\npop\n"
             "push r3 \"color\"\ngetmember\ntrace\npush r3 \"bold\"\ngetmember\ntrace\npush r3 \"align\"\ngetmember\ntrace\n",
       "16711680\ntrue\ncenter"},
      {set + "push 0 r1 \"clear\"\ncallmethod\npop\n" + get + "trace\n", "null"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    script_test::World w(8);
    EXPECT_EQ(w.Traces(sheet + c.script), c.want);
  }
}

TEST(ScriptText, FieldBoxesAreSizedBeforeTheirScaleAndMeasuredInTwips) {
  const std::string stage = "edittext f 100 30 text \"x\"\nplace f 1 name fld";
  struct Case {
    std::string script, want;
  };
  const Case cases[] = {
      // At _xscale 200, _width = 20 makes a box 20 wide that shows 40 wide.
      {SetMember("fld", "_xscale", "200") + SetMember("fld", "_width", "20") + TraceMember("fld", "_width") +
           TraceMember("fld", "_xscale"),
       "40\n200"},
      // A turned box's corners land on whole twips.
      {SetMember("fld", "_rotation", "200") + TraceMember("fld", "_width") + TraceMember("fld", "_height"),
       "104.2\n62.4"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    EXPECT_EQ(MovieTraces(stage, c.script), c.want);
  }
}

TEST(ScriptMedia, PrintJobAndFileReferencesAnswerWithoutPrinterOrDialog) {
  struct Case {
    int version;
    std::string script, want;
  };
  const std::string job = "push 0 \"PrintJob\"\nnewobject\nstoreregister 1\npop\n";
  const std::string list =
      "push 0 \"flash\"\ngetvariable\npush \"net\"\ngetmember\npush \"FileReferenceList\"\nnewmethod\nstoreregister 1\npop\n";
  const std::string file =
      "push 0 \"flash\"\ngetvariable\npush \"net\"\ngetmember\npush \"FileReference\"\nnewmethod\nstoreregister 1\npop\n";
  const Case cases[] = {
      // The sizes read 0 and stay so; the methods come with SWF 7.
      {7, job + "push r1 \"pageWidth\" 5\nsetmember\npush r1 \"pageWidth\"\ngetmember\ntrace\n"
                "push 0 r1 \"start\"\ncallmethod\ntrace\n",
       "0\nfalse"},
      {6, job + "push r1 \"paperHeight\"\ngetmember\ntrace\npush r1 \"start\"\ngetmember\ntypeof\ntrace\n", "0\nundefined"},
      // Broadcasters with no listeners yet; browse opens a dialog no one answers.
      {8, list + "push r1 \"_listeners\"\ngetmember\npush \"length\"\ngetmember\ntrace\n"
                 "push 0 r1 \"browse\"\ncallmethod\ntrace\npush r1 \"fileList\"\ngetmember\ntrace\n",
       "0\ntrue\nundefined"},
      {8, file + "push 0 r1 \"download\"\ncallmethod\ntrace\npush \"u\" 1 r1 \"download\"\ncallmethod\ntrace\n"
                 "push \"u\" 1 r1 \"upload\"\ncallmethod\ntrace\npush r1 \"name\"\ngetmember\ntrace\n",
       "false\ntrue\nfalse\nundefined"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    script_test::World w(c.version);
    EXPECT_EQ(w.Traces(c.script), c.want);
  }
}

TEST(ScriptMedia, SoundLevelsBelongToTheClipAndNumbersWrapAsThePlayers) {
  const std::string stage = "sprite s\nshow\nend\nplace s 1 name mc";
  auto sound = [](const char* Var, const char* Target) {
    return std::string("push ") + Target + " 1 \"Sound\"\nnewobject\npush \"" + Var + "\"\nstackswap\nsetvariable\n";
  };
  auto call = [](const char* Var, const char* Method, const char* Args, int Count) {
    return std::string("push ") + Args + " " + std::to_string(Count) + " \"" + Var + "\"\ngetvariable\npush \"" +
           Method + "\"\ncallmethod\n";
  };
  const std::string clipTarget = "\"mc\"";
  const std::string script =
      sound("a", clipTarget.c_str()) + sound("b", clipTarget.c_str()) + call("a", "setVolume", "50.7", 1) + "pop\n" +
      call("b", "getVolume", "", 0) + "trace\n" + call("a", "setPan", "-25", 1) + "pop\n" +
      call("b", "getPan", "", 0) + "trace\n" + call("a", "setVolume", "3000000000", 1) + "pop\n" +
      call("a", "getVolume", "", 0) + "trace\n" + sound("g", "undefined") + call("g", "getVolume", "", 0) + "trace\n" +
      sound("gone", "\"nothing\"") + call("gone", "getVolume", "", 0) + "trace\n";
  EXPECT_EQ(MovieTraces(stage, script), "50\n-25\n-2147483648\n100\nundefined");
}

// A clip whose class extends Sound (super() runs Sound on the clip) keeps
// its levels on the clip.
TEST(ScriptMedia, SoundMethodsWorkOnAClipMadeASound) {
  const std::string stage = "sprite s\nshow\nend\nplace s 1 name mc";
  auto method = [](const char* Name) {
    return std::string("\"Sound\"\ngetvariable\npush \"prototype\"\ngetmember\npush \"") + Name +
           "\"\ngetmember\npush \"call\"\ncallmethod\n";
  };
  const std::string script = "push \"mc\"\ngetvariable\npush 1 \"Sound\"\ngetvariable\npush \"call\"\ncallmethod\npop\n"
                             "push \"mc\"\ngetvariable\npush 1 " + method("getVolume") + "trace\n"
                             "push 10 \"mc\"\ngetvariable\npush 2 " + method("setVolume") + "pop\n"
                             "push \"mc\"\ngetvariable\npush 1 " + method("getVolume") + "trace\n"
                             "push 0\ninitobject\npush 1 " + method("getVolume") + "trace\n";
  EXPECT_EQ(MovieTraces(stage, script), "100\n10\nundefined");
}

TEST(ScriptMedia, SoundTransformTakesOwnMembersAndPanCountsMagnitudes) {
  const std::string make = "push 0 \"Sound\"\nnewobject\nstoreregister 1\npop\n";
  auto transform = [](const std::string& Members, int Count) {
    return "push " + Members + " " + std::to_string(Count) + "\ninitobject\nstoreregister 2\npop\n"
           "push r2 1 r1 \"setTransform\"\ncallmethod\npop\n";
  };
  const std::string pan = "push 0 r1 \"getPan\"\ncallmethod\ntrace\n";
  const std::string ll = "push 0 r1 \"getTransform\"\ncallmethod\npush \"ll\"\ngetmember\ntrace\n";
  struct Case {
    std::string script, want;
  };
  const Case cases[] = {
      // A side turned negative pans as far as its magnitude.
      {transform("\"ll\" -100 \"rr\" 100", 2) + pan + transform("\"ll\" 100 \"rr\" -50", 2) + pan, "0\n-50"},
      // setTransform wraps numbers to 32 bits (NaN is 0).
      {transform("\"ll\" 3000000000", 1) + ll + transform("\"ll\" \"x\"", 1) + ll, "-1294967296\n0"},
      // Members the object inherits are not taken.
      {transform("\"ll\" 10", 1) + "push \"p\" \"ll\" 50 1\ninitobject\nsetvariable\n"
                                     "push 0\ninitobject\nstoreregister 2\npush \"__proto__\" \"p\"\ngetvariable\nsetmember\n"
                                     "push r2 1 r1 \"setTransform\"\ncallmethod\npop\n" + ll,
       "10"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    script_test::World w(8);
    EXPECT_EQ(w.Traces(make + c.script), c.want);
  }
}

TEST(ScriptMedia, NetConnectionReportsLocalConnectionsOnly) {
  const std::string script =
      "push \"c\" 0 \"NetConnection\"\nnewobject\nsetvariable\n"
      "push \"c\"\ngetvariable\npush \"onStatus\"\nfunction2 \"\" registers 2 args e=1\npush r1 \"code\"\ngetmember\ntrace\nend\nsetmember\n"
      "push null 1 \"c\"\ngetvariable\npush \"connect\"\ncallmethod\ntrace\n"
      "push \"c\"\ngetvariable\npush \"isConnected\"\ngetmember\ntrace\n"
      "push 0 \"c\"\ngetvariable\npush \"close\"\ncallmethod\npop\n"
      "push \"c\"\ngetvariable\npush \"isConnected\"\ngetmember\ntrace\n";
  script_test::World w(8);
  EXPECT_EQ(w.Traces(script), "NetConnection.Connect.Success\ntrue\ntrue\nNetConnection.Connect.Closed\nfalse");
}

}  // namespace

namespace {

std::string CallSelection(const std::string& Method, const std::string& Args, int Count) {
  return "push " + Args + (Args.empty() ? "" : " ") + std::to_string(Count) +
         " \"Selection\"\ngetvariable\npush \"" + Method + "\"\ncallmethod\ntrace\n";
}
std::string Focus(const std::string& Var) {
  return "push \"" + Var + "\"\ngetvariable\npush 1 \"Selection\"\ngetvariable\npush \"setFocus\"\ncallmethod\ntrace\n";
}
const std::string kIndices = CallSelection("getBeginIndex", "", 0) + CallSelection("getCaretIndex", "", 0) +
                             CallSelection("getEndIndex", "", 0);

}  // namespace

TEST(ScriptText, KerningComesFromTheMarkupForTheTextOnly) {
  const std::string stage =
      "edittext f 100 20 html text \"<p><font face='Arial' kerning='1'>a</font></p>\"\nplace f 1 name fld";
  auto kerning = [](const std::string& Method) {
    return "push 0 \"fld\"\ngetvariable\npush \"" + Method + "\"\ncallmethod\npush \"kerning\"\ngetmember\ntrace\n";
  };
  EXPECT_EQ(MovieTraces(stage, kerning("getTextFormat") + kerning("getNewTextFormat")), "true\nfalse");
  EXPECT_EQ(MovieTraces(stage, SetMember("fld", "htmlText", "\"<font kerning='0'>b</font>\"") +
                                   kerning("getTextFormat")),
            "false");
}

TEST(ScriptText, FocusGoesWhereItMayAndSelectsTheFieldsText) {
  const std::string stage =
      "edittext f 100 20 text \"abcd\"\nplace f 1 name fld\nsprite s\nend\nplace s 2 name clip";
  const std::string listen =
      "push \"l\" 0\ninitobject\nsetvariable\npush \"l\"\ngetvariable\npush \"onSetFocus\"\n"
      "function2 \"\" registers 3 args o=1 n=2\npush r1 \">\" \nadd2\npush r2\nadd2\ntrace\nend\nsetmember\n"
      "push \"l\"\ngetvariable\npush 1 \"Selection\"\ngetvariable\npush \"addListener\"\ncallmethod\npop\n";
  struct Case {
    std::string script, want;
  };
  const Case cases[] = {
      // A clip takes the focus only when focusEnabled or a button handler says it may.
      {Focus("clip") + CallSelection("getFocus", "", 0), "false\nnull"},
      {SetMember("clip", "focusEnabled", "true") + Focus("clip") + CallSelection("getFocus", "", 0),
       "true\n_level0.clip"},
      {SetMember("clip", "onRelease", "1") + Focus("clip"), "true"},
      {"push false 1 \"Selection\"\ngetvariable\npush \"setFocus\"\ncallmethod\ntrace\n" +
           CallSelection("setFocus", "null", 1),
       "false\ntrue"},
      // Listeners hear the change before the field's text is selected.
      {listen + "push \"l\"\ngetvariable\npush \"onSetFocus\"\nfunction2 \"\" registers 1\n" + kIndices +
           "end\nsetmember\n" + Focus("fld") + kIndices,
       "-1\n-1\n-1\ntrue\n0\n4\n4"},
      // The selection runs from the first end given to the second, held within the text.
      {Focus("fld") + CallSelection("setSelection", "1 3", 2) + kIndices + CallSelection("setSelection", "0 -1", 1) +
           kIndices,
       "true\nundefined\n1\n1\n3\nundefined\n0\n4\n4"},
      // replaceSel puts its text in place of the selection: the caret at 0 without focus.
      {"push \"|\" 1 \"fld\"\ngetvariable\npush \"replaceSel\"\ncallmethod\npop\n" + TraceMember("fld", "text") +
           Focus("fld") + "push \"|\" 1 \"fld\"\ngetvariable\npush \"replaceSel\"\ncallmethod\npop\n" +
           "push \"-\" 1 \"fld\"\ngetvariable\npush \"replaceSel\"\ncallmethod\npop\n" + TraceMember("fld", "text"),
       "|abcd\ntrue\n|-"},
      // What is hidden loses the focus at once.
      {listen + SetMember("clip", "focusEnabled", "true") + Focus("clip") + SetMember("clip", "_visible", "false") +
           CallSelection("getFocus", "", 0) + Focus("fld") + SetMember("fld", "_visible", "false"),
       "null>_level0.clip\ntrue\n_level0.clip>null\nnull\nnull>_level0.fld\ntrue\n_level0.fld>null"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    EXPECT_EQ(MovieTraces(stage, c.script), c.want);
  }
}
