#pragma once
// The CSS text TextField.StyleSheet.parseCSS reads: selector lists, each
// with a block of "name: value" declarations. The reading is the player's,
// loose where it is loose and strict where it is strict:
//  - selectors run to '{' and split at ','; each is trimmed and must be
//    non-empty with no blank inside ('}' and other punctuation are kept);
//  - a declaration's name runs to ':' (';' and '}' included), keeps blanks
//    after it but may hold none inside; "font-size" becomes "fontSize";
//  - a value starts after the blanks following ':' and runs to ';' or '}',
//    trailing blanks kept; a declaration with an empty name is dropped;
//  - a block may be left open at the end of the text, but not in the middle
//    of a declaration.
// Any fault rejects the whole text. Portable.

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace swf::detail {

struct CssRule {
  std::vector<std::string> selectors;
  std::vector<std::pair<std::string, std::string>> declarations;  // in order, names transformed
};

// The rules of Text, or nullopt when it is malformed. Bounded by the text's
// length: every character is looked at a fixed number of times.
std::optional<std::vector<CssRule>> ParseCss(const std::string& Text);

}  // namespace swf::detail
