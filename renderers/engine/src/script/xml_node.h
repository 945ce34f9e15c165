#pragma once
// XML nodes as scripts hold them: the links and contents an XMLNode object
// keeps in its NativeData, and the tree operations XML and XMLNode share.

#include <string>
#include <vector>

#include "renderers/engine/script.h"

namespace swf {

enum XmlNodeType : int { kXmlElement = 1, kXmlText = 3 };

class XmlNodeData : public NativeData {
 public:
  int type = kXmlElement;
  Value name;   // a string for an element; null for text and documents
  Value value;  // a string for text; null for elements
  Object* parent = nullptr;
  std::vector<Object*> children;
  Object* attributes = nullptr;  // made when first asked for
  Object* childNodes = nullptr;  // an array made when first asked for, rewritten on every change

  void References(std::vector<Object*>& Out) const override;
};

// The node data of V, or nullptr when V is not an XML node.
XmlNodeData* XmlNodeOf(const Value& V);
XmlNodeData* XmlNodeOf(const Object* O);

// A new node whose prototype is what XMLNode.prototype is now.
Object* NewXmlNode(ScriptRuntime& R, int Type, Value NameOrValue);
// Makes O a node (the XMLNode and XML constructors).
XmlNodeData& MakeXmlNode(Object& O, int Type, Value NameOrValue);

Object* XmlAttributes(ScriptRuntime& R, XmlNodeData& N);
Object* XmlChildNodes(ScriptRuntime& R, XmlNodeData& N);

// Tree changes; false when refused (a node into itself or its descendant,
// a reference node that is not a child).
bool XmlAppend(Object* Parent, Object* Child);
bool XmlInsertBefore(Object* Parent, Object* Child, Object* Before);
void XmlRemove(Object* Child);
void XmlRemoveChildren(Object* Parent);

// The node as XML text (documents: their children), nested at most
// kXmlMaxDepth deep.
inline constexpr int kXmlMaxDepth = 256;
std::string XmlNodeText(const Object* Node);

}  // namespace swf
