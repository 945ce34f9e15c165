#pragma once
// vtplay's command line. Portable, so the parser is fuzzed on the host.

#include <string>
#include <vector>

namespace vtplay {

enum class PluginChoice { Default, Netscape, ActiveX };

struct Options {
  std::wstring Movie;          // empty: no movie, the player shows its background
  std::wstring OutDir = L"vtplay-out";
  int Frames = 1;              // frames to write
  int Width = 320;
  int Height = 240;
  PluginChoice Plugin = PluginChoice::Default;
  bool Help = false;
};

struct ParseResult {
  Options Value;
  std::wstring Error;  // empty when the command line was valid
  bool Ok() const { return Error.empty(); }
};

// Parses the arguments after the program name.
ParseResult ParseOptions(const std::vector<std::wstring>& Args);

// "WxH" with each side 1..16384.
bool ParseSize(const std::wstring& Text, int& Width, int& Height);

// A decimal count 1..100000.
bool ParseCount(const std::wstring& Text, int& Value);

extern const wchar_t* const UsageText;

}  // namespace vtplay
