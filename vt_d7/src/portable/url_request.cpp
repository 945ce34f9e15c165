// Reading the names the plug-in module asks for.
#include "vt_d7/url_request.h"

#include <cwchar>

namespace vt {

namespace {

wchar_t Lower(wchar_t C) { return C >= L'A' && C <= L'Z' ? static_cast<wchar_t>(C - L'A' + L'a') : C; }

// The text of Rest up to the first Delimiter (all of it when there is none);
// Rest keeps what follows the delimiter.
std::wstring TakeUntil(std::wstring& Rest, wchar_t Delimiter) {
  const size_t at = Rest.find(Delimiter);
  std::wstring part;
  if (at == std::wstring::npos) {
    part = std::move(Rest);
    Rest.clear();
  } else {
    part = Rest.substr(0, at);
    Rest.erase(0, at + 1);
  }
  return part;
}

}  // namespace

std::wstring TrimUrlText(const std::wstring& Text) {
  size_t first = 0;
  size_t last = Text.size();
  while (first < last && Text[first] <= L' ') ++first;
  while (last > first && Text[last - 1] <= L' ') --last;
  return Text.substr(first, last - first);
}

TUrlRequest ParseUrlRequest(const std::wstring& URL, const std::wstring& Root) {
  TUrlRequest r;
  r.Url = URL;
  if (!Root.empty() && r.Url.starts_with(Root)) r.Url.erase(0, Root.size());
  if (r.Url.starts_with(L"file:///")) r.Url.erase(0, 8);
  const size_t question = r.Url.find(L'?');
  if (question == std::wstring::npos || r.Url.find(L"http:") != std::wstring::npos) return r;

  std::wstring rest = TrimUrlText(r.Url.substr(question + 1));
  r.Url = TrimUrlText(r.Url.substr(0, question));
  while (!rest.empty()) {
    std::wstring name = TrimUrlText(TakeUntil(rest, L'='));
    std::wstring value = TrimUrlText(TakeUntil(rest, L'&'));
    rest = TrimUrlText(rest);
    r.Query.emplace_back(std::move(name), std::move(value));
  }
  return r;
}

std::wstring DecodeUrlEscapes(const std::wstring& URL) {
  static constexpr struct {
    wchar_t high, low, character;
  } kEscapes[] = {{L'3', L'f', L'?'}, {L'3', L'd', L'='}, {L'2', L'6', L'&'},
                  {L'2', L'0', L' '}, {L'2', L'd', L'-'}, {L'2', L'f', L'/'}};
  std::wstring text = URL;
  for (const auto& e : kEscapes) {
    if (text.find(L'%') == std::wstring::npos) break;
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
      if (i + 2 < text.size() && text[i] == L'%' && text[i + 1] == e.high && Lower(text[i + 2]) == e.low) {
        out += e.character;
        i += 3;
      } else {
        out += text[i++];
      }
    }
    text = std::move(out);
  }
  return text;
}

std::wstring BareName(const std::wstring& URL) {
  const size_t at = URL.find_last_of(L"/\\:");
  return at == std::wstring::npos ? URL : URL.substr(at + 1);
}

std::wstring WithoutLastExtension(const std::wstring& URL) {
  const size_t dot = URL.rfind(L'.');
  return dot == std::wstring::npos ? URL : URL.substr(0, dot);
}

std::wstring FormatStreamToken(uint32_t Token) {
  static constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
  std::wstring text(8, L'0');
  for (int i = 7; i >= 0; --i, Token >>= 4) text[static_cast<size_t>(i)] = kDigits[Token & 0xF];
  return text;
}

std::optional<uint32_t> StreamTokenOf(const std::wstring& URL) {
  const std::wstring_view marker = StreamTokenMarker;
  size_t at = 0;
  if (URL.starts_with(L'/')) at = 1;
  if (URL.compare(at, marker.size(), marker) != 0) return std::nullopt;
  at += marker.size();
  if (URL.size() < at + 8) return std::nullopt;
  uint32_t token = 0;
  for (size_t i = at; i < at + 8; ++i) {
    const wchar_t c = URL[i];
    uint32_t digit;
    if (c >= L'0' && c <= L'9')
      digit = static_cast<uint32_t>(c - L'0');
    else if (c >= L'A' && c <= L'F')
      digit = static_cast<uint32_t>(c - L'A' + 10);
    else
      return std::nullopt;
    token = token << 4 | digit;
  }
  return token;
}

}  // namespace vt
