// Reading the names the ActiveX control asks monikers for.
#include "vt_d7/moniker_request.h"

#include <algorithm>
#include <array>

#include "vt_d7/url_request.h"

namespace vt {

namespace {

// The extensions (and the one site name) the driver serves; compared as
// written, so a name whose only extension is upper case is refused.
constexpr std::array<const wchar_t*, 9> kServedParts = {L".swf", L".flv", L".xml", L".jpg",   L".png",
                                                        L".mp3", L".ogg", L".txt", L"youtube"};

std::wstring CutAtQuery(const std::wstring& Name) {
  return Name.substr(0, Name.find_first_of(L"&?"));
}

void Replace(std::wstring& Text, wchar_t From, wchar_t To) { std::replace(Text.begin(), Text.end(), From, To); }

bool Contains(const std::wstring& Text, const std::wstring& Part) { return Text.find(Part) != std::wstring::npos; }

}  // namespace

std::wstring DecodeMovieUrl(const std::wstring& Name) {
  std::wstring lower = Name;
  for (wchar_t& c : lower)
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  return DecodeUrlEscapes(lower);
}

std::wstring ExtractMovieName(const std::wstring& Name) {
  const std::wstring cut = CutAtQuery(DecodeMovieUrl(Name));
  const size_t at = cut.find_last_of(L"/:|\\");
  return at == std::wstring::npos ? cut : cut.substr(at + 1);
}

std::wstring LocalFilePathOf(const std::wstring& Name) {
  std::wstring path = DecodeMovieUrl(Name);
  if (path.starts_with(L"file://")) path.erase(0, 7);
  if (path.starts_with(L'/')) path.erase(0, 1);
  Replace(path, L'/', L'\\');
  Replace(path, L'|', L':');
  return CutAtQuery(path);
}

TMonikerRequest ResolveMonikerRequest(const std::wstring& Name, const std::wstring& Root, const std::wstring& Prefix,
                                      const TMovieLookup& Lookup) {
  TMonikerRequest r;
  std::wstring s = Name;
  if (s.starts_with(L"./")) s.erase(0, 2);
  const auto fileExists = [&](const std::wstring& N) { return Lookup.IsFile && Lookup.IsFile(LocalFilePathOf(N)); };
  r.Accepted = true;
  if (s == L"file://") return r;
  if (s.starts_with(L"http://") && !Contains(s, Root)) {
    r.BindUrl = s;
    return r;
  }
  if (std::none_of(kServedParts.begin(), kServedParts.end(), [&](const wchar_t* P) { return Contains(s, P); })) {
    r.Accepted = false;
    return r;
  }
  const bool underPrefix = !Prefix.empty() && s.starts_with(Prefix);
  const std::wstring rest = underPrefix ? s.substr(Prefix.size()) : std::wstring();
  const std::wstring movieName = ExtractMovieName(s);
  if (Lookup.IsStoredMovie && !movieName.empty() && Lookup.IsStoredMovie(movieName)) {
    r.BindUrl = StoredMovieMarker + movieName;
  } else if (Lookup.IsResource && Lookup.IsResource(WithoutLastExtension(s))) {
    r.BindUrl = ResourceMarker + s;
  } else if (underPrefix && fileExists(Lookup.AppFolder + rest)) {
    r.BindUrl = Lookup.AppFolder + rest;
  } else if (fileExists(Lookup.AppFolder + s)) {
    r.BindUrl = Lookup.AppFolder + s;
  } else if (underPrefix) {
    std::wstring t = rest;
    if (t.starts_with(L"./")) t.erase(0, 2);
    // A drive path names a file only where one exists.
    if (t.size() <= 2 || t[1] != L':' || fileExists(t)) r.BindUrl = t;
  } else if (!s.starts_with(L"file://") || fileExists(s)) {
    r.BindUrl = s;
  }
  Replace(r.BindUrl, L'\\', L'/');
  return r;
}

TBindTarget ParseBindUrl(const std::wstring& BindUrl) {
  TBindTarget t;
  const std::wstring list = StoredMovieMarker, resource = ResourceMarker;
  if (BindUrl.empty()) return t;
  if (BindUrl.starts_with(list)) {
    t.Source = TBindSource::StoredMovie;
    t.Name = BindUrl.substr(list.size());
  } else if (BindUrl.starts_with(resource)) {
    t.Source = TBindSource::Resource;
    t.Name = WithoutLastExtension(BindUrl.substr(resource.size()));
  } else if (BindUrl.starts_with(StreamTokenMarker)) {
    // A marker with a malformed token names no stream.
    if (const std::optional<uint32_t> token = StreamTokenOf(BindUrl)) {
      t.Source = TBindSource::Stream;
      t.Token = *token;
    }
  } else {
    t.Source = TBindSource::Url;
    t.Name = BindUrl;
  }
  return t;
}

}  // namespace vt
