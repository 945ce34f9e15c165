#pragma once
// The ActiveX driver's reading of the names its control asks for: which
// names it serves at all, where each is found (a stored movie, a resource of
// the package, a file beside the application, the path or URL itself) and
// how the found source is written into the driver's single pending name,
// which the control's bind then reads back.
// Portable: no <windows.h>.

#include <cstdint>
#include <functional>
#include <string>

namespace vt {

// Lower-cases Name (letters A to Z) and decodes the escapes DecodeUrlEscapes
// knows: "A%20B.SWF" becomes "a b.swf", "%2E" stays "%2e".
std::wstring DecodeMovieUrl(const std::wstring& Name);

// The bare movie name of a request: decoded, cut before its first "&" or
// "?", then the text after the last "/", ":", "|" or "\".
std::wstring ExtractMovieName(const std::wstring& Name);

// The file a local name denotes: decoded, without a leading "file://" and
// then one leading "/", slashes turned into "\" and "|" into ":", cut before
// its first "&" or "?".
std::wstring LocalFilePathOf(const std::wstring& Name);

// What exists on the machine, asked by the resolver.
struct TMovieLookup {
  // A stored movie of this bare name (the check is case-insensitive).
  std::function<bool(const std::wstring& Name)> IsStoredMovie;
  // An RCDATA resource of this name in the package's module.
  std::function<bool(const std::wstring& Name)> IsResource;
  // A file at this path.
  std::function<bool(const std::wstring& Path)> IsFile;
  // The application's folder with its trailing "\".
  std::wstring AppFolder;
};

// The markers the pending name starts with for the local sources.
inline constexpr wchar_t StoredMovieMarker[] = L"<list>";
inline constexpr wchar_t ResourceMarker[] = L"<res>";

struct TMonikerRequest {
  // False: the name has no extension the driver serves, and the control
  // gets no moniker.
  bool Accepted = false;
  // The pending name the bind will read; empty when an accepted name was
  // found nowhere (its bind then fails instead of serving an older name).
  std::wstring BindUrl;
};

// Resolves a name the control asks a moniker for. Lookup order: a stored
// movie by bare name, a resource named like the request without extension,
// a file beside the application, then the path or URL itself (a drive path
// or a file URL only when its file exists). Names under Prefix (the
// drivers' placeholder prefix) are read without it. Web URLs outside the
// placeholder root pass unchanged; every other pending name has its
// backslashes turned into slashes.
TMonikerRequest ResolveMonikerRequest(const std::wstring& Name, const std::wstring& Root,
                                      const std::wstring& Prefix, const TMovieLookup& Lookup);

// What a pending name asks the bind to deliver.
enum class TBindSource { Nothing, StoredMovie, Resource, Stream, Url };
struct TBindTarget {
  TBindSource Source = TBindSource::Nothing;
  // The stored movie's name, the resource's name (without extension) or
  // the URL.
  std::wstring Name;
  // The application stream's token.
  uint32_t Token = 0;
};

// Reads a pending name: "<list>" + name, "<res>" + requested name,
// "<stream>" + token + extension, a URL, or nothing (empty, or a stream
// marker without a well-formed token).
TBindTarget ParseBindUrl(const std::wstring& BindUrl);

}  // namespace vt
