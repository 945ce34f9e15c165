// A small, forgiving HTML reader for text fields.
#include "renderers/engine/src/text/html_text.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <map>
#include <optional>

#include "renderers/engine/src/utf8.h"

namespace swf::detail {
namespace {

// Formats are copied into every span: their strings and the spans are bounded.
constexpr size_t kMaxName = 1024;
constexpr size_t kMaxSpans = 4096;

std::string Lower(std::string S) {
  for (char& c : S) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return S;
}

bool IsSpace(char C) { return C == ' ' || C == '\t' || C == '\n' || C == '\r'; }

// The entity at Text[I] ('&' there) appended to Out; returns the index after
// it. An unknown or unterminated entity is a plain '&'.
size_t Entity(const std::string& Text, size_t I, std::string& Out) {
  const size_t semi = Text.find(';', I);
  if (semi == std::string::npos || semi - I > 10) {
    Out += '&';
    return I + 1;
  }
  const std::string name = Text.substr(I + 1, semi - I - 1);
  static const std::map<std::string, uint32_t> kNamed = {
      {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}, {"nbsp", 0xA0}};
  uint32_t code = 0;
  if (const auto it = kNamed.find(Lower(name)); it != kNamed.end()) {
    code = it->second;
  } else if (name.size() > 1 && name[0] == '#') {
    const bool hex = name[1] == 'x' || name[1] == 'X';
    const std::string digits = name.substr(hex ? 2 : 1);
    char* end = nullptr;
    const unsigned long v = digits.empty() ? 0 : std::strtoul(digits.c_str(), &end, hex ? 16 : 10);
    if (digits.empty() || *end || v == 0 || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) {
      Out += '&';
      return I + 1;
    }
    code = static_cast<uint32_t>(v);
  } else {
    Out += '&';
    return I + 1;
  }
  AppendUtf8(Out, code);
  return semi + 1;
}

std::string DecodeEntities(const std::string& S) {
  std::string out;
  for (size_t i = 0; i < S.size();) {
    if (S[i] == '&') {
      i = Entity(S, i, out);
    } else {
      out += S[i++];
    }
  }
  return out;
}

struct Tag {
  std::string name;  // lower case
  bool closing = false;
  std::map<std::string, std::string> attributes;  // names lower case, values decoded
};

Tag ParseTag(const std::string& Inner) {
  Tag t;
  size_t i = 0;
  const size_t n = Inner.size();
  while (i < n && IsSpace(Inner[i])) ++i;
  if (i < n && Inner[i] == '/') {
    t.closing = true;
    ++i;
  }
  const size_t nameStart = i;
  while (i < n && !IsSpace(Inner[i]) && Inner[i] != '/') ++i;
  t.name = Lower(Inner.substr(nameStart, i - nameStart));
  while (i < n) {
    while (i < n && (IsSpace(Inner[i]) || Inner[i] == '/')) ++i;
    const size_t a = i;
    while (i < n && !IsSpace(Inner[i]) && Inner[i] != '=') ++i;
    const std::string attr = Lower(Inner.substr(a, i - a));
    while (i < n && IsSpace(Inner[i])) ++i;
    std::string value;
    if (i < n && Inner[i] == '=') {
      ++i;
      while (i < n && IsSpace(Inner[i])) ++i;
      if (i < n && (Inner[i] == '"' || Inner[i] == '\'')) {
        const char q = Inner[i++];
        const size_t close = Inner.find(q, i);
        const size_t e = close == std::string::npos ? n : close;
        value = Inner.substr(i, e - i);
        i = e == n ? n : e + 1;
      } else {
        const size_t v = i;
        while (i < n && !IsSpace(Inner[i])) ++i;
        value = Inner.substr(v, i - v);
      }
    }
    if (!attr.empty()) t.attributes[attr] = DecodeEntities(value);
  }
  return t;
}

// A number attribute; Fallback when it is not one.
double Number(const std::string& S, double Fallback) {
  char* end = nullptr;
  const double v = std::strtod(S.c_str(), &end);
  return end != S.c_str() && std::isfinite(v) ? v : Fallback;
}

// A color attribute: '#', then any blanks, then hex digits up to the first
// other character, of which the last six count; nothing when no digit follows.
std::optional<uint32_t> HtmlColor(const std::string& S) {
  if (S.empty() || S[0] != '#') return std::nullopt;
  size_t i = 1;
  while (i < S.size() && (S[i] == ' ' || S[i] == '\t' || S[i] == '\r' || S[i] == '\n')) ++i;
  uint32_t rgb = 0;
  bool any = false;
  for (; i < S.size() && std::isxdigit(static_cast<unsigned char>(S[i])); ++i, any = true) {
    const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(S[i])));
    rgb = ((rgb << 4) | static_cast<uint32_t>(c <= '9' ? c - '0' : c - 'a' + 10)) & 0xFFFFFF;
  }
  if (!any) return std::nullopt;
  return rgb;
}

class HtmlReader {
 public:
  HtmlReader(const CharFormat& Base, const ParaFormat& Para) : para_(Para) { chars_.push_back({"", Base}); }

  std::vector<TextSpan> Read(const std::string& Html, bool KeepLastBreak) {
    for (size_t i = 0; i < Html.size();) {
      const char c = Html[i];
      if (c == '<') {
        const size_t close = Html.find('>', i);
        if (close == std::string::npos) {  // not a tag after all: shown as text
          text_ += Html.substr(i);
          endedParagraph_ = false;
          break;
        }
        Apply(ParseTag(Html.substr(i + 1, close - i - 1)));
        i = close + 1;
        continue;
      }
      i = c == '&' ? Entity(Html, i, text_) : (text_ += c, i + 1);
      endedParagraph_ = false;
    }
    Flush();
    // The last paragraph's end adds no empty line.
    if (!KeepLastBreak && endedParagraph_ && !out_.empty() && !out_.back().text.empty() && out_.back().text.back() == U'\n') {
      out_.back().text.pop_back();
      if (out_.back().text.empty()) out_.pop_back();
    }
    return std::move(out_);
  }

 private:
  // Text so far into a span of the current format; past kMaxSpans, into the
  // last span (the format stops changing).
  void Flush() {
    if (text_.empty()) return;
    if (out_.size() >= kMaxSpans)
      out_.back().text += DecodeUtf8(text_);
    else
      out_.push_back({DecodeUtf8(text_), chars_.back().second, para_});
    text_.clear();
  }

  bool AtLineStart() const {
    if (!text_.empty()) return text_.back() == '\n';
    return out_.empty() || out_.back().text.empty() || out_.back().text.back() == U'\n';
  }

  void NewLine() {
    text_ += '\n';
  }

  void Apply(const Tag& T) {
    const std::string& n = T.name;
    if (n == "br" && !T.closing) {
      NewLine();
      endedParagraph_ = false;
    } else if (n == "p") {
      if (T.closing) {
        NewLine();
        endedParagraph_ = true;
        return;
      }
      if (!AtLineStart()) NewLine();
      Flush();
      if (const auto a = T.attributes.find("align"); a != T.attributes.end()) {
        const std::string v = Lower(a->second);
        para_.align = v == "right" ? TextAlign::Right : v == "center" ? TextAlign::Center
                    : v == "justify" ? TextAlign::Justify : TextAlign::Left;
      }
    } else if (n == "textformat") {
      Flush();
      if (T.closing) {
        if (!paras_.empty()) {
          para_ = paras_.back();
          paras_.pop_back();
        }
        return;
      }
      if (paras_.size() >= kMaxHtmlDepth) return;
      paras_.push_back(para_);
      const auto px = [&](const char* Name, double& Field) {
        if (const auto a = T.attributes.find(Name); a != T.attributes.end()) Field = Number(a->second, Field / 20) * 20;
      };
      px("leftmargin", para_.leftMargin);
      px("rightmargin", para_.rightMargin);
      px("indent", para_.indent);
      px("leading", para_.leading);
    } else if (n == "b" || n == "i" || n == "u" || n == "font" || n == "a") {
      Flush();
      if (T.closing) {
        Close(n);
      } else {
        Open(T);
      }
    }
    // Anything else is ignored.
  }

  void Open(const Tag& T) {
    if (chars_.size() > kMaxHtmlDepth) return;
    CharFormat f = chars_.back().second;
    const auto attr = [&](const char* Name) -> const std::string* {
      const auto a = T.attributes.find(Name);
      return a == T.attributes.end() ? nullptr : &a->second;
    };
    if (T.name == "b") f.bold = true;
    if (T.name == "i") f.italic = true;
    if (T.name == "u") f.underline = true;
    if (T.name == "a") {
      if (const std::string* h = attr("href")) f.url = h->substr(0, kMaxName);
    }
    if (T.name == "font") {
      if (const std::string* face = attr("face"); face && !face->empty()) {
        f.face = face->substr(0, kMaxName);
        f.fontId.reset();
      }
      if (const std::string* s = attr("size")) {
        const bool relative = !s->empty() && ((*s)[0] == '+' || (*s)[0] == '-');
        const double v = Number(*s, relative ? 0 : f.size / 20) * 20;
        f.size = std::clamp(relative ? f.size + v : v, 0.0, 127.0 * 20);
      }
      if (const std::string* l = attr("letterspacing")) f.letterSpacing = std::clamp(Number(*l, 0) * 20, -1e5, 1e5);
      if (const std::string* k = attr("kerning")) f.kerning = Number(*k, 0) != 0;
      if (const std::string* c = attr("color")) {
        if (const std::optional<uint32_t> rgb = HtmlColor(*c)) {
          f.color.r = static_cast<uint8_t>(*rgb >> 16);
          f.color.g = static_cast<uint8_t>(*rgb >> 8);
          f.color.b = static_cast<uint8_t>(*rgb);
        }
      }
    }
    chars_.push_back({T.name, f});
  }

  // Closes the innermost open tag of this name and those opened inside it;
  // a closing tag that matches none is ignored.
  void Close(const std::string& Name) {
    for (size_t k = chars_.size(); k-- > 1;)
      if (chars_[k].first == Name) {
        chars_.resize(k);
        return;
      }
  }

  std::vector<std::pair<std::string, CharFormat>> chars_;  // open tags and their formats; [0] the base
  ParaFormat para_;
  std::vector<ParaFormat> paras_;  // saved by open <textformat> tags
  std::string text_;  // UTF-8 not yet in a span
  bool endedParagraph_ = false;
  std::vector<TextSpan> out_;
};

}  // namespace

std::vector<TextSpan> ParseHtmlText(const std::string& Html, const CharFormat& Base, const ParaFormat& BasePara,
                                    bool KeepLastBreak) {
  return HtmlReader(Base, BasePara).Read(Html, KeepLastBreak);
}

}  // namespace swf::detail
