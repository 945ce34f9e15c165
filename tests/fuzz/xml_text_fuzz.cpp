// Feeds the XML text parser and the URL-encoded variables decoder arbitrary
// text: each ends with a tree or a status, never a crash, hang or huge
// allocation. The first byte picks ignoreWhite and small depth and node
// limits so the limits are reached too.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "renderers/engine/src/script/url_vars.h"
#include "renderers/engine/src/script/xml_parse.h"

namespace {

size_t CountNodes(const std::vector<swf::XmlParsedNode>& Nodes, size_t Depth, size_t MaxDepth) {
  if (Depth > MaxDepth + 1) __builtin_trap();
  size_t n = Nodes.size();
  for (const auto& c : Nodes) n += CountNodes(c.children, Depth + 1, MaxDepth);
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size == 0) return 0;
  const uint8_t options = Data[0];
  const std::string_view text(reinterpret_cast<const char*>(Data + 1), Size - 1);
  const size_t maxDepth = (options & 2) ? 4 : 256;
  const size_t maxNodes = (options & 4) ? 8 : 1u << 18;
  const swf::XmlParsedDocument d = swf::ParseXml(text, options & 1, maxDepth, maxNodes);
  if (CountNodes(d.children, 0, maxDepth) > maxNodes) __builtin_trap();
  if (d.status > 0 || d.status < swf::kXmlMissingStartTag) __builtin_trap();
  // Unescaping never grows text; escaping then unescaping gives it back.
  const std::string unescaped = swf::UnescapeXml(text);
  if (unescaped.size() > text.size()) __builtin_trap();
  if (swf::UnescapeXml(swf::EscapeXml(text)) != text) __builtin_trap();
  for (const auto& [name, value] : swf::DecodeUrlVars(text))
    if (name.empty() || name.size() > text.size() || value.size() > text.size()) __builtin_trap();
  return 0;
}
