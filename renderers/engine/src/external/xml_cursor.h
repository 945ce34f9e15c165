#pragma once
// A small reader over the markup of the ExternalInterface texts: start and end
// tags with quoted attributes, character data with entity references and
// CDATA sections, whitespace between elements. Every read is bounded by the
// text; anything malformed throws FormatError naming the offset. Comments,
// doctype and processing instructions other than a leading XML declaration
// are not part of these texts and are refused.

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "renderers/engine/model.h"

namespace swf::detail {

struct XmlTag {
  std::string name;
  std::vector<std::pair<std::string, std::string>> attributes;  // values with entities decoded
  bool empty = false;                                           // written as <name/>
  size_t offset = 0;                                            // of its '<'

  // The attribute's value, or nullptr. Duplicate names were refused on reading.
  const std::string* Attribute(std::string_view Name) const;
};

class XmlCursor {
 public:
  explicit XmlCursor(std::string_view Text) : text_(Text) {}

  [[noreturn]] void Fail(const std::string& What) const { FailAt(What, pos_); }
  [[noreturn]] static void FailAt(const std::string& What, size_t Offset);

  size_t Offset() const { return pos_; }
  bool AtEnd() const { return pos_ >= text_.size(); }
  size_t TextSize() const { return text_.size(); }

  void SkipSpace();
  // Skips "<?xml ... ?>" when the cursor stands on one.
  void SkipDeclaration();
  // True when an end tag ("</") comes next.
  bool AtEndTag() const { return text_.substr(pos_, 2) == "</"; }

  // "<name attr=\"v\" attr='v'>" or "<name .../>".
  XmlTag ReadStartTag();
  // "</Name>", with optional whitespace before the '>'.
  void ReadEndTag(std::string_view Name);
  // Character data up to the next markup that is not a CDATA section, with
  // entity references replaced and CDATA sections taken literally.
  std::string ReadText();

 private:
  std::string ReadName(const char* What);
  std::string ReadAttributeValue();
  void AppendReference(std::string& Out);  // at '&'

  std::string_view text_;
  size_t pos_ = 0;
};

}  // namespace swf::detail
