// The plug-in driver's reading of requested names: normalisation, query
// pairs, escapes, bare names and stream tokens.
#include "vt_d7/url_request.h"

#include <gtest/gtest.h>

namespace {

using vt::ParseUrlRequest;
using vt::TQueryPairs;

const std::wstring kRoot = L"http://vt-d7.invalid";

TEST(UrlRequest, ThePlaceholderRootThenAFileSchemeAreRemoved) {
  EXPECT_EQ(ParseUrlRequest(kRoot + L"a.flv", kRoot).Url, L"a.flv");
  // The slash after the root stays.
  EXPECT_EQ(ParseUrlRequest(kRoot + L"/<stream>0000002A.swf", kRoot).Url, L"/<stream>0000002A.swf");
  EXPECT_EQ(ParseUrlRequest(L"file:///C:/movies/a.swf", kRoot).Url, L"C:/movies/a.swf");
  EXPECT_EQ(ParseUrlRequest(kRoot + L"file:///C:/a.swf", kRoot).Url, L"C:/a.swf");
  // Only at the start, and the scheme only after the root.
  EXPECT_EQ(ParseUrlRequest(L"x" + kRoot + L"a", kRoot).Url, L"x" + kRoot + L"a");
  EXPECT_EQ(ParseUrlRequest(L"file:///" + kRoot + L"a", kRoot).Url, kRoot + L"a");
  EXPECT_EQ(ParseUrlRequest(L"FILE:///a", kRoot).Url, L"FILE:///a");
}

TEST(UrlRequest, ALocalNameLosesItsQueryToOrderedTrimmedPairs) {
  const vt::TUrlRequest r = ParseUrlRequest(L"movie.swf?x=1&y=two", kRoot);
  EXPECT_EQ(r.Url, L"movie.swf");
  EXPECT_EQ(r.Query, (TQueryPairs{{L"x", L"1"}, {L"y", L"two"}}));
  const vt::TUrlRequest t = ParseUrlRequest(L" \tC:\\a b.swf \r? a = 1 \n&\tb=\x01two words ", kRoot);
  EXPECT_EQ(t.Url, L"C:\\a b.swf");
  EXPECT_EQ(t.Query, (TQueryPairs{{L"a", L"1"}, {L"b", L"two words"}}));
  // Missing delimiters take the rest; a trailing "&" or blanks add nothing.
  EXPECT_EQ(ParseUrlRequest(L"a?flag", kRoot).Query, (TQueryPairs{{L"flag", L""}}));
  EXPECT_EQ(ParseUrlRequest(L"a?k=v&", kRoot).Query, (TQueryPairs{{L"k", L"v"}}));
  EXPECT_EQ(ParseUrlRequest(L"a?k=v& ", kRoot).Query, (TQueryPairs{{L"k", L"v"}}));
  EXPECT_TRUE(ParseUrlRequest(L"a? ", kRoot).Query.empty());
  EXPECT_EQ(ParseUrlRequest(L"a?=v&k=x=y", kRoot).Query, (TQueryPairs{{L"", L"v"}, {L"k", L"x=y"}}));
  // Only the first "?" splits.
  EXPECT_EQ(ParseUrlRequest(L"a?k=?&?", kRoot).Query, (TQueryPairs{{L"k", L"?"}, {L"?", L""}}));
}

TEST(UrlRequest, AUrlWithHttpAnywhereKeepsItsQuery) {
  for (const std::wstring url : {L"http://host/a.swf?x=1", L"go.swf?u=http://h/x", L"HTTP://h/a?b"}) {
    const vt::TUrlRequest r = ParseUrlRequest(url, kRoot);
    if (url.starts_with(L"HTTP")) {
      // The test is case-sensitive: upper-case scheme splits.
      EXPECT_EQ(r.Url, L"HTTP://h/a");
      continue;
    }
    EXPECT_EQ(r.Url, url);
    EXPECT_TRUE(r.Query.empty()) << url.size();
  }
  // The placeholder root itself is gone before the test.
  EXPECT_EQ(ParseUrlRequest(kRoot + L"/a.swf?k=v", kRoot).Query, (TQueryPairs{{L"k", L"v"}}));
}

TEST(UrlRequest, EscapesDecodeInTheirOrderInEitherCase) {
  EXPECT_EQ(vt::DecodeUrlEscapes(L"a%2Fb%2fc"), L"a/b/c");
  EXPECT_EQ(vt::DecodeUrlEscapes(L"%3F%3f%3D%3d%26%20%2D%2d"), L"?" L"?==& --");
  // One pass per escape in order: "%263d" becomes "&3d" in the third pass,
  // after "%3d" had its turn; "%2520" gives "%20" after the pass for "%20".
  EXPECT_EQ(vt::DecodeUrlEscapes(L"%263d"), L"&3d");
  EXPECT_EQ(vt::DecodeUrlEscapes(L"%2520"), L"%2520");
  // Others and broken escapes stay.
  EXPECT_EQ(vt::DecodeUrlEscapes(L"%41%2%2g%"), L"%41%2%2g%");
}

TEST(UrlRequest, BareNamesAndExtensions) {
  EXPECT_EQ(vt::BareName(L"C:\\dir/sub\\intro.swf"), L"intro.swf");
  EXPECT_EQ(vt::BareName(L"http://h/x/INTRO.SWF"), L"INTRO.SWF");
  EXPECT_EQ(vt::BareName(L"C:intro.swf"), L"intro.swf");
  EXPECT_EQ(vt::BareName(L"intro.swf"), L"intro.swf");
  EXPECT_EQ(vt::BareName(L"dir/"), L"");
  EXPECT_EQ(vt::WithoutLastExtension(L"flvplayback.swf"), L"flvplayback");
  EXPECT_EQ(vt::WithoutLastExtension(L"a.b.swf"), L"a.b");
  EXPECT_EQ(vt::WithoutLastExtension(L"ClearOverAll"), L"ClearOverAll");
  EXPECT_EQ(vt::WithoutLastExtension(L"my.dir/skin"), L"my");
}

TEST(UrlRequest, StreamTokensAreEightUpperCaseHexDigitsAfterTheMarker) {
  EXPECT_EQ(vt::FormatStreamToken(0), L"00000000");
  EXPECT_EQ(vt::FormatStreamToken(0xDEADBEEF), L"DEADBEEF");
  EXPECT_EQ(vt::StreamTokenOf(L"/<stream>DEADBEEF.swf"), 0xDEADBEEFu);
  EXPECT_EQ(vt::StreamTokenOf(L"<stream>0000002A.flv"), 0x2Au);
  EXPECT_EQ(vt::StreamTokenOf(L"<stream>0000002A"), 0x2Au);
  for (const wchar_t* bad : {L"<stream>deadbeef.swf", L"<stream>DEADBEE", L"<stream>DEADBEEG.swf",
                             L"//<stream>00000001", L"x<stream>00000001", L"<STREAM>00000001", L"<stream>",
                             L"/", L"", L"<stream> 0000001", L"<stream>-0000001"})
    EXPECT_FALSE(vt::StreamTokenOf(bad).has_value()) << std::wstring(bad).size();
  const uint32_t token = 0x0123ABCD;
  EXPECT_EQ(vt::StreamTokenOf(std::wstring(vt::StreamTokenMarker) + vt::FormatStreamToken(token)), token);
}

}  // namespace
