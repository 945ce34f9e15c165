// The sources a request of the module is served from, and their order:
// files, the application's folder, stored movies, application streams and
// the package's resources; query pairs set as variables after delivery.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h.
#include <psapi.h>


#include "netscape_fake_module.h"
#include "netscape_stream_helpers.h"

namespace {

using vt_test::Delivery;
using vt_test::NetscapeTest;
using vt_test::TCurrentFolder;
using vt_test::TStoredMovie;
using vt_test::TempFolder;
using vt_test::TTestFile;
using Lines = std::vector<std::string>;
using NetscapeStreamSources = NetscapeTest;

const std::string kRoot = vcl::WideToAnsi(vt::PlaceholderRoot);

// The first four lines of the log after a request for Url.
Lines Request(vt_test::TFakeModule& Fake, const std::string& Url) {
  Fake.ClearLog();
  Fake.GetURLNotify(Url.c_str(), nullptr);
  Lines lines = Fake.Lines();
  if (lines.size() > 4) lines.resize(4);
  return lines;
}

std::wstring ExeFolder() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring p = path;
  return p.substr(0, p.find_last_of(L"\\/") + 1);
}

TEST_F(NetscapeStreamSources, FilesWinOverStoredMoviesWhichWinOverResources) {
  const TCurrentFolder cwd(TempFolder());
  auto d = NewDriver();
  {
    // The resource alone, found without regard to case, from any folder.
    EXPECT_EQ(Request(*fake, "VtTestSkin.swf"), Delivery("VtTestSkin.swf", 18, "skin-from-resource"));
    EXPECT_EQ(Request(*fake, kRoot + "/vttestskin.swf"), Delivery("/vttestskin.swf", 18, "skin-from-resource"))
        << "under the placeholder root too";
    // A stored movie of the same name wins, found by its bare name; its
    // bytes are copied and stay where they are.
    const TStoredMovie stored(L"VTTESTSKIN.SWF", "stored");
    EXPECT_EQ(Request(*fake, kRoot + "/some/dir/vttestskin.swf"),
              Delivery("/some/dir/vttestskin.swf", 6, "stored"));
    EXPECT_EQ(stored.Item()->FStream->Size(), 6);
    // A file in the current folder wins over both.
    const TTestFile file(TempFolder() + L"vttestskin.swf", "from-file");
    EXPECT_EQ(Request(*fake, "vttestskin.swf"), Delivery("vttestskin.swf", 9, "from-file"));
    EXPECT_EQ(Request(*fake, "http://elsewhere.invalid/x/vttestskin.swf"),
              Delivery("http://elsewhere.invalid/x/vttestskin.swf", 9, "from-file"))
        << "the bare name finds the file before any download";
  }
  // A file beside the executable, asked for by a name relative to it.
  const TTestFile besideExe(ExeFolder() + L"vt_ns_beside_exe.swf", "beside");
  EXPECT_EQ(Request(*fake, "vt_ns_beside_exe.swf"), Delivery("vt_ns_beside_exe.swf", 6, "beside"));
  // Nothing of that name: no answer at all.
  EXPECT_EQ(Request(*fake, "vt_ns_nothing.swf"), Lines{});
  EXPECT_EQ(Request(*fake, "#1.swf"), Lines{});
}

TEST_F(NetscapeStreamSources, EscapesInEitherCaseAndThePlaceholderRootNameFiles) {
  const TTestFile file(TempFolder() + L"vt ns-escaped.swf", "esc");
  std::string url = file.Ansi();
  // Two separators as %2F and %2f, the blank and the dash escaped.
  url.replace(url.find('\\'), 1, "%2F");
  url.replace(url.find('\\'), 1, "%2f");
  url.replace(url.find("vt ns-"), 6, "vt%20ns%2D");
  auto d = NewDriver();
  EXPECT_EQ(Request(*fake, kRoot + url), Delivery(url, 3, "esc"));
  EXPECT_EQ(Request(*fake, kRoot + "file:///" + url), Delivery(url, 3, "esc"));
}

TEST_F(NetscapeStreamSources, QueryPairsBecomeVariablesAfterTheDelivery) {
  const TCurrentFolder cwd(TempFolder());
  const TTestFile file(TempFolder() + L"vt_ns_query.swf", "q");
  auto d = NewDriver();
  fake->ClearLog();
  fake->GetURLNotify((kRoot + "/vt_ns_query.swf ? x = 1 &y=two&").c_str(), nullptr);
  Lines lines = fake->Lines();
  ASSERT_GE(lines.size(), 6u);
  EXPECT_EQ(Lines(lines.begin(), lines.begin() + 4), Delivery("/vt_ns_query.swf", 1, "q"));
  EXPECT_EQ(Lines(lines.begin() + 4, lines.begin() + 6),
            (Lines{"invoke SetVariable str:x str:1", "invoke SetVariable str:y str:two"}));
  EXPECT_TRUE(lines[6].starts_with("NPP_SetWindow")) << "then the window refresh";

  // With "http:" anywhere the query stays part of the name, which names
  // nothing here.
  EXPECT_EQ(Request(*fake, "vt_ns_query.swf?from=http://x/"), Lines{});

  // A refused stream: nothing written, the variables still set.
  fake->Set("newstream", "1");
  fake->ClearLog();
  fake->GetURLNotify("vt_ns_query.swf?k=v", nullptr);
  EXPECT_EQ(fake->Lines("NPP_Write"), Lines{});
  EXPECT_EQ(fake->Lines("invoke"), (Lines{"invoke SetVariable str:k str:v"}));
}

// The name the driver gave the module for an application stream.
std::string LoadedName(vt_test::TFakeModule& Fake) {
  const Lines loads = Fake.Lines("invoke LoadMovie");
  if (loads.empty()) return {};
  return loads.back().substr(std::string("invoke LoadMovie int:0 str:").size());
}

TEST_F(NetscapeStreamSources, AnApplicationStreamIsCopiedWholeAndServedOnceUnderItsToken) {
  auto d = NewDriver();
  vcl::TMemoryStream stream;
  stream.WriteBuffer("FWS-application", 15);  // positioned at its end
  fake->ClearLog();
  d->LoadMovieFromStream(&stream);
  const std::string name = LoadedName(*fake);
  ASSERT_TRUE(name.starts_with(kRoot + "/<stream>")) << name;
  ASSERT_EQ(name.size(), kRoot.size() + 1 + 8 + 8 + 4);
  EXPECT_TRUE(name.ends_with(".swf"));
  EXPECT_EQ(name.find_first_not_of("0123456789ABCDEF", kRoot.size() + 9), kRoot.size() + 17);
  const std::string local = name.substr(kRoot.size());
  const Lines lines = fake->Lines();
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(Lines(lines.begin() + 1, lines.begin() + 5), Delivery(local, 15, "FWS-application", "1234"));
  EXPECT_FALSE(d->FFlvMode);
  EXPECT_EQ(d->PendingStreamCount(), 0);
  // Consumed: the same name, or the name without the slash, finds nothing.
  EXPECT_EQ(Request(*fake, name), Lines{});
  EXPECT_EQ(Request(*fake, local.substr(1)), Lines{});
  EXPECT_EQ(stream.Position(), 15) << "the application's stream is only read";

  // Waiting copies: a token of another driver, a malformed one, a token
  // with a query; a new load never reuses a token.
  fake->Set("request", "0");
  auto other = NewDriver();
  other->LoadMovieFromStream(&stream);
  const std::string foreign = LoadedName(*fake);
  // The recorder requests through the newest instance: d's from here on.
  d->LoadMovie(L"fresh.swf");
  d->LoadMovieFromStream(&stream);
  const std::string own = LoadedName(*fake);
  EXPECT_NE(own, name);
  EXPECT_NE(own, foreign);
  EXPECT_EQ(d->PendingStreamCount(), 1);
  for (const std::string& url : {foreign, own.substr(0, own.size() - 5), kRoot + "/<stream>0000000a.swf"})
    EXPECT_EQ(Request(*fake, url), Lines{}) << url;
  EXPECT_EQ(d->PendingStreamCount(), 1);
  EXPECT_EQ(other->PendingStreamCount(), 1) << "another driver's copy is not touched";
  fake->Set("newstream", "1");
  fake->ClearLog();
  fake->GetURLNotify((own + "?a=1").c_str(), nullptr);
  EXPECT_EQ(fake->Lines("NPP_Write"), Lines{});
  EXPECT_EQ(fake->Lines("invoke"), (Lines{"invoke SetVariable str:a str:1"}));
  EXPECT_EQ(d->PendingStreamCount(), 0) << "a refused stream consumes its copy";
}

TEST_F(NetscapeStreamSources, AnFlvStreamGoesThroughThePlayerMovieUnderItsFlvName) {
  auto d = NewDriver();
  d->FSkin = L"SteelOverAll";
  fake->Set("request", "0");
  vcl::TMemoryStream stream;
  stream.WriteBuffer("FLV\x01video", 9);
  fake->ClearLog();
  d->LoadMovieFromStream(&stream);
  const Lines lines = fake->Lines("invoke");
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "invoke LoadMovie int:0 str:flvplayback.swf");
  EXPECT_EQ(lines[1], "invoke SetVariable str:flv.skin str:SteelOverAll.swf");
  EXPECT_EQ(lines[2], "invoke SetVariable str:flv.volume str:50");
  ASSERT_TRUE(lines[3].starts_with("invoke SetVariable str:flv.contentPath str:" + kRoot + "/<stream>"));
  EXPECT_TRUE(lines[3].ends_with(".flv"));
  EXPECT_TRUE(d->FFlvMode);
  EXPECT_EQ(d->FInstance.ndata, d.get()) << "the instance is not re-created";
  // The player movie asks for the video.
  const std::string video = lines[3].substr(lines[3].find("str:" + kRoot) + 4);
  EXPECT_EQ(Request(*fake, video), Delivery(video.substr(kRoot.size()), 9, "FLV\x01video"));
}

size_t WorkingSet() {
  PROCESS_MEMORY_COUNTERS counters{};
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return counters.WorkingSetSize;
}

TEST_F(NetscapeStreamSources, CopiesNeverRequestedAreFreedWithTheirDriver) {
  fake->Set("request", "0");
  auto d = NewDriver();
  constexpr int64_t kSize = 64 << 20;
  vcl::TMemoryStream stream;
  stream.SetSize(kSize);
  const size_t before = WorkingSet();
  d->LoadMovieFromStream(&stream);
  d->LoadMovieFromStream(&stream);
  EXPECT_EQ(d->PendingStreamCount(), 2);
  EXPECT_GE(WorkingSet(), before + 2 * kSize - (8 << 20));
  d.reset();
  EXPECT_LE(WorkingSet(), before + (8 << 20));
  // Without a module or a scriptable object nothing is copied.
  fake->Set("script", "none");
  auto plain = NewDriver();
  plain->LoadMovieFromStream(&stream);
  EXPECT_EQ(plain->PendingStreamCount(), 0);
}

}  // namespace
