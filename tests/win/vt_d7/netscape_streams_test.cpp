// Starting movies and serving the module's requests for files, one stream
// each; and the players with the plug-in driver.
#include <gtest/gtest.h>

#include "framework/Forms.h"
#include "netscape_fake_module.h"

namespace {

using vt_test::Hex;
using vt_test::NetscapeTest;
using Lines = std::vector<std::string>;
using NetscapeStreams = NetscapeTest;

// A file in the temporary folder, removed afterwards.
class TTempFile {
 public:
  TTempFile(const std::wstring& Name, const std::string& Content) {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    path_ = std::wstring(folder) + Name;
    HANDLE h = CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(h, Content.data(), static_cast<DWORD>(Content.size()), &written, nullptr);
    CloseHandle(h);
  }
  ~TTempFile() { DeleteFileW(path_.c_str()); }
  const std::wstring& Path() const { return path_; }
  std::string Ansi() const { return vcl::WideToAnsi(path_); }

 private:
  std::wstring path_;
};

Lines Delivery(const std::string& url, size_t size, const std::string& data, const std::string& notify) {
  const std::string n = std::to_string(size);
  return {"NPP_NewStream application/x-shockwave-flash url=" + url + " end=" + n +
              " seekable=1 stype=1 notify=" + notify,
          "NPP_Write url=" + url + " offset=0 len=" + n + " data=" + data,
          "NPP_URLNotify url=" + url + " reason=0 notify=" + notify,
          "NPP_DestroyStream url=" + url + " reason=0"};
}

TEST_F(NetscapeStreams, LoadMovieStartsAFreshInstanceAndTheRequestedFileArrivesInOnePiece) {
  TTempFile movie(L"vt_ns_movie.swf", "FWS-movie-bytes");
  auto d = NewDriver(100, 50, 0xFF000000u);
  fake->ClearLog();
  d->LoadMovie(movie.Path());
  const std::string dc = Hex(d->FDC);
  Lines expected{
      "NPP_Destroy", "script deallocate",
      "NPP_New application/x-shockwave-flash mode=1 argc=4 wmode=transparent bgcolor=#0 width=100 height=50",
      "NPP_GetValue 15", "invoke LoadMovie int:0 str:" + movie.Ansi()};
  for (const auto& line : Delivery(movie.Ansi(), 15, "FWS-movie-bytes", "1234")) expected.push_back(line);
  expected.push_back("NPP_SetWindow dc=" + dc + " 100x50 type=2 x=0 y=0 clip=0,0,0,0");
  expected.push_back("WM_PAINT dc=" + dc + " rect=0,0,100,50 clip=0,0,100,50");
  expected.push_back("geturlnotify -> 0");
  EXPECT_EQ(fake->Lines(), expected);
  EXPECT_FALSE(d->FFlvMode);
}

TEST_F(NetscapeStreams, RequestsUnderThePlaceholderRootOrAsFileUrlsNameFiles) {
  TTempFile movie(L"vt ns movie.swf", "data");
  auto d = NewDriver();
  const std::string path = movie.Ansi();
  std::string escaped = path;
  escaped.replace(escaped.find("vt ns movie"), 11, "vt%20ns%20movie");
  for (const std::string& url : {vcl::WideToAnsi(vt::PlaceholderRoot) + path, "file:///" + path, escaped}) {
    fake->ClearLog();
    EXPECT_EQ(fake->GetURLNotify(url.c_str(), nullptr), NPERR_NO_ERROR);
    const Lines lines = fake->Lines();
    ASSERT_GE(lines.size(), 4u) << url;
    const std::string normalised = url == escaped ? escaped : path;
    EXPECT_EQ(Lines(lines.begin(), lines.begin() + 4), Delivery(normalised, 4, "data", "99")) << url;
  }
}

TEST_F(NetscapeStreams, WhatIsNotAReadableFileIsNotAnswered) {
  TTempFile locked(L"vt_ns_locked.swf", "data");
  HANDLE h = CreateFileW(locked.Path().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  auto d = NewDriver();
  fake->ClearLog();
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  for (const std::string& url :
       {locked.Ansi(), vcl::WideToAnsi(folder), std::string("Z:\\missing\\a.swf"), std::string("")})
    EXPECT_EQ(fake->GetURLNotify(url.c_str(), nullptr), NPERR_NO_ERROR) << url;
  EXPECT_TRUE(fake->Lines().empty());
  CloseHandle(h);
}

TEST_F(NetscapeStreams, ARefusedStreamGetsNoDataButTheWindowIsRefreshed) {
  TTempFile movie(L"vt_ns_refused.swf", "data");
  auto d = NewDriver();
  fake->Set("newstream", "1");
  fake->ClearLog();
  fake->GetURLNotify(movie.Ansi().c_str(), nullptr);
  const Lines lines = fake->Lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_TRUE(lines[0].starts_with("NPP_NewStream"));
  EXPECT_TRUE(lines[1].starts_with("NPP_SetWindow"));
  EXPECT_TRUE(lines[2].starts_with("WM_PAINT"));
}

struct TKill {
  std::unique_ptr<vt::TvtFlashDriverNS>* driver;
  std::string event;
};
void KillOn(const char* event, void* context) {
  auto* k = static_cast<TKill*>(context);
  if (k->event == event) k->driver->reset();
}

TEST_F(NetscapeStreams, TheDriverMayBeFreedWhileItsStreamIsDelivered) {
  TTempFile movie(L"vt_ns_freed.swf", "data");
  for (const char* event :
       {"NPP_NewStream", "NPP_Write", "NPP_URLNotify", "NPP_DestroyStream", "invoke LoadMovie"}) {
    auto d = NewDriver();
    TKill kill{&d, event};
    fake->SetHook(vt_test::TFakeModule::Hook(KillOn), &kill);
    fake->ClearLog();
    if (std::string(event) == "invoke LoadMovie")
      d->LoadMovie(movie.Path());
    else
      fake->GetURLNotify(movie.Ansi().c_str(), nullptr);
    fake->SetHook(nullptr, nullptr);
    EXPECT_EQ(d, nullptr) << event;
    EXPECT_EQ(fake->Lines().back(), "script deallocate") << event;
  }
}

TEST_F(NetscapeStreams, FlvNamesGoThroughThePlayerMovie) {
  auto d = NewDriver();
  d->FVolume = 70;
  fake->Set("request", "0");
  fake->ClearLog();
  d->LoadMovie(L"clip.flv");
  EXPECT_EQ(fake->Lines("invoke"),
            (Lines{"invoke LoadMovie int:0 str:flvplayback.swf",
                   "invoke SetVariable str:flv.skin str:ClearOverAll.swf",
                   "invoke SetVariable str:flv.volume str:70",
                   "invoke SetVariable str:flv.contentPath str:http://vt-d7.invalidclip.flv"}));
  EXPECT_TRUE(d->FFlvMode);
  fake->ClearLog();
  d->LoadMovie(L"CLIP.FLV");
  EXPECT_EQ(fake->Lines("invoke"), (Lines{"invoke LoadMovie int:0 str:CLIP.FLV"}));
  EXPECT_FALSE(d->FFlvMode);
  fake->ClearLog();
  d->LoadMovie(L"");
  EXPECT_TRUE(fake->Lines().empty());
}

TEST_F(NetscapeStreams, PlayersGetThePluginDriverAndItsEventsWithTheDriverAsSender) {
  vt::TvtFlashPlayerComp comp(nullptr);
  std::vector<vcl::TObject*> senders;
  comp.OnFSCommand = [&](vcl::TObject* s, const std::wstring& c, const std::wstring&) {
    senders.push_back(s);
    EXPECT_EQ(c, L"cmd");
  };
  comp.OnFlashCall = [&](vcl::TObject* s, const std::wstring&) {
    senders.push_back(s);
    comp.SetReturnValue(L"answer");
  };
  comp.SetPlugin(vt::vtNetscape);
  auto* driver = dynamic_cast<vt::TvtFlashDriverNS*>(comp.Driver());
  ASSERT_NE(driver, nullptr);
  EXPECT_TRUE(fake->Invoke("_DoFSCommand", 2, "cmd", "x"));
  EXPECT_EQ(fake->Evaluate("try { __flash__toXML(f()) ; } catch (e) { \"<undefined/>\"; }"), "answer");
  EXPECT_EQ(senders, (std::vector<vcl::TObject*>{driver, driver}));
  // The off-screen player's pixels come out premultiplied.
  fake->Set("paint", "80400000");
  fake->Invalidate(0, 0, 2, 2);
  EXPECT_EQ(comp.GetBuffer()[0], 0x80400000u);

  vcl::TForm form(nullptr);
  form.SetBounds(0, 0, 200, 150);
  auto* player = new vt::TvtFlashPlayer(&form);
  player->SetParent(&form);
  player->OnFSCommand = [&](vcl::TObject* s, const std::wstring&, const std::wstring&) {
    senders.push_back(s);
  };
  player->SetPlugin(vt::vtNetscape);
  player->SetBounds(10, 10, 80, 60);
  auto* graphic = dynamic_cast<vt::TvtFlashDriverNS*>(player->Driver());
  ASSERT_NE(graphic, nullptr);
  form.Handle();
  fake->Invalidate(0, 0, 80, 60);
  EXPECT_TRUE(fake->Invoke("_DoFSCommand", 2, "cmd", "y"));
  EXPECT_EQ(senders.back(), graphic);
}

}  // namespace
