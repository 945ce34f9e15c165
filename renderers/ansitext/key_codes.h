#pragma once
// Keys without a character, as window messages name them, in the movie's
// terms: the button key codes of the format.

namespace swfwin {

// The movie's code for a virtual key (left, right, home, end, insert,
// delete, backspace, enter, up, down, page up, page down, tab, escape);
// 0 for any other key.
int SwfKeyCode(unsigned VirtualKey);

}  // namespace swfwin
