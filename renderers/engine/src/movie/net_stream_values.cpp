// An FLV stream's script data (onMetaData) as the script values a handler
// receives. The AMF0 reader bounds the nesting, so the recursion is bounded.
#include "renderers/engine/src/movie/movie_state.h"
#include "renderers/engine/src/movie/net_stream.h"

namespace swf::movie {

Value ScriptValueOf(MovieInstance::State& S, const video::AmfValue& V, std::vector<RootedObject>& Keep) {
  using Type = video::AmfValue::Type;
  ScriptRuntime& r = S.runtime;
  switch (V.type) {
    case Type::Number:
      return Value::Number(V.number);
    case Type::Boolean:
      return Value::Bool(V.number != 0);
    case Type::String:
      return Value::String(V.string);
    case Type::Null:
      return Value::Null();
    case Type::Undefined:
      return Value();
    case Type::Object:
    case Type::Array: {
      Object* o = r.NewObject();
      Keep.emplace_back(r, o);
      for (const video::AmfMember& m : V.members)
        if (!o->NamesProto(m.name)) o->Set(m.name, ScriptValueOf(S, m.value, Keep));
      return Value::Obj(o);
    }
    case Type::StrictArray: {
      std::vector<Value> items;
      items.reserve(V.items.size());
      for (const video::AmfValue& item : V.items) items.push_back(ScriptValueOf(S, item, Keep));
      Object* a = r.NewArray(items);
      Keep.emplace_back(r, a);
      return Value::Obj(a);
    }
    case Type::Date: {
      // Made by the Date class itself, so the object is a date like any other.
      Object* proto = r.BuiltinPrototype("Date");
      const std::optional<Value> ctor = proto ? proto->Find("constructor") : std::nullopt;
      if (!ctor || !ctor->IsFunction()) return Value::Number(V.number);
      Object* d = r.NewObject();
      Keep.emplace_back(r, d);
      d->prototype = proto;
      r.CallFunction(*ctor, Value::Obj(d), {Value::Number(V.number)}, S.Clip0(), S.bridge, S.self.budget);
      return Value::Obj(d);
    }
  }
  return Value();
}

}  // namespace swf::movie
