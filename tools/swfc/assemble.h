#pragma once
// The `actions` block of a movie description: readable instructions
// assembled into action bytes. Portable.

#include <cstdint>
#include <string>
#include <vector>

namespace swfc {

// One line of the block: its words, and which of them were quoted.
struct AsmLine {
  int number = 0;
  std::vector<std::string> words;
  std::vector<bool> quoted;
};

// Assembles the lines between `actions` and its `end` into the bytes of a
// DoAction (ending with the End action). Throws CompileError with the line.
std::vector<uint8_t> Assemble(const std::vector<AsmLine>& Lines);

// True for a line that opens a nested block inside `actions` (closed by `end`).
bool OpensAsmBlock(const std::string& Keyword);

}  // namespace swfc
