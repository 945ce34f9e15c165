#pragma once
// AMF0, the encoding of an FLV stream's script data (onMetaData and cue
// points): numbers, booleans, strings, objects, ECMA and strict arrays,
// dates, null and undefined, read into plain values.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace swf::video {

struct AmfMember;

struct AmfValue {
  enum class Type : uint8_t { Number, Boolean, String, Object, Null, Undefined, Array, StrictArray, Date };
  Type type = Type::Undefined;
  double number = 0;   // Number, Date (milliseconds); Boolean as 0 or 1
  std::string string;  // String (long strings and XML documents too); Object: the class name of a typed object
  std::vector<AmfMember> members;  // Object, Array: in stream order
  std::vector<AmfValue> items;                            // StrictArray

  // The member Name of an object or array, or nullptr.
  const AmfValue* Member(const std::string& Name) const;
};

struct AmfMember {
  std::string name;
  AmfValue value;
};

// Reads one value at Data[Pos], moving Pos past it. Throws FormatError
// ("AMF0: ... at offset N") for a value cut off, an unknown type marker, a
// reference (FLV script data holds none) or nesting deeper than 64.
AmfValue ReadAmf0(const uint8_t* Data, size_t Size, size_t& Pos);

}  // namespace swf::video
