#pragma once
// Action bytes (DoAction, button and clip actions) decoded into a list of
// actions the interpreter runs. Jumps and function bodies are resolved to
// indexes into the list while decoding, so a running script never looks at
// the bytes again. Portable.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "renderers/engine/model.h"

namespace swf {

enum class ActionCode : uint8_t {
  End = 0x00,
  NextFrame = 0x04,
  PreviousFrame = 0x05,
  Play = 0x06,
  Stop = 0x07,
  ToggleQuality = 0x08,
  StopSounds = 0x09,
  Add = 0x0A,
  Subtract = 0x0B,
  Multiply = 0x0C,
  Divide = 0x0D,
  Equals = 0x0E,
  Less = 0x0F,
  And = 0x10,
  Or = 0x11,
  Not = 0x12,
  StringEquals = 0x13,
  StringLength = 0x14,
  StringExtract = 0x15,
  Pop = 0x17,
  ToInteger = 0x18,
  GetVariable = 0x1C,
  SetVariable = 0x1D,
  SetTarget2 = 0x20,
  StringAdd = 0x21,
  GetProperty = 0x22,
  SetProperty = 0x23,
  CloneSprite = 0x24,
  RemoveSprite = 0x25,
  Trace = 0x26,
  StartDrag = 0x27,
  EndDrag = 0x28,
  StringLess = 0x29,
  Throw = 0x2A,
  CastOp = 0x2B,
  ImplementsOp = 0x2C,
  RandomNumber = 0x30,
  MBStringLength = 0x31,
  CharToAscii = 0x32,
  AsciiToChar = 0x33,
  GetTime = 0x34,
  MBStringExtract = 0x35,
  MBCharToAscii = 0x36,
  MBAsciiToChar = 0x37,
  Delete = 0x3A,
  Delete2 = 0x3B,
  DefineLocal = 0x3C,
  CallFunction = 0x3D,
  Return = 0x3E,
  Modulo = 0x3F,
  NewObject = 0x40,
  DefineLocal2 = 0x41,
  InitArray = 0x42,
  InitObject = 0x43,
  TypeOf = 0x44,
  TargetPath = 0x45,
  Enumerate = 0x46,
  Add2 = 0x47,
  Less2 = 0x48,
  Equals2 = 0x49,
  ToNumber = 0x4A,
  ToString = 0x4B,
  PushDuplicate = 0x4C,
  StackSwap = 0x4D,
  GetMember = 0x4E,
  SetMember = 0x4F,
  Increment = 0x50,
  Decrement = 0x51,
  CallMethod = 0x52,
  NewMethod = 0x53,
  InstanceOf = 0x54,
  Enumerate2 = 0x55,
  BitAnd = 0x60,
  BitOr = 0x61,
  BitXor = 0x62,
  BitLShift = 0x63,
  BitRShift = 0x64,
  BitURShift = 0x65,
  StrictEquals = 0x66,
  Greater = 0x67,
  StringGreater = 0x68,
  Extends = 0x69,
  // Codes from 0x80 carry a 16-bit length and a payload.
  GotoFrame = 0x81,
  GetURL = 0x83,
  StoreRegister = 0x87,
  ConstantPool = 0x88,
  WaitForFrame = 0x8A,
  SetTarget = 0x8B,
  GotoLabel = 0x8C,
  WaitForFrame2 = 0x8D,
  DefineFunction2 = 0x8E,
  Try = 0x8F,
  With = 0x94,
  Push = 0x96,
  Jump = 0x99,
  GetURL2 = 0x9A,
  DefineFunction = 0x9B,
  If = 0x9D,
  Call = 0x9E,
  GotoFrame2 = 0x9F,
};

// One value of a Push action.
struct PushItem {
  enum class Type : uint8_t { String, Float, Null, Undefined, Register, Boolean, Double, Integer, Constant };
  Type type = Type::Undefined;
  std::string string;   // String
  double number = 0;    // Float, Double, Integer; Boolean as 0 or 1
  uint16_t index = 0;   // Register, Constant (8 or 16 bit in the bytes)
};

// DefineFunction2 flags as stored.
enum FunctionFlags : uint16_t {
  kPreloadThis = 0x0001,
  kSuppressThis = 0x0002,
  kPreloadArguments = 0x0004,
  kSuppressArguments = 0x0008,
  kPreloadSuper = 0x0010,
  kSuppressSuper = 0x0020,
  kPreloadRoot = 0x0040,
  kPreloadParent = 0x0080,
  kPreloadGlobal = 0x0100,
};

struct FunctionDef {
  std::string name;                     // empty for a function expression
  std::vector<std::string> params;
  std::vector<uint8_t> paramRegisters;  // DefineFunction2: the register of each parameter, 0 for none
  uint8_t registerCount = 0;            // DefineFunction2; 0 for DefineFunction
  uint16_t flags = 0;                   // DefineFunction2
  bool version2 = false;
};

struct Action {
  ActionCode code = ActionCode::End;
  uint32_t offset = 0;                   // of the action's first byte in the block
  std::vector<PushItem> push;            // Push
  std::vector<std::string> strings;      // ConstantPool; GotoLabel, SetTarget: [0]; GetURL: url, target;
                                         // Try: the catch variable
  int32_t number = 0;                    // GotoFrame: frame; StoreRegister: register; GetURL2, GotoFrame2, Try: flags;
                                         // WaitForFrame(2): skip count
  int32_t number2 = 0;                   // GotoFrame2: scene bias; WaitForFrame: frame; Try: the catch register
  size_t target = 0;                     // Jump, If: index of the action to go to (`length` for the end);
                                         // DefineFunction(2), With: where control goes after the body;
                                         // Try: the first action after the try body
  size_t target2 = 0, target3 = 0;       // Try: the first action after the catch body, after the finally body;
                                         // DefineFunction(2), With: the index past the body's last action
  std::shared_ptr<const FunctionDef> function;  // DefineFunction(2)
};

// Decoded actions of one block. The first `length` actions are the block's
// records in order, ending before its End action (or its damage, or the end
// of the data); index `length` is the block's end. Records reached only by a
// jump into the middle of another follow, after an End action at index
// `length`, each run ending in a Jump back to a decoded record or the end.
struct ActionBlock {
  std::vector<Action> actions;
  size_t length = 0;
  size_t byteLength = 0;  // bytes of the main run, up to and including End
  std::string damage;     // the first record that could not be read, with its offset; empty if none
};

// Decodes a block as far as it can be read: the first damaged record (cut
// off, a length past the end, a string without its NUL, an unknown push
// type) ends its run and is named in `damage`. Jumps outside the data lead
// to the end; bodies running past the data end with it; a body ending inside
// a record leaves that record out. Never reads outside [Data, Data + Size);
// the actions are bounded by the data's size.
ActionBlock DecodeActions(const uint8_t* Data, size_t Size);
inline ActionBlock DecodeActions(const std::vector<uint8_t>& Bytes) { return DecodeActions(Bytes.data(), Bytes.size()); }

// The name of an action code ("Push", "GetURL2", ...), or "0xNN" for an unknown one.
std::string ActionName(ActionCode Code);

}  // namespace swf
