#pragma once
// The text description of a movie, compiled into the movie model and into
// SWF bytes. Portable.

#include <cstdint>
#include <functional>
#include <optional>
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

// Reads a file the description names (`bitmap NAME jpeg FILE`), given the
// path as written; nothing when it cannot. Without one, naming a file is an
// error.
using FileReader = std::function<std::optional<std::vector<uint8_t>>(const std::string& Path)>;

// The movie the description describes.
swf::Movie Parse(std::string_view Text, const FileReader& Files = {});

// SWF bytes of the description, compressed unless the description asks otherwise.
std::vector<uint8_t> Compile(std::string_view Text, const FileReader& Files = {});

}  // namespace swfc
