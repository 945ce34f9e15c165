#pragma once
// vtform: converts a form file between the binary and the text form.
//   vtform --to-text IN OUT     binary form to text
//   vtform --to-binary IN OUT   text form to binary
// The Windows build also takes the designer's commands (design_commands.h).
// Exit status 0 on success, 1 when the input is malformed or a file cannot
// be read or written, 2 on a usage error. OUT is written only on success.

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace vtform {

// The conversion of a whole file's bytes; raises the framework's
// EReadError (binary) or EParserError (text) on malformed input.
std::string ToText(const std::string& Binary);
std::string ToBinary(const std::string& Text);

// Runs the tool on its arguments (without the program name); messages go
// to Out (help) and Err (errors, "vtform: ..."). Returns the exit status.
int Run(const std::vector<std::filesystem::path>& Args, std::ostream& Out, std::ostream& Err);

}  // namespace vtform
