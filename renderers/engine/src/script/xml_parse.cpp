// The XML text parser behind XML.parseXML, and XML escaping.

#include "renderers/engine/src/script/xml_parse.h"

#include <cstdint>

namespace swf {
namespace {

bool IsBlank(char C) { return C == ' ' || C == '\t' || C == '\r' || C == '\n'; }

bool AllBlank(std::string_view S) {
  for (char c : S)
    if (!IsBlank(c)) return false;
  return true;
}

void AppendUtf8(std::string& Out, uint32_t Cp) {
  if (Cp < 0x80) {
    Out += static_cast<char>(Cp);
  } else if (Cp < 0x800) {
    Out += static_cast<char>(0xC0 | (Cp >> 6));
    Out += static_cast<char>(0x80 | (Cp & 0x3F));
  } else if (Cp < 0x10000) {
    Out += static_cast<char>(0xE0 | (Cp >> 12));
    Out += static_cast<char>(0x80 | ((Cp >> 6) & 0x3F));
    Out += static_cast<char>(0x80 | (Cp & 0x3F));
  } else {
    Out += static_cast<char>(0xF0 | (Cp >> 18));
    Out += static_cast<char>(0x80 | ((Cp >> 12) & 0x3F));
    Out += static_cast<char>(0x80 | ((Cp >> 6) & 0x3F));
    Out += static_cast<char>(0x80 | (Cp & 0x3F));
  }
}

// The character an entity body ("amp", "#39", "#x41") stands for.
std::optional<std::string> Entity(std::string_view Body) {
  if (Body == "lt") return "<";
  if (Body == "gt") return ">";
  if (Body == "amp") return "&";
  if (Body == "quot") return "\"";
  if (Body == "apos") return "'";
  if (Body.size() < 2 || Body[0] != '#') return std::nullopt;
  bool hex = Body[1] == 'x' || Body[1] == 'X';
  std::string_view digits = Body.substr(hex ? 2 : 1);
  if (digits.empty() || digits.size() > 8) return std::nullopt;
  uint32_t cp = 0;
  for (char c : digits) {
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (hex && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return std::nullopt;
    cp = cp * (hex ? 16 : 10) + static_cast<uint32_t>(d);
  }
  if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
  std::string out;
  AppendUtf8(out, cp);
  return out;
}

class Parser {
 public:
  Parser(std::string_view Text, bool IgnoreWhite, size_t MaxDepth, size_t MaxNodes)
      : text_(Text), ignoreWhite_(IgnoreWhite), maxDepth_(MaxDepth), maxNodes_(MaxNodes) {}

  XmlParsedDocument Run() {
    XmlParsedDocument doc;
    // The open elements, innermost last; the document's list is the root.
    std::vector<XmlParsedNode*> open;
    auto children = [&]() -> std::vector<XmlParsedNode>& {
      return open.empty() ? doc.children : open.back()->children;
    };
    auto add = [&](XmlParsedNode N) -> XmlParsedNode* {
      if (++nodes_ > maxNodes_) {
        doc.status = kXmlOutOfMemory;
        return nullptr;
      }
      children().push_back(std::move(N));
      return &children().back();
    };
    auto addText = [&](std::string Value) {
      if (Value.empty() || (ignoreWhite_ && AllBlank(Value))) return true;
      XmlParsedNode n;
      n.isText = true;
      n.value = std::move(Value);
      return add(std::move(n)) != nullptr;
    };
    while (pos_ < text_.size() && doc.status == kXmlOk) {
      size_t lt = text_.find('<', pos_);
      if (lt != pos_) {
        size_t end = lt == std::string_view::npos ? text_.size() : lt;
        if (!addText(UnescapeXml(text_.substr(pos_, end - pos_)))) break;
        pos_ = end;
        continue;
      }
      std::string_view rest = text_.substr(pos_);
      if (Starts(rest, "<!--")) {
        size_t e = text_.find("-->", pos_ + 4);
        if (e == std::string_view::npos) doc.status = kXmlCommentUnterminated;
        else pos_ = e + 3;
      } else if (Starts(rest, "<![CDATA[")) {
        size_t e = text_.find("]]>", pos_ + 9);
        if (e == std::string_view::npos) {
          doc.status = kXmlCdataUnterminated;
        } else {
          if (!addText(std::string(text_.substr(pos_ + 9, e - pos_ - 9)))) break;
          pos_ = e + 3;
        }
      } else if (Starts(rest, "<?")) {
        size_t e = text_.find("?>", pos_ + 2);
        if (e == std::string_view::npos) {
          doc.status = kXmlDeclUnterminated;
        } else {
          doc.xmlDecl = doc.xmlDecl.value_or("") + std::string(text_.substr(pos_, e + 2 - pos_));
          pos_ = e + 2;
        }
      } else if (Starts(rest, "<!")) {
        size_t e = DeclarationEnd(pos_ + 2);
        if (e == std::string_view::npos) {
          doc.status = kXmlDoctypeUnterminated;
        } else {
          doc.docTypeDecl = std::string(text_.substr(pos_, e + 1 - pos_));
          pos_ = e + 1;
        }
      } else if (Starts(rest, "</")) {
        size_t e = text_.find('>', pos_ + 2);
        if (e == std::string_view::npos) {
          doc.status = kXmlMalformedElement;
          break;
        }
        std::string_view name = text_.substr(pos_ + 2, e - pos_ - 2);
        while (!name.empty() && IsBlank(name.back())) name.remove_suffix(1);
        if (open.empty() || open.back()->name != name) {
          doc.status = kXmlMissingStartTag;
          break;
        }
        open.pop_back();
        pos_ = e + 1;
      } else {
        XmlParsedNode element;
        bool empty = false;
        int status = StartTag(element, empty);
        if (status != kXmlOk) {
          doc.status = status;
          break;
        }
        if (!empty && open.size() >= maxDepth_) {
          doc.status = kXmlOutOfMemory;
          break;
        }
        XmlParsedNode* added = add(std::move(element));
        if (!added) break;
        if (!empty) open.push_back(added);
      }
    }
    if (doc.status == kXmlOk && !open.empty()) doc.status = kXmlMissingEndTag;
    return doc;
  }

 private:
  static bool Starts(std::string_view S, std::string_view Prefix) { return S.substr(0, Prefix.size()) == Prefix; }

  // The '>' closing a declaration begun before From, past any [ ... ] subset.
  size_t DeclarationEnd(size_t From) const {
    int brackets = 0;
    for (size_t i = From; i < text_.size(); ++i) {
      char c = text_[i];
      if (c == '[') ++brackets;
      else if (c == ']' && brackets > 0) --brackets;
      else if (c == '>' && brackets == 0) return i;
    }
    return std::string_view::npos;
  }

  void SkipBlanks() {
    while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
  }

  // "<name attr="value" ...>" or ".../>" at pos_.
  int StartTag(XmlParsedNode& Element, bool& Empty) {
    ++pos_;
    size_t start = pos_;
    while (pos_ < text_.size() && !IsBlank(text_[pos_]) && text_[pos_] != '>' && text_[pos_] != '/') ++pos_;
    if (pos_ >= text_.size() || pos_ == start) return kXmlMalformedElement;
    Element.name = std::string(text_.substr(start, pos_ - start));
    for (;;) {
      SkipBlanks();
      if (pos_ >= text_.size()) return kXmlMalformedElement;
      char c = text_[pos_];
      if (c == '>') {
        ++pos_;
        return kXmlOk;
      }
      if (c == '/') {
        if (pos_ + 1 >= text_.size() || text_[pos_ + 1] != '>') return kXmlMalformedElement;
        pos_ += 2;
        Empty = true;
        return kXmlOk;
      }
      start = pos_;
      while (pos_ < text_.size() && !IsBlank(text_[pos_]) && text_[pos_] != '=' && text_[pos_] != '>' &&
             text_[pos_] != '/')
        ++pos_;
      if (pos_ == start) return kXmlMalformedElement;
      std::string name(text_.substr(start, pos_ - start));
      SkipBlanks();
      if (pos_ >= text_.size() || text_[pos_] != '=') return kXmlMalformedElement;
      ++pos_;
      SkipBlanks();
      if (pos_ >= text_.size() || (text_[pos_] != '"' && text_[pos_] != '\'')) return kXmlMalformedElement;
      char quote = text_[pos_++];
      size_t end = text_.find(quote, pos_);
      if (end == std::string_view::npos) return kXmlAttributeUnterminated;
      std::string value = UnescapeXml(text_.substr(pos_, end - pos_));
      pos_ = end + 1;
      // A repeated name keeps its first value.
      bool seen = false;
      for (const auto& a : Element.attributes) seen = seen || a.first == name;
      if (!seen) Element.attributes.emplace_back(std::move(name), std::move(value));
    }
  }

  std::string_view text_;
  bool ignoreWhite_;
  size_t maxDepth_, maxNodes_;
  size_t pos_ = 0;
  size_t nodes_ = 0;
};

}  // namespace

XmlParsedDocument ParseXml(std::string_view Text, bool IgnoreWhite, size_t MaxDepth, size_t MaxNodes) {
  return Parser(Text, IgnoreWhite, MaxDepth, MaxNodes).Run();
}

std::string UnescapeXml(std::string_view Text) {
  std::string out;
  out.reserve(Text.size());
  for (size_t i = 0; i < Text.size();) {
    if (Text[i] == '&') {
      size_t semi = Text.find(';', i + 1);
      // Entity names are short; a far semicolon belongs to something else.
      if (semi != std::string_view::npos && semi - i <= 12) {
        if (auto e = Entity(Text.substr(i + 1, semi - i - 1))) {
          out += *e;
          i = semi + 1;
          continue;
        }
      }
    }
    out += Text[i++];
  }
  return out;
}

std::string EscapeXml(std::string_view Text) {
  std::string out;
  out.reserve(Text.size());
  for (char c : Text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace swf
