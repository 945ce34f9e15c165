// The XML and XMLNode classes: nodes whose links live in their native data,
// read and changed through accessors on XMLNode.prototype, and XML documents
// that parse text and load it.

#include <optional>
#include <utility>

#include "renderers/engine/src/script/data_load.h"
#include "renderers/engine/src/script/internal.h"
#include "renderers/engine/src/script/xml_node.h"
#include "renderers/engine/src/script/xml_parse.h"

namespace swf {
namespace {

// Nodes one parse may make.
constexpr size_t kMaxParsedNodes = 1u << 18;

XmlNodeData* ThisNode(NativeCall& C) { return XmlNodeOf(C.thisValue); }

Value NodeValue(Object* O) { return O ? Value::Obj(O) : Value::Null(); }

// Adds the parsed nodes under Parent, depth first.
void Build(ScriptRuntime& R, Object* Parent, const std::vector<XmlParsedNode>& Nodes) {
  for (const XmlParsedNode& p : Nodes) {
    ChargeWork(1 + p.attributes.size());
    Object* node = NewXmlNode(R, p.isText ? kXmlText : kXmlElement, Value::String(p.isText ? p.value : p.name));
    if (!p.attributes.empty()) {
      Object* attributes = XmlAttributes(R, *XmlNodeOf(node));
      // Last written first: for..in and printing then list them as written.
      for (auto it = p.attributes.rbegin(); it != p.attributes.rend(); ++it)
        attributes->Set(it->first, Value::String(it->second));
    }
    XmlAppend(Parent, node);
    Build(R, node, p.children);
  }
}

void ParseInto(NativeCall& C, Object* Document, const std::string& Text) {
  ChargeWork(Text.size() / 16);
  const bool ignoreWhite = C.Get(Value::Obj(Document), "ignoreWhite").ToBoolean();
  XmlParsedDocument parsed = ParseXml(Text, ignoreWhite, kXmlMaxDepth, kMaxParsedNodes);
  XmlRemoveChildren(Document);
  Build(C.runtime, Document, parsed.children);
  if (parsed.xmlDecl) Document->Set("xmlDecl", Value::String(*parsed.xmlDecl));
  if (parsed.docTypeDecl) Document->Set("docTypeDecl", Value::String(*parsed.docTypeDecl));
  Document->Set("status", Value::Number(parsed.status));
}

Object* CloneNode(ScriptRuntime& R, const Object* Source, bool Deep, int Depth) {
  const XmlNodeData* s = XmlNodeOf(Source);
  ChargeWork(1);
  Object* copy = NewXmlNode(R, s->type, s->type == kXmlElement ? s->name : s->value);
  if (s->attributes) {
    Object* attributes = XmlAttributes(R, *XmlNodeOf(copy));
    for (auto& [name, value] : s->attributes->OwnValues()) attributes->Set(name, value);
  }
  if (Deep && Depth < kXmlMaxDepth)
    for (const Object* c : s->children) XmlAppend(copy, CloneNode(R, c, true, Depth + 1));
  return copy;
}

// The prefix an attribute declares: "xmlns:p" declares p; "xmlns" and any
// other name beginning so, the default namespace ("").
std::optional<std::string> DeclaredPrefix(const std::string& Attribute) {
  if (Attribute.rfind("xmlns", 0) != 0) return std::nullopt;
  return Attribute.size() > 5 && Attribute[5] == ':' ? Attribute.substr(6) : "";
}

// The first declaration, in the order written, at Node or above, that
// Match accepts: the declared prefix and the URI.
template <typename Fn>
std::optional<std::pair<std::string, std::string>> FindDeclaration(const Object* Node, Fn Match) {
  for (size_t steps = 0; Node && steps <= static_cast<size_t>(kXmlMaxDepth) * 4; ++steps) {
    const XmlNodeData* n = XmlNodeOf(Node);
    if (!n) break;
    if (n->attributes) {
      auto attributes = n->attributes->OwnValues();
      ChargeWork(attributes.size());
      for (auto it = attributes.rbegin(); it != attributes.rend(); ++it) {
        auto prefix = DeclaredPrefix(it->first);
        if (!prefix) continue;
        std::pair<std::string, std::string> d{*prefix, it->second.ToString()};
        if (Match(d)) return d;
      }
    }
    Node = n->parent;
  }
  return std::nullopt;
}

// The namespace URI bound to Prefix ("" the default one) at Node or above, or null.
Value NamespaceForPrefix(const Object* Node, const std::string& Prefix) {
  auto d = FindDeclaration(Node, [&](const auto& D) { return D.first == Prefix; });
  return d ? Value::String(d->second) : Value::Null();
}

Value PrefixForNamespace(const Object* Node, const std::string& Uri) {
  auto d = FindDeclaration(Node, [&](const auto& D) { return D.second == Uri; });
  return d ? Value::String(d->first) : Value::Null();
}

// The element's name split at its first colon.
Value NamePart(const XmlNodeData& N, bool Prefix) {
  if (N.type != kXmlElement || N.name.IsNull() || N.name.IsUndefined()) return Value::Null();
  const std::string name = N.name.ToString();
  const size_t colon = name.find(':');
  if (colon == std::string::npos) return Value::String(Prefix ? "" : name);
  return Value::String(Prefix ? name.substr(0, colon) : name.substr(colon + 1));
}

using Getter = Value (*)(NativeCall&, XmlNodeData&);

void Accessor(ScriptRuntime& R, Object* Proto, const std::string& Name, Getter Get,
              void (*Set)(NativeCall&, XmlNodeData&, const Value&) = nullptr) {
  Object* getter = R.NewNative([Get](NativeCall& C) {
    XmlNodeData* n = ThisNode(C);
    return n ? Get(C, *n) : Value();
  });
  Object* setter = nullptr;
  if (Set) {
    setter = R.NewNative([Set](NativeCall& C) {
      if (XmlNodeData* n = ThisNode(C)) Set(C, *n, C.Arg(0));
      return Value();
    });
  } else {
    setter = R.NewNative([](NativeCall&) { return Value(); });  // read-only: writes are ignored
  }
  Proto->DefineAccessor(Name, getter, setter, kDontEnum);
}

Value SiblingOf(XmlNodeData& N, Object* Self, int Step) {
  XmlNodeData* p = XmlNodeOf(N.parent);
  if (!p) return Value::Null();
  for (size_t i = 0; i < p->children.size(); ++i) {
    if (p->children[i] != Self) continue;
    ChargeWork(i);  // walking a long list sibling by sibling costs what it scans
    const size_t j = i + static_cast<size_t>(Step);
    return j < p->children.size() ? Value::Obj(p->children[j]) : Value::Null();
  }
  return Value::Null();
}

void InstallNodeAccessors(ScriptRuntime& R, Object* Proto) {
  Accessor(R, Proto, "nodeType", [](NativeCall&, XmlNodeData& N) { return Value::Number(N.type); });
  Accessor(
      R, Proto, "nodeName", [](NativeCall&, XmlNodeData& N) { return N.name; },
      [](NativeCall& C, XmlNodeData& N, const Value& V) {
        N.name = V.IsNull() || V.IsUndefined() ? Value::Null() : Value::String(C.ToString(V));
      });
  Accessor(
      R, Proto, "nodeValue", [](NativeCall&, XmlNodeData& N) { return N.value; },
      [](NativeCall& C, XmlNodeData& N, const Value& V) {
        N.value = V.IsNull() || V.IsUndefined() ? Value::Null() : Value::String(C.ToString(V));
      });
  Accessor(
      R, Proto, "attributes", [](NativeCall& C, XmlNodeData& N) { return Value::Obj(XmlAttributes(C.runtime, N)); },
      [](NativeCall&, XmlNodeData& N, const Value& V) {
        if (V.IsObject()) N.attributes = V.object();
      });
  Accessor(R, Proto, "childNodes",
           [](NativeCall& C, XmlNodeData& N) { return Value::Obj(XmlChildNodes(C.runtime, N)); });
  Accessor(R, Proto, "firstChild", [](NativeCall&, XmlNodeData& N) {
    return N.children.empty() ? Value::Null() : Value::Obj(N.children.front());
  });
  Accessor(R, Proto, "lastChild", [](NativeCall&, XmlNodeData& N) {
    return N.children.empty() ? Value::Null() : Value::Obj(N.children.back());
  });
  Accessor(R, Proto, "parentNode", [](NativeCall&, XmlNodeData& N) { return NodeValue(N.parent); });
  Accessor(R, Proto, "nextSibling",
           [](NativeCall& C, XmlNodeData& N) { return SiblingOf(N, C.thisValue.object(), 1); });
  Accessor(R, Proto, "previousSibling",
           [](NativeCall& C, XmlNodeData& N) { return SiblingOf(N, C.thisValue.object(), -1); });
  Accessor(R, Proto, "prefix", [](NativeCall&, XmlNodeData& N) { return NamePart(N, true); });
  Accessor(R, Proto, "localName", [](NativeCall&, XmlNodeData& N) { return NamePart(N, false); });
  Accessor(R, Proto, "namespaceURI", [](NativeCall& C, XmlNodeData& N) {
    Value prefix = NamePart(N, true);
    if (prefix.IsNull()) return Value::Null();
    return NamespaceForPrefix(C.thisValue.object(), prefix.string());
  });
}

void InstallNodeMethods(ScriptRuntime& R, Object* Proto) {
  R.Method(Proto, "appendChild", [](NativeCall& C) {
    if (ThisNode(C) && XmlNodeOf(C.Arg(0))) XmlAppend(C.thisValue.object(), C.Arg(0).object());
    return Value();
  });
  R.Method(Proto, "insertBefore", [](NativeCall& C) {
    if (ThisNode(C) && XmlNodeOf(C.Arg(0)) && XmlNodeOf(C.Arg(1)))
      XmlInsertBefore(C.thisValue.object(), C.Arg(0).object(), C.Arg(1).object());
    return Value();
  });
  R.Method(Proto, "removeNode", [](NativeCall& C) {
    if (ThisNode(C)) XmlRemove(C.thisValue.object());
    return Value();
  });
  R.Method(Proto, "hasChildNodes", [](NativeCall& C) {
    XmlNodeData* n = ThisNode(C);
    return n ? Value::Bool(!n->children.empty()) : Value();
  });
  R.Method(Proto, "cloneNode", [](NativeCall& C) {
    if (!ThisNode(C)) return Value();
    return Value::Obj(CloneNode(C.runtime, C.thisValue.object(), C.Arg(0).ToBoolean(), 0));
  });
  R.Method(Proto, "toString", [](NativeCall& C) {
    if (!ThisNode(C)) return Value();
    return Value::String(XmlNodeText(C.thisValue.object()));
  });
  R.Method(Proto, "getNamespaceForPrefix", [](NativeCall& C) {
    if (!ThisNode(C)) return Value();
    return NamespaceForPrefix(C.thisValue.object(), C.ToString(C.Arg(0)));
  });
  R.Method(Proto, "getPrefixForNamespace", [](NativeCall& C) {
    if (!ThisNode(C)) return Value();
    return PrefixForNamespace(C.thisValue.object(), C.ToString(C.Arg(0)));
  });
}

void InstallDocumentMethods(ScriptRuntime& R, Object* Proto) {
  R.Method(Proto, "parseXML", [](NativeCall& C) {
    if (ThisNode(C)) ParseInto(C, C.thisValue.object(), C.ToString(C.Arg(0)));
    return Value();
  });
  R.Method(Proto, "createElement", [](NativeCall& C) {
    return Value::Obj(NewXmlNode(C.runtime, kXmlElement, Value::String(C.ToString(C.Arg(0)))));
  });
  R.Method(Proto, "createTextNode", [](NativeCall& C) {
    return Value::Obj(NewXmlNode(C.runtime, kXmlText, Value::String(C.ToString(C.Arg(0)))));
  });
  R.Method(Proto, "toString", [](NativeCall& C) {
    if (!ThisNode(C)) return Value();
    std::string out;
    for (const char* member : {"xmlDecl", "docTypeDecl"}) {
      Value v = C.Get(C.thisValue, member);
      if (!v.IsUndefined() && !v.IsNull()) out += C.ToString(v);
    }
    return Value::String(out + XmlNodeText(C.thisValue.object()));
  });
  // What a finished load hands over: the text, or undefined when it failed.
  R.Method(Proto, "onData", [](NativeCall& C) {
    Value text = C.Arg(0);
    const bool ok = !text.IsUndefined();
    if (ok && ThisNode(C)) ParseInto(C, C.thisValue.object(), C.ToString(text));
    C.Set(C.thisValue, "loaded", Value::Bool(ok));
    C.Call(C.Get(C.thisValue, "onLoad"), C.thisValue, {Value::Bool(ok)});
    return Value();
  });
  R.Method(Proto, "onLoad", [](NativeCall&) { return Value(); });
  Proto->Define("contentType", Value::String("application/x-www-form-urlencoded"), kDontEnum);
  InstallDataLoading(R, Proto, [](NativeCall& C) { return C.ToString(C.thisValue); });
}

}  // namespace

void InstallXml(ScriptRuntime& R) {
  Object* nodeProto = R.NewObject();
  InstallNodeAccessors(R, nodeProto);
  InstallNodeMethods(R, nodeProto);
  InstallClass(R, "XMLNode", nodeProto, [](NativeCall& C) {
    if (Object* self = C.ThisObject()) {
      const int type = C.ToNumber(C.Arg(0)) == 3 ? kXmlText : kXmlElement;
      Value v = C.Arg(1);
      MakeXmlNode(*self, type, v.IsUndefined() ? Value::Null() : Value::String(C.ToString(v)));
    }
    return Value();
  });

  Object* docProto = R.NewObject();
  docProto->prototype = nodeProto;
  InstallDocumentMethods(R, docProto);
  InstallClass(R, "XML", docProto, [](NativeCall& C) {
    Object* self = C.ThisObject();
    if (!self) return Value();
    MakeXmlNode(*self, kXmlElement, Value::Null());
    Value text = C.Arg(0);
    if (!text.IsUndefined() && !text.IsNull()) ParseInto(C, self, C.ToString(text));
    return Value();
  });
}

}  // namespace swf
