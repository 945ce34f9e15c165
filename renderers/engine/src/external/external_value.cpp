#include <cmath>

#include "renderers/engine/external.h"

namespace swf {

ExternalValue ExternalValue::Undefined() { return {}; }

ExternalValue ExternalValue::Null() {
  ExternalValue v;
  v.kind = Kind::Null;
  return v;
}

ExternalValue ExternalValue::Boolean(bool Value) {
  ExternalValue v;
  v.kind = Kind::Boolean;
  v.boolean = Value;
  return v;
}

ExternalValue ExternalValue::Number(double Value) {
  ExternalValue v;
  v.kind = Kind::Number;
  v.number = Value;
  return v;
}

ExternalValue ExternalValue::String(std::string Value) {
  ExternalValue v;
  v.kind = Kind::String;
  v.string = std::move(Value);
  return v;
}

ExternalValue ExternalValue::Array(std::vector<ExternalValue> Items) {
  ExternalValue v;
  v.kind = Kind::Array;
  v.array = std::move(Items);
  return v;
}

ExternalValue ExternalValue::Object(std::vector<ExternalProperty> Properties) {
  ExternalValue v;
  v.kind = Kind::Object;
  for (ExternalProperty& p : Properties) v.SetProperty(p.name, std::move(p.value));
  return v;
}

void ExternalValue::SetProperty(const std::string& Name, ExternalValue Value) {
  for (ExternalProperty& p : object) {
    if (p.name == Name) {
      p.value = std::move(Value);
      return;
    }
  }
  object.push_back({Name, std::move(Value)});
}

bool operator==(const ExternalValue& A, const ExternalValue& B) {
  if (A.kind != B.kind) return false;
  switch (A.kind) {
    case ExternalValue::Kind::Undefined:
    case ExternalValue::Kind::Null:
      return true;
    case ExternalValue::Kind::Boolean:
      return A.boolean == B.boolean;
    case ExternalValue::Kind::Number:
      return A.number == B.number || (std::isnan(A.number) && std::isnan(B.number));
    case ExternalValue::Kind::String:
      return A.string == B.string;
    case ExternalValue::Kind::Array:
      return A.array == B.array;
    case ExternalValue::Kind::Object:
      return A.object == B.object;
  }
  return false;
}

}  // namespace swf
