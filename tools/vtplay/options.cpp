#include "options.h"

namespace vtplay {

const wchar_t* const UsageText =
    L"usage: vtplay [options] [MOVIE]\n"
    L"  --out DIR        folder for the PNG frames (default vtplay-out)\n"
    L"  --frames N       number of frames to write (default 1)\n"
    L"  --size WxH       picture size in pixels (default 320x240)\n"
    L"  --plugin NAME    default, netscape or activex\n"
    L"  --help           this text\n";

namespace {

// Parses digits only, rejecting anything above Max without overflowing.
bool ParseBounded(const std::wstring& Text, size_t Begin, size_t End, int Min, int Max, int& Value) {
  if (Begin >= End || End - Begin > 9) return false;
  int v = 0;
  for (size_t i = Begin; i < End; ++i) {
    wchar_t c = Text[i];
    if (c < L'0' || c > L'9') return false;
    v = v * 10 + (c - L'0');
  }
  if (v < Min || v > Max) return false;
  Value = v;
  return true;
}

}  // namespace

bool ParseSize(const std::wstring& Text, int& Width, int& Height) {
  size_t x = Text.find_first_of(L"xX");
  if (x == std::wstring::npos) return false;
  int w = 0, h = 0;
  if (!ParseBounded(Text, 0, x, 1, 16384, w) || !ParseBounded(Text, x + 1, Text.size(), 1, 16384, h)) return false;
  Width = w;
  Height = h;
  return true;
}

bool ParseCount(const std::wstring& Text, int& Value) { return ParseBounded(Text, 0, Text.size(), 1, 100000, Value); }

ParseResult ParseOptions(const std::vector<std::wstring>& Args) {
  ParseResult r;
  Options& o = r.Value;
  bool movieSeen = false;
  for (size_t i = 0; i < Args.size(); ++i) {
    const std::wstring& a = Args[i];
    auto value = [&](std::wstring& out) {
      if (i + 1 >= Args.size()) {
        r.Error = L"option " + a + L" needs a value";
        return false;
      }
      out = Args[++i];
      return true;
    };
    std::wstring v;
    if (a == L"--help" || a == L"-h") {
      o.Help = true;
    } else if (a == L"--out") {
      if (!value(v)) return r;
      if (v.empty()) return r.Error = L"--out needs a folder name", r;
      o.OutDir = v;
    } else if (a == L"--frames") {
      if (!value(v)) return r;
      if (!ParseCount(v, o.Frames)) return r.Error = L"--frames wants a number from 1 to 100000, not '" + v + L"'", r;
    } else if (a == L"--size") {
      if (!value(v)) return r;
      if (!ParseSize(v, o.Width, o.Height))
        return r.Error = L"--size wants WIDTHxHEIGHT with sides from 1 to 16384, not '" + v + L"'", r;
    } else if (a == L"--plugin") {
      if (!value(v)) return r;
      if (v == L"default")
        o.Plugin = PluginChoice::Default;
      else if (v == L"netscape")
        o.Plugin = PluginChoice::Netscape;
      else if (v == L"activex")
        o.Plugin = PluginChoice::ActiveX;
      else
        return r.Error = L"--plugin wants default, netscape or activex, not '" + v + L"'", r;
    } else if (a.size() > 1 && a[0] == L'-' && a != L"-") {
      return r.Error = L"unknown option " + a, r;
    } else {
      if (movieSeen) return r.Error = L"only one movie can be given", r;
      o.Movie = a;
      movieSeen = true;
    }
  }
  return r;
}

}  // namespace vtplay
