// The package's resources: the player movie and the four skins are linked
// into every program that links the package, found by name without regard to
// case, and are valid compressed version 8 movies. The player movie has the
// instance flv and answers its two callbacks; each skin draws its bar in its
// own colours.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "renderers/engine/movie.h"
#include "renderers/engine/reader.h"

namespace {

// The bytes of an RCDATA resource of this program, or nothing.
std::vector<uint8_t> Resource(const wchar_t* Name) {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC info = FindResourceW(module, Name, RT_RCDATA);
  if (!info) return {};
  HGLOBAL data = LoadResource(module, info);
  const auto* p = static_cast<const uint8_t*>(LockResource(data));
  return std::vector<uint8_t>(p, p + SizeofResource(module, info));
}

class QuietHost : public swf::MovieHost {
 public:
  void RequestUrl(int, const std::string&, const std::string&) override {}
  void FSCommand(const std::string&, const std::string&) override {}
  std::string CallExternal(const std::string&, const std::vector<swf::ExternalValue>&) override { return {}; }
  void Invalidate(const swf::IntRect&) override {}
  void Log(const std::string& Text) override { log.push_back(Text); }
  std::vector<std::string> log;
};

std::shared_ptr<const swf::Movie> LoadChecked(const wchar_t* Name, const std::vector<uint8_t>& Bytes) {
  EXPECT_GT(Bytes.size(), 8u) << "resource " << std::string(Name, Name + wcslen(Name)) << " is missing";
  if (Bytes.size() <= 8) return nullptr;
  EXPECT_EQ(std::string(Bytes.begin(), Bytes.begin() + 3), "CWS");
  std::shared_ptr<const swf::Movie> movie = swf::LoadMovie(Bytes.data(), Bytes.size());
  EXPECT_EQ(movie->version, 8);
  EXPECT_TRUE(movie->compressed);
  return movie;
}

TEST(PackageResources, EveryMovieIsFoundWhateverTheCaseOfItsName) {
  for (const wchar_t* name : {L"FLVPLAYBACK", L"flvplayback", L"CLEAROVERALL", L"ClearOverAll",
                              L"STEELOVERALL", L"steelOverAll", L"MOJAVEOVERALL", L"MojaveOverAll",
                              L"ARCTICOVERALL", L"arcticoverall"}) {
    SCOPED_TRACE(std::string(name, name + wcslen(name)));
    LoadChecked(name, Resource(name));
  }
  EXPECT_TRUE(Resource(L"FLVPLAYBACK.SWF").empty()) << "resources are named without the extension";
}

TEST(PackageResources, PlayerMovieHasTheInstanceFlvAndItsTwoCallbacks) {
  auto movie = LoadChecked(L"FLVPLAYBACK", Resource(L"FLVPLAYBACK"));
  ASSERT_TRUE(movie);
  QuietHost host;
  swf::MovieInstance instance(movie, host);
  instance.Step();
  // The drivers' three variables reach the instance flv.
  instance.SetVariable("flv.skin", "ClearOverAll.swf");
  instance.SetVariable("flv.volume", "50");
  instance.SetVariable("flv.contentPath", "http://vt-d7.invalid/clip.flv");
  EXPECT_EQ(instance.GetVariable("flv.skin"), "ClearOverAll.swf");
  EXPECT_EQ(instance.GetVariable("flv.volume"), "50");
  EXPECT_EQ(instance.GetVariable("flv.contentPath"), "http://vt-d7.invalid/clip.flv");
  // The requests the drivers send, without arguments.
  EXPECT_EQ(instance.CallFunction("<invoke name=\"stopflv\" returntype=\"xml\"></invoke>"),
            "<string>paused</string>");
  EXPECT_EQ(instance.GetVariable("flv.state"), "paused");
  EXPECT_EQ(instance.CallFunction("<invoke name=\"playflv\" returntype=\"xml\"></invoke>"),
            "<string>playing</string>");
  EXPECT_EQ(instance.GetVariable("flv.state"), "playing");
  EXPECT_EQ(instance.CallFunction("<invoke name=\"nosuch\" returntype=\"xml\"></invoke>"), "<undefined/>");
  EXPECT_TRUE(host.log.empty()) << host.log.front();
}

TEST(PackageResources, EachSkinDrawsItsBarInItsOwnColours) {
  std::set<uint32_t> bars, buttons;
  for (const wchar_t* name : {L"CLEAROVERALL", L"STEELOVERALL", L"MOJAVEOVERALL", L"ARCTICOVERALL"}) {
    SCOPED_TRACE(std::string(name, name + wcslen(name)));
    auto movie = LoadChecked(name, Resource(name));
    ASSERT_TRUE(movie);
    QuietHost host;
    swf::MovieInstance instance(movie, host);
    instance.SetViewport(320, 40);
    instance.Step();
    std::vector<uint32_t> pixels(320 * 40);
    instance.Render({pixels.data(), 320, 40, 320 * 4}, {0, 0, 320, 40}, false);
    const uint32_t bar = pixels[30 * 320 + 160], button = pixels[20 * 320 + 11];
    EXPECT_EQ(bar >> 24, 0xFFu);
    EXPECT_NE(bar, button) << "the play button stands out of the bar";
    bars.insert(bar);
    buttons.insert(button);
  }
  EXPECT_EQ(bars.size(), 4u);
  EXPECT_EQ(buttons.size(), 4u);
}

}  // namespace
