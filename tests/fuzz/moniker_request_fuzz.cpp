// Any name the control may ask a moniker for: resolving it and reading the
// pending name back never crash, and what they return keeps its promises.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "vt_d7/moniker_request.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  // The first byte decides which sources exist; the rest is the name, a
  // byte a character.
  const uint8_t sources = Size > 0 ? Data[0] : 0;
  const std::wstring name(Data + (Size > 0 ? 1 : 0), Data + Size);
  vt::TMovieLookup lookup;
  lookup.IsStoredMovie = [&](const std::wstring& N) { return (sources & 1) && N.size() % 2 == 0; };
  lookup.IsResource = [&](const std::wstring& N) { return (sources & 2) && N.size() % 3 == 0; };
  lookup.IsFile = [&](const std::wstring& P) { return (sources & 4) && P.size() % 5 == 0; };
  lookup.AppFolder = L"C:\\app\\";
  const vt::TMonikerRequest r = vt::ResolveMonikerRequest(name, L"http://vt-d7.invalid", L"http://vt-d7.invalid/", lookup);
  if (!r.Accepted && !r.BindUrl.empty()) std::abort();
  if (r.BindUrl.size() > name.size() + lookup.AppFolder.size() + 6) std::abort();
  const vt::TBindTarget t = vt::ParseBindUrl(r.BindUrl);
  if (r.BindUrl.empty() != (t.Source == vt::TBindSource::Nothing) && !r.BindUrl.starts_with(L"<stream>")) std::abort();
  if (vt::ExtractMovieName(name).size() > name.size()) std::abort();
  if (vt::LocalFilePathOf(name).size() > name.size()) std::abort();
  return 0;
}
