#pragma once
// Movies the control's tests play.

#include <string>

namespace flashctl_test {

// 100 x 80, blue background, a red square at (10,10)-(30,30), three frames at 50 a second.
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

// Frame 0 sends fscommand("hello", "world"), asks the host page.ask("a<b&c",
// 42, true, null) and keeps the answer in "answer", then page.list([2, "x"]);
// "echo" is callable from
// the host; a button at (20,20)-(60,50) sends fscommand("clicked", "button").
// Frame 1 stops.
std::string HostMovie();

}  // namespace flashctl_test
