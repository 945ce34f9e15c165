// Any URL the plug-in module may request: the normalisation, decoding and
// token reading never crash, and what they return keeps its promises.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "vt_d7/url_request.h"

namespace {

bool Trimmed(const std::wstring& S) { return S.empty() || (S.front() > L' ' && S.back() > L' '); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  // Bytes as the 8-bit text arrives (each byte one character).
  const std::wstring url(Data, Data + Size);
  const vt::TUrlRequest r = vt::ParseUrlRequest(url, L"http://vt-d7.invalid");
  if (r.Url.size() > url.size()) std::abort();
  if (!r.Query.empty() && (r.Url.find(L"http:") != std::wstring::npos || !Trimmed(r.Url))) std::abort();
  size_t parts = 0;
  for (const auto& [name, value] : r.Query) {
    if (!Trimmed(name) || !Trimmed(value)) std::abort();
    parts += name.size() + value.size();
  }
  if (parts > url.size()) std::abort();
  if (vt::DecodeUrlEscapes(r.Url).size() > r.Url.size()) std::abort();
  if (vt::BareName(r.Url).size() > r.Url.size()) std::abort();
  if (const auto token = vt::StreamTokenOf(r.Url)) {
    const std::wstring text = vt::FormatStreamToken(*token);
    if (r.Url.find(text) == std::wstring::npos) std::abort();
  }
  return 0;
}
