#include "renderers/engine/src/external/value_xml.h"

namespace swf {

InvokeRequest ParseInvokeRequest(std::string_view Text) {
  detail::XmlCursor cursor(Text);
  cursor.SkipSpace();
  cursor.SkipDeclaration();
  cursor.SkipSpace();
  const detail::XmlTag invoke = cursor.ReadStartTag();
  if (invoke.name != "invoke") cursor.FailAt("expected <invoke>, found <" + invoke.name + ">", invoke.offset);
  InvokeRequest request;
  const std::string* name = invoke.Attribute("name");
  if (!name) cursor.FailAt("<invoke> without a name", invoke.offset);
  request.name = *name;
  if (const std::string* type = invoke.Attribute("returntype")) request.returnType = *type;

  if (!invoke.empty) {
    cursor.SkipSpace();
    if (!cursor.AtEndTag()) {
      const detail::XmlTag args = cursor.ReadStartTag();
      if (args.name != "arguments")
        cursor.FailAt("<" + args.name + "> inside <invoke>, expected <arguments>", args.offset);
      if (!args.empty) {
        size_t slots = 0;
        for (;;) {
          cursor.SkipSpace();
          if (cursor.AtEndTag()) break;
          request.arguments.push_back(detail::ReadXmlValue(cursor, slots));
        }
        cursor.ReadEndTag("arguments");
      }
      cursor.SkipSpace();
    }
    cursor.ReadEndTag("invoke");
  }
  cursor.SkipSpace();
  if (!cursor.AtEnd()) cursor.Fail("text after </invoke>");
  return request;
}

std::string BuildInvokeRequest(std::string_view Name, const std::vector<ExternalValue>& Arguments,
                               std::string_view ReturnType) {
  std::string out = "<invoke name=\"";
  detail::AppendXmlEscaped(out, Name, true);
  out += "\" returntype=\"";
  detail::AppendXmlEscaped(out, ReturnType, true);
  out += "\"><arguments>";
  for (const ExternalValue& a : Arguments) detail::AppendXmlValue(out, a);
  out += "</arguments></invoke>";
  return out;
}

}  // namespace swf
