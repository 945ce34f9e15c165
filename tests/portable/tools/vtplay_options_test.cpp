// vtplay's command line: every option with its values, the defaults, and the
// mistakes that must be refused with a message naming them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/vtplay/options.h"

using vtplay::Click;
using vtplay::ParseOptions;
using vtplay::ParseResult;
using vtplay::PlayerChoice;
using vtplay::PluginChoice;

namespace {

ParseResult Parse(std::vector<std::wstring> Args) { return ParseOptions(Args); }

TEST(VtplayOptions, DefaultsPlayTheDemoOffScreen) {
  const ParseResult r = Parse({});
  ASSERT_TRUE(r.Ok());
  EXPECT_TRUE(r.Value.Movie.empty());
  EXPECT_FALSE(r.Value.Stdin);
  EXPECT_TRUE(r.Value.FormFile.empty());
  EXPECT_EQ(r.Value.Player, PlayerChoice::Offscreen);
  EXPECT_EQ(r.Value.Plugin, PluginChoice::Default);
  EXPECT_EQ(r.Value.Width, 320);
  EXPECT_EQ(r.Value.Height, 240);
  EXPECT_EQ(r.Value.Frames, 12);
  EXPECT_EQ(r.Value.Fps, 12);
  EXPECT_EQ(r.Value.OutDir, L"vtplay-out");
  EXPECT_FALSE(r.Value.AnswerGiven);
}

TEST(VtplayOptions, EveryOptionTakesItsValue) {
  const ParseResult r =
      Parse({L"--player", L"graphic", L"--plugin", L"netscape", L"--size", L"640x480", L"--frames", L"3",
             L"--fps", L"25", L"--out", L"frames", L"--set", L"a=1", L"--set", L"flv.skin=x=y.swf", L"--set",
             L"empty=", L"--call", L"<invoke name=\"f\"/>", L"--call", L"second", L"--click", L"10,20",
             L"--click", L"0,16383@7", L"--answer", L"", L"movie.swf"});
  ASSERT_TRUE(r.Ok()) << r.Error;
  const vtplay::Options& o = r.Value;
  EXPECT_EQ(o.Movie, L"movie.swf");
  EXPECT_EQ(o.Player, PlayerChoice::Graphic);
  EXPECT_EQ(o.Plugin, PluginChoice::Netscape);
  EXPECT_EQ(o.Width, 640);
  EXPECT_EQ(o.Height, 480);
  EXPECT_TRUE(o.SizeGiven);
  EXPECT_EQ(o.Frames, 3);
  EXPECT_EQ(o.Fps, 25);
  EXPECT_EQ(o.OutDir, L"frames");
  ASSERT_EQ(o.Variables.size(), 3u);
  EXPECT_EQ(o.Variables[1].first, L"flv.skin");
  EXPECT_EQ(o.Variables[1].second, L"x=y.swf") << "only the first '=' separates";
  EXPECT_EQ(o.Variables[2].second, L"");
  ASSERT_EQ(o.Calls.size(), 2u);
  EXPECT_EQ(o.Calls[0], L"<invoke name=\"f\"/>");
  ASSERT_EQ(o.Clicks.size(), 2u);
  EXPECT_EQ(o.Clicks[0].Frame, 1);
  EXPECT_EQ(o.Clicks[1].X, 0);
  EXPECT_EQ(o.Clicks[1].Y, 16383);
  EXPECT_EQ(o.Clicks[1].Frame, 7);
  EXPECT_TRUE(o.AnswerGiven) << "an empty answer is still an answer";
  EXPECT_EQ(o.Answer, L"");
}

TEST(VtplayOptions, MovieSources) {
  EXPECT_TRUE(Parse({L"--stdin"}).Value.Stdin);
  EXPECT_EQ(Parse({L"--form", L"main.dfm"}).Value.FormFile, L"main.dfm");
  EXPECT_TRUE(Parse({L"--form", L"main.dfm", L"--plugin", L"activex", L"--size", L"10x10"}).Ok());
  EXPECT_EQ(Parse({L"-"}).Value.Movie, L"-") << "a lone dash is a name";
  EXPECT_TRUE(Parse({L"--help"}).Value.Help);
}

TEST(VtplayOptions, EveryPlayerKind) {
  const std::pair<const wchar_t*, PlayerChoice> kinds[] = {{L"offscreen", PlayerChoice::Offscreen},
                                                           {L"graphic", PlayerChoice::Graphic},
                                                           {L"window", PlayerChoice::Window},
                                                           {L"layer", PlayerChoice::Layer}};
  for (const auto& [name, kind] : kinds) {
    const ParseResult r = Parse({L"--player", name, L"--click", L"1,2"});
    ASSERT_TRUE(r.Ok()) << r.Error;
    EXPECT_EQ(r.Value.Player, kind);
    EXPECT_TRUE(r.Value.PlayerGiven);
  }
  EXPECT_EQ(Parse({L"--player", L"Layer"}).Error,
            L"--player wants offscreen, graphic, window or layer, not 'Layer'");
  EXPECT_FALSE(Parse({L"--form", L"f.dfm", L"--player", L"window"}).Ok()) << "the form has its player";
  EXPECT_FALSE(Parse({L"--player", L"layer", L"--form", L"f.dfm"}).Ok());
}

TEST(VtplayOptions, MistakesAreRefusedWithAMessage) {
  const std::vector<std::vector<std::wstring>> bad = {
      {L"--frames"},
      {L"--frames", L"0"},
      {L"--frames", L"100001"},
      {L"--frames", L"-1"},
      {L"--fps", L"0"},
      {L"--fps", L"1001"},
      {L"--size", L"0x10"},
      {L"--size", L"10"},
      {L"--size", L"10x16385"},
      {L"--size", L"x"},
      {L"--player", L"windowed"},
      {L"--player", L"layered"},
      {L"--player", L""},
      {L"--plugin", L"Netscape"},
      {L"--set", L"=1"},
      {L"--set", L"novalue"},
      {L"--call", L""},
      {L"--click", L"10"},
      {L"--click", L"10,"},
      {L"--click", L"10,20@"},
      {L"--click", L"10,20@0"},
      {L"--click", L"-1,5"},
      {L"--click", L"16384,5"},
      {L"--click", L"1,2,3"},
      {L"--out", L""},
      {L"--form", L""},
      {L"--answer"},
      {L"--bogus"},
      {L""},
      {L"a.swf", L"b.swf"},
      {L"a.swf", L"--stdin"},
      {L"--form", L"f.dfm", L"a.swf"},
      {L"--form", L"f.dfm", L"--stdin"},
      {L"--form", L"f.dfm", L"--player", L"graphic"},
  };
  for (const auto& args : bad) {
    const ParseResult r = ParseOptions(args);
    std::wstring joined;
    for (const auto& a : args) joined += L"[" + a + L"]";
    EXPECT_FALSE(r.Ok()) << std::string(joined.begin(), joined.end());
  }
  EXPECT_EQ(Parse({L"--frames", L"x"}).Error, L"--frames wants a number from 1 to 100000, not 'x'");
  EXPECT_EQ(Parse({L"--set"}).Error, L"option --set needs a value");
  EXPECT_EQ(Parse({L"--nope"}).Error, L"unknown option --nope");
}

TEST(VtplayOptions, NumbersNeverOverflow) {
  int w = 0, h = 0;
  EXPECT_FALSE(vtplay::ParseSize(L"99999999999x1", w, h));
  EXPECT_FALSE(vtplay::ParseSize(L"4294967297x1", w, h));
  Click c;
  EXPECT_FALSE(vtplay::ParseClick(L"1,1@99999999999", c));
  EXPECT_TRUE(vtplay::ParseClick(L"16383,0@100000", c));
  EXPECT_EQ(c.Frame, 100000);
}

}  // namespace
