// Text fields, TextFormat, Sound and NetConnection as scripts see them.
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
