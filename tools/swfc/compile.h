#pragma once
// The text description of a movie, compiled into the movie model and into
// SWF bytes. Portable.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "renderers/engine/model.h"

namespace swfc {

// A mistake in the description, with the line it is on (1-based).
class CompileError : public std::runtime_error {
 public:
  CompileError(int Line, const std::string& Message);
  int line() const { return line_; }
  // The message without the line number.
  const std::string& message() const { return message_; }

 private:
  int line_;
  std::string message_;
};

// The movie the description describes.
swf::Movie Parse(std::string_view Text);

// SWF bytes of the description, compressed unless the description asks otherwise.
std::vector<uint8_t> Compile(std::string_view Text);

}  // namespace swfc
