#pragma once
// Movies the module's tests play.

namespace npswf_test {

// 100 x 80, blue background, a red square at (10,10)-(30,30), three frames.
inline constexpr const char* kSquareMovie = R"(
size 100 80
background #0000ff
rate 50
shape box
  fill f solid #ff0000
  rect 10 10 20 20 fill f
end
place box 1
show
show
show
)";

}  // namespace npswf_test

#include <string>

namespace npswf_test {

// The action bytes (hexadecimal, as button and frame actions take them) of
// fscommand(Command, Args), ending the block.
std::string FSCommandActionHex(const std::string& Command, const std::string& Args);

}  // namespace npswf_test
