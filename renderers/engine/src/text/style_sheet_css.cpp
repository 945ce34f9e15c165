#include "renderers/engine/src/text/style_sheet_css.h"

#include <cctype>
#include <map>

namespace swf::detail {
namespace {

bool Blank(char C) { return C == ' ' || C == '\t' || C == '\n' || C == '\r'; }

std::string Trimmed(const std::string& S) {
  size_t b = 0, e = S.size();
  while (b < e && Blank(S[b])) ++b;
  while (e > b && Blank(S[e - 1])) --e;
  return S.substr(b, e - b);
}

bool HasBlank(const std::string& S) {
  for (char c : S)
    if (Blank(c)) return true;
  return false;
}

// "font-size" -> "fontSize": a dash goes, and the character after it is
// upper-cased.
std::string PropertyName(const std::string& S) {
  std::string out;
  bool upper = false;
  for (char c : S) {
    if (c == '-' && !upper) {
      upper = true;
      continue;
    }
    out += upper ? static_cast<char>(std::toupper(static_cast<unsigned char>(c))) : c;
    upper = false;
  }
  return out;
}

class CssReader {
 public:
  explicit CssReader(const std::string& Text) : s_(Text) {}

  std::optional<std::vector<CssRule>> Read() {
    std::vector<CssRule> rules;
    while (true) {
      SkipBlanks();
      if (pos_ >= s_.size()) return rules;
      CssRule rule;
      if (!Selectors(rule.selectors)) return std::nullopt;
      const bool closed = Block(rule.declarations);
      if (failed_) return std::nullopt;
      rules.push_back(std::move(rule));
      if (!closed) return rules;
    }
  }

 private:
  void SkipBlanks() {
    while (pos_ < s_.size() && Blank(s_[pos_])) ++pos_;
  }

  bool Selectors(std::vector<std::string>& Out) {
    const size_t brace = s_.find('{', pos_);
    if (brace == std::string::npos) return false;
    const std::string list = s_.substr(pos_, brace - pos_);
    pos_ = brace + 1;
    size_t begin = 0;
    while (true) {
      const size_t comma = list.find(',', begin);
      const std::string name = Trimmed(list.substr(begin, comma == std::string::npos ? std::string::npos : comma - begin));
      if (name.empty() || HasBlank(name)) return false;
      Out.push_back(name);
      if (comma == std::string::npos) return true;
      begin = comma + 1;
    }
  }

  // The declarations up to '}' (true) or the end of the text (false);
  // failed_ on a fault.
  bool Block(std::vector<std::pair<std::string, std::string>>& Out) {
    std::map<std::string, size_t> index;
    while (true) {
      SkipBlanks();
      if (pos_ >= s_.size()) return false;
      if (s_[pos_] == '}') {
        ++pos_;
        return true;
      }
      const size_t colon = s_.find(':', pos_);
      if (colon == std::string::npos) return Fail();
      const std::string name = s_.substr(pos_, colon - pos_);
      if (HasBlank(Trimmed(name))) return Fail();
      pos_ = colon + 1;
      SkipBlanks();
      const size_t end = s_.find_first_of(";}", pos_);
      if (end == std::string::npos) return Fail();
      if (!name.empty()) {
        std::string key = PropertyName(name);
        std::string value = s_.substr(pos_, end - pos_);
        const auto [at, added] = index.try_emplace(key, Out.size());
        if (added)
          Out.emplace_back(std::move(key), std::move(value));
        else
          Out[at->second].second = std::move(value);  // a name given twice keeps its place, takes the last value
      }
      pos_ = end + 1;
      if (s_[end] == '}') return true;
    }
  }

  bool Fail() {
    failed_ = true;
    return false;
  }

  const std::string& s_;
  size_t pos_ = 0;
  bool failed_ = false;
};

}  // namespace

std::optional<std::vector<CssRule>> ParseCss(const std::string& Text) { return CssReader(Text).Read(); }

}  // namespace swf::detail
