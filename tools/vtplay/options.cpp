#include "options.h"

namespace vtplay {

const wchar_t* const UsageText =
    L"usage: vtplay [options] [MOVIE]\n"
    L"Plays MOVIE (a file, a URL or the name of a stored movie) through the package as an\n"
    L"application would and writes what the player shows as PNG files. Without MOVIE it plays\n"
    L"its demo movie.\n"
    L"  --stdin             read the movie from the standard input, as a stream\n"
    L"  --form FILE         load a form (binary or text) and play its first player's movie\n"
    L"                      at that player's size, with the form's stored movies\n"
    L"  --player KIND       offscreen (default: pixels with alpha), graphic (a player on a\n"
    L"                      form, painted with its form), window (a windowed player in a\n"
    L"                      window on the screen, taking mouse and keys) or layer (a\n"
    L"                      frameless translucent window that is the movie); the window\n"
    L"                      and the layer play until closed or the frames are written\n"
    L"  --plugin NAME       renderer: default, netscape or activex\n"
    L"  --size WxH          picture size in pixels (default 320x240)\n"
    L"  --frames N          number of frames to write (default 12)\n"
    L"  --fps N             write at most N frames a second (default 12)\n"
    L"  --out DIR           folder for the PNG frames (default vtplay-out)\n"
    L"  --set NAME=VALUE    set a movie variable once the movie shows (repeatable)\n"
    L"  --call REQUEST      call the movie (an ExternalInterface request) once it shows and\n"
    L"                      print its answer (repeatable)\n"
    L"  --click X,Y[@N]     click at picture pixel X,Y after frame N is written (default 1;\n"
    L"                      repeatable)\n"
    L"  --answer TEXT       answer the movie's ExternalInterface calls with TEXT\n"
    L"  --help              this text\n";

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

bool ParseClick(const std::wstring& Text, Click& Value) {
  const size_t comma = Text.find(L',');
  if (comma == std::wstring::npos) return false;
  size_t at = Text.find(L'@', comma);
  const size_t yEnd = at == std::wstring::npos ? Text.size() : at;
  Click c;
  if (!ParseBounded(Text, 0, comma, 0, 16383, c.X) || !ParseBounded(Text, comma + 1, yEnd, 0, 16383, c.Y)) return false;
  if (at != std::wstring::npos && !ParseBounded(Text, at + 1, Text.size(), 1, 100000, c.Frame)) return false;
  Value = c;
  return true;
}

bool ParseAssignment(const std::wstring& Text, std::wstring& Name, std::wstring& Value) {
  const size_t eq = Text.find(L'=');
  if (eq == std::wstring::npos || eq == 0) return false;
  Name = Text.substr(0, eq);
  Value = Text.substr(eq + 1);
  return true;
}

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
    } else if (a == L"--stdin") {
      o.Stdin = true;
    } else if (a == L"--form") {
      if (!value(v)) return r;
      if (v.empty()) return r.Error = L"--form needs a file name", r;
      o.FormFile = v;
    } else if (a == L"--out") {
      if (!value(v)) return r;
      if (v.empty()) return r.Error = L"--out needs a folder name", r;
      o.OutDir = v;
    } else if (a == L"--frames") {
      if (!value(v)) return r;
      if (!ParseCount(v, o.Frames)) return r.Error = L"--frames wants a number from 1 to 100000, not '" + v + L"'", r;
    } else if (a == L"--fps") {
      if (!value(v)) return r;
      if (!ParseBounded(v, 0, v.size(), 1, 1000, o.Fps))
        return r.Error = L"--fps wants a number from 1 to 1000, not '" + v + L"'", r;
    } else if (a == L"--size") {
      if (!value(v)) return r;
      if (!ParseSize(v, o.Width, o.Height))
        return r.Error = L"--size wants WIDTHxHEIGHT with sides from 1 to 16384, not '" + v + L"'", r;
      o.SizeGiven = true;
    } else if (a == L"--player") {
      if (!value(v)) return r;
      if (v == L"offscreen")
        o.Player = PlayerChoice::Offscreen;
      else if (v == L"graphic")
        o.Player = PlayerChoice::Graphic;
      else if (v == L"window")
        o.Player = PlayerChoice::Window;
      else if (v == L"layer")
        o.Player = PlayerChoice::Layer;
      else
        return r.Error = L"--player wants offscreen, graphic, window or layer, not '" + v + L"'", r;
      o.PlayerGiven = true;
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
      o.PluginGiven = true;
    } else if (a == L"--set") {
      if (!value(v)) return r;
      std::wstring name, text;
      if (!ParseAssignment(v, name, text)) return r.Error = L"--set wants NAME=VALUE, not '" + v + L"'", r;
      o.Variables.emplace_back(std::move(name), std::move(text));
    } else if (a == L"--call") {
      if (!value(v)) return r;
      if (v.empty()) return r.Error = L"--call needs a request", r;
      o.Calls.push_back(v);
    } else if (a == L"--click") {
      if (!value(v)) return r;
      Click c;
      if (!ParseClick(v, c))
        return r.Error = L"--click wants X,Y or X,Y@FRAME (X and Y from 0 to 16383), not '" + v + L"'", r;
      o.Clicks.push_back(c);
    } else if (a == L"--answer") {
      if (!value(v)) return r;
      o.Answer = v;
      o.AnswerGiven = true;
    } else if (a.size() > 1 && a[0] == L'-' && a != L"-") {
      return r.Error = L"unknown option " + a, r;
    } else {
      if (movieSeen) return r.Error = L"only one movie can be given", r;
      if (a.empty()) return r.Error = L"the movie name is empty", r;
      o.Movie = a;
      movieSeen = true;
    }
  }
  const int sources = (movieSeen ? 1 : 0) + (o.Stdin ? 1 : 0) + (o.FormFile.empty() ? 0 : 1);
  if (sources > 1) return r.Error = L"give one of MOVIE, --stdin and --form", r;
  if (!o.FormFile.empty() && o.PlayerGiven)
    return r.Error = L"--player cannot be used with --form: the form has its player", r;
  return r;
}

}  // namespace vtplay
