#pragma once
// The plug-in driver's reading of the names its module asks for: the
// placeholder root and a file URL's scheme are removed, a local name's query
// becomes (name, value) pairs, escapes are decoded, and names built on an
// application stream's token are recognised.
// Portable: no <windows.h>.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vt {

using TQueryPairs = std::vector<std::pair<std::wstring, std::wstring>>;

// A request as the driver looks its source up: the normalised URL and the
// query pairs split off it.
struct TUrlRequest {
  std::wstring Url;
  TQueryPairs Query;
};

// Normalises a requested URL: a leading Root (the placeholder root the
// drivers put in front of their names) is removed, then a leading
// "file:///". A URL without "http:" anywhere is then cut at its first "?":
// the part before it, trimmed, is the URL, and the rest is read as
// name=value pairs separated by "&", each part trimmed of blanks and control
// characters. A missing "=" or "&" takes the rest of the text.
TUrlRequest ParseUrlRequest(const std::wstring& URL, const std::wstring& Root);

// Decodes, in this order, %3f, %3d, %26, %20, %2d and %2f (either letter
// case) to "?", "=", "&", " ", "-" and "/". Each escape is replaced in its
// own pass, so "%253f" becomes "%3f", not "?".
std::wstring DecodeUrlEscapes(const std::wstring& URL);

// The text after the last "/", "\" or ":" (all of URL when it has none).
std::wstring BareName(const std::wstring& URL);

// URL without its last "." and what follows; all of URL when it has no ".".
std::wstring WithoutLastExtension(const std::wstring& URL);

// The text that names an application stream: "<stream>" then the token.
inline constexpr wchar_t StreamTokenMarker[] = L"<stream>";

// A token: exactly eight upper-case hexadecimal digits.
std::wstring FormatStreamToken(uint32_t Token);
// The token named by URL when it starts with "/<stream>" or "<stream>" and
// the eight characters after it are upper-case hexadecimal digits; what
// follows them does not matter. Nothing otherwise.
std::optional<uint32_t> StreamTokenOf(const std::wstring& URL);

// The trimming used for URLs and query parts: blanks and control characters
// (code units up to U+0020) at both ends go.
std::wstring TrimUrlText(const std::wstring& Text);

}  // namespace vt
