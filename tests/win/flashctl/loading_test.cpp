// Fetching: through the container's bind host (data inside BindToStorage or
// later from the message loop) or from files, and the movie's own requests.
#include <gtest/gtest.h>

#include "tests/win/flashctl/test_container.h"
#include "tests/win/flashctl/test_movies.h"

namespace flashctl_test {
namespace {

constexpr DISPID kReadyState = -609, kProgress = 0x7a6;

// The first movie loads level 1 from a name relative to it.
const char* kLoaderMovie = R"(
size 100 80
rate 50
actions
  push "square.swf" "_level1"
  geturl2
end
show
)";

TEST(FlashctlLoading, ThroughTheBindHostBothWays) {
  for (const bool async : {false, true}) {
    for (const size_t piece : {size_t(0), size_t(16)}) {
      BindHost host;
      host.asynchronous = async;
      host.piece = piece;
      host.files[L"movie.swf"] = MovieBytes(kSquareMovie);
      Site site;
      site.bindHost = &host;
      EventSink sink;
      auto control = NewControl();
      sink.AdviseOn(control.Get());
      As<IOleObject>(control.Get(), IID_IOleObject)->SetClientSite(&site);
      ASSERT_EQ(control->put_Movie(Bstr(L"movie.swf").Get()), S_OK);
      LONG frames = 0;
      ASSERT_TRUE(PumpUntil([&] { return control->get_TotalFrames(&frames), frames == 3; })) << async << piece;
      EXPECT_EQ(host.names, std::vector<std::wstring>{L"movie.swf"});  // the name as given
      EXPECT_EQ(host.callbacksFound, 1);
      EXPECT_EQ(host.bindFlags, DWORD(BINDF_ASYNCHRONOUS | BINDF_ASYNCSTORAGE | BINDF_PULLDATA));
      const auto progress = sink.Of(kProgress);
      ASSERT_FALSE(progress.empty());
      EXPECT_EQ(progress.back().args[0], L"100");
      if (piece) {
        EXPECT_GT(progress.size(), 1u);
      }
      LONG state = 0;
      control->get_ReadyState(&state);
      EXPECT_EQ(state, READYSTATE_COMPLETE);
      As<IOleObject>(control.Get(), IID_IOleObject)->SetClientSite(nullptr);
    }
  }
}

TEST(FlashctlLoading, FailuresLeaveNoMovie) {
  const struct {
    const char* what;
    const wchar_t* name;
    bool bindHost, refuse;
  } cases[] = {
      {"unknown to the bind host", L"missing.swf", true, false},
      {"CreateMoniker refuses", L"garbage.swf", true, true},
      {"no such file", L"C:\\no\\such\\movie.swf", false, false},
      {"not a file without a bind host", L"http://example.invalid/movie.swf", false, false},
      {"not a movie", L"garbage.swf", true, false},
  };
  for (const auto& c : cases) {
    BindHost host;
    host.files[L"garbage.swf"] = {'F', 'W', 'S', 8, 1, 2};
    Site site;
    if (c.bindHost) site.bindHost = &host;
    host.refuse = c.refuse;
    EventSink sink;
    auto control = NewControl();
    sink.AdviseOn(control.Get());
    As<IOleObject>(control.Get(), IID_IOleObject)->SetClientSite(&site);
    control->put_Movie(Bstr(c.name).Get());
    PumpMessages(20);
    LONG frames = -1, state = -1;
    control->get_TotalFrames(&frames);
    control->get_ReadyState(&state);
    EXPECT_EQ(frames, 0) << c.what;
    EXPECT_EQ(state, READYSTATE_UNINITIALIZED) << c.what;
    As<IOleObject>(control.Get(), IID_IOleObject)->SetClientSite(nullptr);
  }
}

TEST(FlashctlLoading, RelativeNamesFromFilesUseBaseOrTheMoviesFolder) {
  const std::wstring square = MovieFile(kSquareMovie, L"square.swf");
  const std::wstring folder = square.substr(0, square.find_last_of(L'\\'));
  const std::wstring loader = MovieFile(kLoaderMovie, L"loader.swf");
  for (const bool base : {false, true}) {
    Site site;
    Surface s(100, 80);
    site.surface = &s;
    auto control = NewControl();
    if (base) {
      control->put_Base(Bstr(folder).Get());
      control->put_Movie(Bstr(L"loader.swf").Get());
    } else {
      // A file URL for the first movie; the level's name is relative to it.
      std::wstring url = L"file:///" + loader;
      for (wchar_t& ch : url)
        if (ch == L'\\') ch = L'/';
      control->put_Movie(Bstr(url).Get());
    }
    ASSERT_EQ(site.Embed(control.Get()), S_OK);
    // Level 1 shows the red square once it has loaded.
    EXPECT_TRUE(PumpUntil([&] { return s.Pixel(20, 20) == 0xFFFF0000u; })) << base;
    As<IOleObject>(control.Get(), IID_IOleObject)->Close(OLECLOSE_NOSAVE);
    As<IOleObject>(control.Get(), IID_IOleObject)->SetClientSite(nullptr);
  }
}

TEST(FlashctlLoading, TheMoviesRequestsGoThroughTheBindHost) {
  BindHost host;
  host.asynchronous = true;
  host.files[L"loader.swf"] = MovieBytes(kLoaderMovie);
  host.files[L"square.swf"] = MovieBytes(kSquareMovie);
  Site site;
  site.bindHost = &host;
  Surface s(100, 80);
  site.surface = &s;
  auto control = NewControl();
  As<IOleObject>(control.Get(), IID_IOleObject)->SetClientSite(&site);
  control->put_Movie(Bstr(L"loader.swf").Get());
  ASSERT_EQ(site.Embed(control.Get()), S_OK);
  EXPECT_TRUE(PumpUntil([&] { return host.names.size() == 2; }));
  EXPECT_EQ(host.names.back(), L"square.swf");
  EXPECT_TRUE(PumpUntil([&] { return s.Pixel(20, 20) == 0xFFFF0000u; }));
  As<IOleObject>(control.Get(), IID_IOleObject)->Close(OLECLOSE_NOSAVE);
  As<IOleObject>(control.Get(), IID_IOleObject)->SetClientSite(nullptr);
}

}  // namespace
}  // namespace flashctl_test
