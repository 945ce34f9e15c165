// The ActiveX driver's reading of the names its control asks monikers for:
// which names are served, the lookup order between the sources, and the
// pending name the bind reads back.
#include "vt_d7/moniker_request.h"

#include <gtest/gtest.h>

#include <set>

namespace {

const std::wstring kRoot = L"http://vt-d7.invalid";
const std::wstring kPrefix = kRoot + L"/";
const std::wstring kApp = L"C:\\app\\";

// A machine: stored movies and resources by name, files by path.
struct TMachine {
  std::set<std::wstring> stored, resources, files;

  vt::TMonikerRequest Resolve(const std::wstring& Name) const {
    vt::TMovieLookup lookup;
    lookup.IsStoredMovie = [this](const std::wstring& N) { return stored.contains(N); };
    lookup.IsResource = [this](const std::wstring& N) { return resources.contains(N); };
    lookup.IsFile = [this](const std::wstring& P) { return files.contains(P); };
    lookup.AppFolder = kApp;
    return vt::ResolveMonikerRequest(Name, kRoot, kPrefix, lookup);
  }
};

TEST(MonikerRequest, NamesAreDecodedAndCutAsTheLookupsReadThem) {
  const struct {
    std::wstring name, decoded, movie, file;
  } rows[] = {
      {L"Intro.SWF", L"intro.swf", L"intro.swf", L"intro.swf"},
      {L"A%20B%2Dc%3F.swf", L"a b-c?.swf", L"a b-c", L"a b-c"},
      // Each escape is decoded in its own pass; "%25" is not one.
      {L"%253f%2E", L"%253f%2e", L"%253f%2e", L"%253f%2e"},
      {L"%%263F", L"%&3f", L"%", L"%"},
      {kPrefix + L"dir/Movie.swf?x=1&y=2", kPrefix.substr(0, 7) + L"vt-d7.invalid/dir/movie.swf?x=1&y=2",
       L"movie.swf", L"http:\\\\vt-d7.invalid\\dir\\movie.swf"},
      {L"file:///C|/movies/a.swf&x", L"file:///c|/movies/a.swf&x", L"a.swf", L"c:\\movies\\a.swf"},
      {L"c:\\x\\y.swf", L"c:\\x\\y.swf", L"y.swf", L"c:\\x\\y.swf"},
      {L"", L"", L"", L""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(vt::DecodeMovieUrl(row.name), row.decoded);
    EXPECT_EQ(vt::ExtractMovieName(row.name), row.movie);
    EXPECT_EQ(vt::LocalFilePathOf(row.name), row.file);
  }
}

TEST(MonikerRequest, EachSourceAndTheOrderBetweenThem) {
  TMachine m;
  m.stored = {L"intro.swf", L"flvplayback.swf"};
  m.resources = {L"flvplayback", L"ClearOverAll"};
  m.files = {L"c:\\app\\beside.swf", L"c:\\movies\\a.swf", L"c:\\app\\intro.swf", L"c:\\app\\clearoverall.swf"};
  const struct {
    std::wstring name;
    bool accepted;
    std::wstring bindUrl;
  } rows[] = {
      // A stored movie wins, by bare name in any letter case and folder.
      {kPrefix + L"Intro.swf", true, L"<list>intro.swf"},
      {L"http://elsewhere.example/x/" + kRoot + L"/INTRO.swf?q", true, L"<list>intro.swf"},
      {L"flvplayback.swf", true, L"<list>flvplayback.swf"},
      // Then a resource named like the request without its extension.
      {L"ClearOverAll.swf", true, L"<res>ClearOverAll.swf"},
      // Then a file beside the application, under the prefix or not.
      {kPrefix + L"beside.swf", true, L"C:/app/beside.swf"},
      {L"./beside.swf", true, L"C:/app/beside.swf"},
      // Then the path itself: a drive path only where its file exists.
      {kPrefix + L"C:\\movies\\a.swf", true, L"C:/movies/a.swf"},
      {kPrefix + L"./C:\\movies\\a.swf", true, L"C:/movies/a.swf"},
      {kPrefix + L"C:\\movies\\missing.swf", true, L""},
      {kPrefix + L"<stream>0000002A.swf", true, L"<stream>0000002A.swf"},
      {L"relative\\b.xml", true, L"relative/b.xml"},
      {L"file:///C:/movies/a.swf", true, L"file:///C:/movies/a.swf"},
      {L"file:///C:/movies/missing.swf", true, L""},
      {L"file://", true, L""},
      // Web URLs outside the placeholder root pass untouched.
      {L"http://example.com/a\\b", true, L"http://example.com/a\\b"},
      {L"http://example.com/no-extension", true, L"http://example.com/no-extension"},
      // Names without a served extension are refused; the test is
      // case-sensitive.
      {kPrefix + L"MOVIE.SWF", false, L""},
      {L"picture.gif", false, L""},
      {L"www.youtube.com/v", true, L"www.youtube.com/v"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const vt::TMonikerRequest r = m.Resolve(row.name);
    EXPECT_EQ(r.Accepted, row.accepted);
    EXPECT_EQ(r.BindUrl, row.bindUrl);
  }
}

TEST(MonikerRequest, APendingNameNamesOneSourceOrNothing) {
  const struct {
    std::wstring bindUrl;
    vt::TBindSource source;
    std::wstring name;
    uint32_t token;
  } rows[] = {
      {L"", vt::TBindSource::Nothing, L"", 0},
      {L"<list>intro.swf", vt::TBindSource::StoredMovie, L"intro.swf", 0},
      {L"<res>dir/FLVPlayback.swf", vt::TBindSource::Resource, L"dir/FLVPlayback", 0},
      {L"<stream>0000002A.flv", vt::TBindSource::Stream, L"", 42},
      {L"<stream>0000002a.swf", vt::TBindSource::Nothing, L"", 0},
      {L"<stream>12", vt::TBindSource::Nothing, L"", 0},
      {L"C:/movies/a.swf", vt::TBindSource::Url, L"C:/movies/a.swf", 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.bindUrl);
    const vt::TBindTarget t = vt::ParseBindUrl(row.bindUrl);
    EXPECT_EQ(t.Source, row.source);
    EXPECT_EQ(t.Name, row.name);
    EXPECT_EQ(t.Token, row.token);
  }
}

}  // namespace
