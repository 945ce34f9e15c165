#pragma once
// vtplay's command line. Portable, so the parser is fuzzed on the host.

#include <string>
#include <utility>
#include <vector>

namespace vtplay {

enum class PluginChoice { Default, Netscape, ActiveX };
enum class PlayerChoice { Offscreen, Graphic, Window, Layer };

// A press and release of the left button at picture pixel (X, Y), right
// after frame Frame (counted from 1) was written.
struct Click {
  int X = 0;
  int Y = 0;
  int Frame = 1;
};

struct Options {
  // What to play: MOVIE (anything the player's Movie accepts), the standard
  // input as a stream, or the first player of a form. None of them: the demo.
  std::wstring Movie;
  bool Stdin = false;
  std::wstring FormFile;

  PlayerChoice Player = PlayerChoice::Offscreen;
  bool PlayerGiven = false;
  PluginChoice Plugin = PluginChoice::Default;
  bool PluginGiven = false;
  int Width = 320;
  int Height = 240;
  bool SizeGiven = false;
  int Frames = 12;  // frames to write
  int Fps = 12;     // at most this many frames written a second
  std::wstring OutDir = L"vtplay-out";

  std::vector<std::pair<std::wstring, std::wstring>> Variables;  // --set, in order
  std::vector<std::wstring> Calls;                               // --call, in order
  std::vector<Click> Clicks;                                     // --click, in order
  std::wstring Answer;
  bool AnswerGiven = false;
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

// "X,Y" or "X,Y@FRAME": coordinates 0..16383, FRAME 1..100000 (1 when left out).
bool ParseClick(const std::wstring& Text, Click& Value);

// "NAME=VALUE" with a non-empty NAME; VALUE may be empty and hold '='.
bool ParseAssignment(const std::wstring& Text, std::wstring& Name, std::wstring& Value);

extern const wchar_t* const UsageText;

}  // namespace vtplay
