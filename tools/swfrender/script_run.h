#pragma once
// swfrender's run mode: plays a movie through MovieInstance with scripts,
// input, variables, calls and served requests, printing every host call.

#include <iosfwd>
#include <map>
#include <string>
#include <vector>

namespace swfrender {

// One thing to do, in command-line order.
struct RunEvent {
  enum class Kind { Frames, Move, Click, Key, Set, Get, Call };
  Kind kind;
  std::string text;  // Set: PATH=VALUE; Get: PATH; Call: the request
  double x = 0, y = 0;
  int number = 0;  // Frames: steps; Key: code
};

struct RunOptions {
  std::vector<RunEvent> events;
  std::map<std::string, std::string> serve;    // URL -> file
  std::map<std::string, std::string> answers;  // ExternalInterface function -> answer text
  // The movie file's folder: a relative URL no --serve names is read from
  // there, as a player reads the neighbours of a local movie.
  std::string folder;
};

// Parses one run-mode option at Argv[I] (advancing I past its value). Returns
// false when Argv[I] is not a run-mode option; sets Error for a bad value.
bool ParseRunOption(int Argc, char** Argv, int& I, RunOptions& O, std::string& Error);

// Runs the events on the movie, printing host calls to Out. Renders the end
// state into Pixels when Width and Height are positive.
void RunMovie(const std::vector<uint8_t>& Bytes, const RunOptions& O, std::ostream& Out, int Width,
              int Height, bool Transparent, std::vector<uint32_t>& Pixels);

}  // namespace swfrender
