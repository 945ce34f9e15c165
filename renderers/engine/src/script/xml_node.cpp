// The XML node tree: links kept in each node's data, the childNodes array
// kept in step with them, and printing.

#include "renderers/engine/src/script/xml_node.h"

#include <algorithm>
#include <cstdint>

#include "renderers/engine/src/script/internal.h"
#include "renderers/engine/src/script/xml_parse.h"

namespace swf {
namespace {

// Rewrites the node's childNodes array (when a script has seen it) from its children.
void SyncChildNodes(XmlNodeData& N) {
  if (!N.childNodes) return;
  ChargeWork(N.children.size());
  for (size_t i = 0; i < N.children.size(); ++i)
    N.childNodes->Set(NumberToString(static_cast<double>(i)), Value::Obj(N.children[i]));
  N.childNodes->Set("length", Value::Number(static_cast<double>(N.children.size())));
}

// Is A the node D or one of its ancestors?
bool IsSelfOrAncestor(const Object* A, const Object* D) {
  for (size_t steps = 0; D && steps < (1u << 20); ++steps) {
    ChargeWork(1);
    if (A == D) return true;
    const XmlNodeData* n = XmlNodeOf(D);
    D = n ? n->parent : nullptr;
  }
  return false;
}

void Detach(Object* Child, XmlNodeData& C) {
  if (!C.parent) return;
  if (XmlNodeData* p = XmlNodeOf(C.parent)) {
    auto it = std::find(p->children.begin(), p->children.end(), Child);
    ChargeWork(static_cast<uint64_t>(it - p->children.begin()));
    if (it != p->children.end()) p->children.erase(it);
    SyncChildNodes(*p);
  }
  C.parent = nullptr;
}

// Past this much text a printout stops growing.
constexpr size_t kMaxText = 1u << 24;

void Print(const Object* Node, std::string& Out, int Depth) {
  const XmlNodeData* n = XmlNodeOf(Node);
  if (!n || Depth > kXmlMaxDepth || Out.size() > kMaxText) return;
  ChargeWork(1);
  if (n->type == kXmlText) {
    Out += EscapeXml(n->value.IsNull() || n->value.IsUndefined() ? "" : n->value.ToString());
    return;
  }
  const bool named = !n->name.IsNull() && !n->name.IsUndefined();
  if (named) {
    Out += '<';
    Out += n->name.ToString();
    if (n->attributes) {
      // Newest first, as for..in lists them: parsed attributes come out as written.
      auto attributes = n->attributes->OwnValues();
      ChargeWork(attributes.size());
      for (auto it = attributes.rbegin(); it != attributes.rend(); ++it)
        Out += ' ' + it->first + "=\"" + EscapeXml(it->second.ToString()) + '"';
    }
    if (n->children.empty()) {
      Out += " />";
      return;
    }
    Out += '>';
  }
  for (const Object* c : n->children) Print(c, Out, Depth + 1);
  if (named) Out += "</" + n->name.ToString() + '>';
}

}  // namespace

void XmlNodeData::References(std::vector<Object*>& Out) const {
  if (parent) Out.push_back(parent);
  if (attributes) Out.push_back(attributes);
  if (childNodes) Out.push_back(childNodes);
  Out.insert(Out.end(), children.begin(), children.end());
}

XmlNodeData* XmlNodeOf(const Object* O) { return O ? dynamic_cast<XmlNodeData*>(O->data.get()) : nullptr; }
XmlNodeData* XmlNodeOf(const Value& V) { return V.IsObject() ? XmlNodeOf(V.object()) : nullptr; }

XmlNodeData& MakeXmlNode(Object& O, int Type, Value NameOrValue) {
  auto data = std::make_unique<XmlNodeData>();
  data->type = Type;
  data->name = Type == kXmlElement ? NameOrValue : Value::Null();
  data->value = Type == kXmlElement ? Value::Null() : NameOrValue;
  XmlNodeData& out = *data;
  O.data = std::move(data);
  return out;
}

Object* NewXmlNode(ScriptRuntime& R, int Type, Value NameOrValue) {
  Object* node = R.NewObject();
  Object* proto = R.BuiltinPrototype("XMLNode");
  Value ctor = R.Global()->Get("XMLNode");
  if (ctor.IsObject()) {
    Value p = ctor.object()->Get("prototype");
    if (p.IsObject()) proto = p.object();
  }
  if (proto) node->prototype = proto;
  MakeXmlNode(*node, Type, std::move(NameOrValue));
  return node;
}

Object* XmlAttributes(ScriptRuntime& R, XmlNodeData& N) {
  if (!N.attributes) N.attributes = R.NewObject();
  return N.attributes;
}

Object* XmlChildNodes(ScriptRuntime& R, XmlNodeData& N) {
  if (!N.childNodes) {
    N.childNodes = R.NewArray({});
    SyncChildNodes(N);
  }
  return N.childNodes;
}

bool XmlInsertBefore(Object* Parent, Object* Child, Object* Before) {
  XmlNodeData* p = XmlNodeOf(Parent);
  XmlNodeData* c = XmlNodeOf(Child);
  if (!p || !c || Child == Before || IsSelfOrAncestor(Child, Parent)) return false;
  if (Before && std::find(p->children.begin(), p->children.end(), Before) == p->children.end()) return false;
  Detach(Child, *c);
  auto at = Before ? std::find(p->children.begin(), p->children.end(), Before) : p->children.end();
  p->children.insert(at, Child);
  c->parent = Parent;
  SyncChildNodes(*p);
  return true;
}

bool XmlAppend(Object* Parent, Object* Child) { return XmlInsertBefore(Parent, Child, nullptr); }

void XmlRemove(Object* Child) {
  if (XmlNodeData* c = XmlNodeOf(Child)) Detach(Child, *c);
}

void XmlRemoveChildren(Object* Parent) {
  XmlNodeData* p = XmlNodeOf(Parent);
  if (!p) return;
  for (Object* c : p->children)
    if (XmlNodeData* d = XmlNodeOf(c)) d->parent = nullptr;
  p->children.clear();
  SyncChildNodes(*p);
}

std::string XmlNodeText(const Object* Node) {
  std::string out;
  Print(Node, out, 0);
  return out;
}

}  // namespace swf
