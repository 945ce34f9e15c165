#include "tools/swfc/compile.h"

#include "renderers/engine/writer.h"

namespace swfc {

CompileError::CompileError(int Line, const std::string& Message)
    : std::runtime_error("line " + std::to_string(Line) + ": " + Message), line_(Line) {}

swf::Movie Parse(std::string_view) { throw CompileError(1, "the description language is not built yet"); }

std::vector<uint8_t> Compile(std::string_view Text) { return swf::WriteMovie(Parse(Text), true); }

}  // namespace swfc
