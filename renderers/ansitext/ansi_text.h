#pragma once
// Text at a renderer's boundary: browsers and window messages speak 8-bit
// text in the ANSI code page, the engine UTF-8. Conversions take the code
// page as a parameter (CP_ACP, 0, by default) so a double-byte code page can
// be tried directly.

#include <string>
#include <string_view>

namespace swfwin {

std::string AnsiToUtf8(std::string_view Text, unsigned CodePage = 0);
// Characters the code page cannot hold become its default character.
std::string Utf8ToAnsi(std::string_view Text, unsigned CodePage = 0);

// Turns WM_CHAR bytes into characters: a lead byte of a double-byte code page
// waits for its trail byte, and the pair becomes one character.
class AnsiCharReader {
 public:
  explicit AnsiCharReader(unsigned CodePage = 0) : codePage_(CodePage) {}
  // The UTF-16 code of the character Byte completes, or -1 while a lead byte
  // waits (and for a pair the code page does not map).
  int Feed(unsigned char Byte);

 private:
  unsigned codePage_;
  int lead_ = -1;
};

}  // namespace swfwin
