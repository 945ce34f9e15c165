// ExternalInterface's XML helpers: values to the XML calling convention
// (<number>4</number>, <array><property id="0">...</property></array>) and
// back from parsed XML nodes, and the escaping they use. They work as
// script code would: members are read with getters, arrays by their length.

#include "renderers/engine/src/script/external_xml.h"
#include "renderers/engine/src/script/xml_parse.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <utility>

#include "renderers/engine/src/script/internal.h"
#include "renderers/engine/src/script/xml_node.h"

namespace swf {
namespace {

// Values nested deeper than this come out as <null/>.
constexpr int kMaxNesting = 64;
// Elements of one array at most.
constexpr double kMaxElements = 1 << 20;

// The five entities, as the helpers escape them; "" gives null.
Value EscapeText(const std::string& S) {
  if (S.empty()) return Value::Null();
  return Value::String(EscapeXml(S));
}

Value UnescapeText(const std::string& S) {
  if (S.empty()) return Value::Null();
  static constexpr std::pair<std::string_view, char> kEntities[] = {
      {"&amp;", '&'}, {"&quot;", '"'}, {"&apos;", '\''}, {"&lt;", '<'}, {"&gt;", '>'}};
  std::string out;
  for (size_t i = 0; i < S.size();) {
    bool replaced = false;
    for (const auto& [entity, c] : kEntities) {
      if (std::string_view(S).substr(i, entity.size()) == entity) {
        out += c;
        i += entity.size();
        replaced = true;
        break;
      }
    }
    if (!replaced) out += S[i++];
  }
  return Value::String(out);
}

std::string ToXml(NativeCall& C, const Value& V, int Depth);

double LengthOf(NativeCall& C, const Value& V) {
  const double n = C.ToNumber(C.Get(V, "length"));
  return n > 0 ? std::min(n, kMaxElements) : 0;
}

std::string ArrayToXml(NativeCall& C, const Value& V, int Depth) {
  std::string out = "<array>";
  const double n = LengthOf(C, V);
  for (double i = 0; i < n; ++i) {
    ChargeWork(1);
    const std::string id = NumberToString(i);
    out += "<property id=\"" + id + "\">" + ToXml(C, C.Get(V, id), Depth + 1) + "</property>";
  }
  return out + "</array>";
}

std::string ArgumentsToXml(NativeCall& C, const Value& V, int Depth) {
  std::string out = "<arguments>";
  const double n = LengthOf(C, V);
  for (double i = 1; i < n; ++i) {
    ChargeWork(1);
    out += ToXml(C, C.Get(V, NumberToString(i)), Depth + 1);
  }
  return out + "</arguments>";
}

std::string ObjectToXml(NativeCall& C, const Value& V, int Depth) {
  std::string out = "<object>";
  if (V.IsObject()) {
    // for..in order: newest member first.
    const std::vector<std::string> names = V.object()->Keys();
    ChargeWork(names.size());
    for (auto it = names.rbegin(); it != names.rend(); ++it)
      out += "<property id=\"" + *it + "\">" + ToXml(C, C.Get(V, *it), Depth + 1) + "</property>";
  }
  return out + "</object>";
}

std::string ToXml(NativeCall& C, const Value& V, int Depth) {
  if (Depth > kMaxNesting) return "<null/>";
  switch (V.type()) {
    case Value::Type::Undefined: return "<undefined/>";
    case Value::Type::Null: return "<null/>";
    case Value::Type::Boolean: return V.boolean() ? "<true/>" : "<false/>";
    case Value::Type::Number: return "<number>" + NumberToString(V.number()) + "</number>";
    case Value::Type::String: return "<string>" + EscapeText(V.string()).ToString() + "</string>";
    case Value::Type::Clip: return "<object></object>";
    case Value::Type::Object:
      if (V.object()->IsFunction()) return "<null/>";
      if (!C.Get(V, "length").IsUndefined()) return ArrayToXml(C, V, Depth);
      return ObjectToXml(C, V, Depth);
  }
  return "<null/>";
}

// ---- back from parsed XML ----

Value ToAs(NativeCall& C, const Value& Node, int Depth);

// The child elements of an XML node.
std::vector<Object*> Children(const Value& Node) {
  const XmlNodeData* n = XmlNodeOf(Node);
  return n ? n->children : std::vector<Object*>{};
}

Value ObjectToAs(NativeCall& C, const Value& Node, int Depth) {
  Object* out = C.runtime.NewObject();
  for (Object* property : Children(Node)) {
    ChargeWork(1);
    const XmlNodeData* p = XmlNodeOf(property);
    if (!p || !p->attributes) continue;
    const Value id = p->attributes->Get("id");
    Value first = p->children.empty() ? Value() : Value::Obj(p->children.front());
    out->Set(id.ToString(), ToAs(C, first, Depth + 1));
  }
  return Value::Obj(out);
}

Value ArrayToAs(NativeCall& C, const Value& Node, int Depth) {
  Object* out = C.runtime.NewArray({});
  for (Object* property : Children(Node)) {
    ChargeWork(1);
    const XmlNodeData* p = XmlNodeOf(property);
    if (!p || !p->attributes) continue;
    const Value id = p->attributes->Get("id");
    Value first = p->children.empty() ? Value() : Value::Obj(p->children.front());
    C.Set(Value::Obj(out), id.ToString(), ToAs(C, first, Depth + 1));
  }
  return Value::Obj(out);
}

// The node's name as _toAS reads it: a string, or a String object's; a
// name of any other kind matches no type.
std::string TypeName(NativeCall& C, const Value& Node) {
  Value name = C.Get(Node, "nodeName");
  if (name.IsString()) return name.string();
  if (name.IsObject())
    if (std::optional<Value> p = WrappedPrimitive(name.object()); p && p->IsString()) return p->string();
  return "";
}

// A number as _toAS reads one: blanks before it, then a whole decimal
// number and nothing after; anything else is NaN.
double StrictDecimal(const std::string& S) {
  size_t i = S.find_first_not_of(" \t\r\n");
  if (i == std::string::npos) return NAN;
  size_t start = i;
  if (S[i] == '+' || S[i] == '-') ++i;
  size_t digits = 0;
  for (; i < S.size() && S[i] >= '0' && S[i] <= '9'; ++i) ++digits;
  if (i < S.size() && S[i] == '.')
    for (++i; i < S.size() && S[i] >= '0' && S[i] <= '9'; ++i) ++digits;
  if (digits == 0) return NAN;
  if (i < S.size() && (S[i] == 'e' || S[i] == 'E')) {
    size_t e = i + 1;
    if (e < S.size() && (S[e] == '+' || S[e] == '-')) ++e;
    size_t expDigits = 0;
    for (; e < S.size() && S[e] >= '0' && S[e] <= '9'; ++e) ++expDigits;
    if (expDigits == 0) return NAN;
    i = e;
  }
  if (i != S.size()) return NAN;
  return StringToNumber(S.substr(start), 5);
}

// Reads a node as script code would: its nodeName says the type, the text
// of its firstChild (whatever that converts to) the value.
Value ToAs(NativeCall& C, const Value& Node, int Depth) {
  if (Depth > kMaxNesting || !Node.IsObject()) return Value();
  const std::string name = TypeName(C, Node);
  auto content = [&] { return C.ToString(C.Get(Node, "firstChild")); };
  if (name == "number" || name == "date") return Value::Number(StrictDecimal(content()));
  if (name == "string") return Value::String(UnescapeText(content()).ToString());
  if (name == "false") return Value::Bool(false);
  if (name == "true") return Value::Bool(true);
  if (name == "null") return Value::Null();
  if (name == "undefined") return Value();
  if (!XmlNodeOf(Node)) return Value();
  if (name == "object") return ObjectToAs(C, Node, Depth);
  if (name == "array") return ArrayToAs(C, Node, Depth);
  return Value();
}

Value ArgumentsToAs(NativeCall& C, const Value& Node) {
  std::vector<Value> values;
  for (Object* child : Children(Node)) {
    ChargeWork(1);
    values.push_back(ToAs(C, Value::Obj(child), 1));
  }
  return Value::Obj(C.runtime.NewArray(values));
}

}  // namespace

void InstallExternalXml(ScriptRuntime& R, Object* Ei) {
  R.Method(Ei, "_escapeXML", [](NativeCall& C) {
    return C.args.empty() ? Value::Null() : EscapeText(C.ToString(C.Arg(0)));
  });
  R.Method(Ei, "_unescapeXML", [](NativeCall& C) {
    return C.args.empty() ? Value::Null() : UnescapeText(C.ToString(C.Arg(0)));
  });
  R.Method(Ei, "_toXML", [](NativeCall& C) { return Value::String(ToXml(C, C.Arg(0), 0)); });
  R.Method(Ei, "_arrayToXML", [](NativeCall& C) { return Value::String(ArrayToXml(C, C.Arg(0), 0)); });
  R.Method(Ei, "_argumentsToXML", [](NativeCall& C) { return Value::String(ArgumentsToXml(C, C.Arg(0), 0)); });
  R.Method(Ei, "_objectToXML", [](NativeCall& C) { return Value::String(ObjectToXml(C, C.Arg(0), 0)); });
  R.Method(Ei, "_toAS", [](NativeCall& C) { return ToAs(C, C.Arg(0), 0); });
  R.Method(Ei, "_objectToAS", [](NativeCall& C) { return ObjectToAs(C, C.Arg(0), 0); });
  R.Method(Ei, "_arrayToAS", [](NativeCall& C) { return ArrayToAs(C, C.Arg(0), 0); });
  R.Method(Ei, "_argumentsToAS", [](NativeCall& C) { return ArgumentsToAs(C, C.Arg(0)); });
}

}  // namespace swf
