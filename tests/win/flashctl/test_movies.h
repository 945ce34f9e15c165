#pragma once
// Movies the control's tests play.

#include <string>

#include "tests/win/npswf/test_movies.h"

namespace flashctl_test {

// 100 x 80, blue background, a red square at (10,10)-(30,30), three frames
// at 50 a second: the plug-in module's tests play it too.
using npswf_test::kSquareMovie;

// Frame 0 sends fscommand("hello", "world"), asks the host page.ask("a<b&c",
// 42, true, null) and keeps the answer in "answer", then page.list([2, "x"]);
// "echo" is callable from
// the host; a button at (20,20)-(60,50) sends fscommand("clicked", "button").
// Frame 1 stops.
std::string HostMovie();

}  // namespace flashctl_test
