#pragma once
// XML text as movies hand it to XML.parseXML: a small, forgiving parser
// that builds a plain tree, and the escaping the XML classes print with.
// Portable; knows nothing of the script runtime.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace swf {

struct XmlParsedNode {
  bool isText = false;
  std::string name;   // an element's name
  std::string value;  // a text node's text (entities resolved; CDATA as written)
  std::vector<std::pair<std::string, std::string>> attributes;  // in the order written
  std::vector<XmlParsedNode> children;
};

// What XML.status reports.
enum XmlStatus : int {
  kXmlOk = 0,
  kXmlCdataUnterminated = -2,
  kXmlDeclUnterminated = -3,
  kXmlDoctypeUnterminated = -4,
  kXmlCommentUnterminated = -5,
  kXmlMalformedElement = -6,
  kXmlOutOfMemory = -7,
  kXmlAttributeUnterminated = -8,
  kXmlMissingEndTag = -9,
  kXmlMissingStartTag = -10,
};

struct XmlParsedDocument {
  std::vector<XmlParsedNode> children;  // the document's top-level nodes
  std::optional<std::string> xmlDecl;      // "<?xml ... ?>" as written
  std::optional<std::string> docTypeDecl;  // "<!DOCTYPE ...>" as written
  int status = kXmlOk;
};

// Parses Text; on an error it stops and keeps what it built so far.
// Comments are dropped; with IgnoreWhite text made only of blanks is too.
// Elements nested deeper than MaxDepth, or more than MaxNodes nodes in
// all, end the parse with kXmlOutOfMemory.
XmlParsedDocument ParseXml(std::string_view Text, bool IgnoreWhite, size_t MaxDepth = 256,
                           size_t MaxNodes = 1u << 20);

// Resolves &lt; &gt; &amp; &quot; &apos; and &#N; / &#xN; (as UTF-8);
// anything else, unknown names included, stays as written.
std::string UnescapeXml(std::string_view Text);
// Escapes & < > " ' as entities.
std::string EscapeXml(std::string_view Text);

}  // namespace swf
