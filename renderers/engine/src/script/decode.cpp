// Action bytes into the decoded list: one pass over the records, then jump
// targets and body ends mapped from byte offsets to action indexes.

#include <cstring>
#include <map>

#include "renderers/engine/actions.h"

namespace swf {
namespace {

// Compilers write a character outside the basic plane either as UTF-8's
// four bytes or as its two UTF-16 halves, three bytes each. The halves are
// joined into the four bytes, so the string compares, counts and prints as
// the character it stands for.
void JoinSurrogatePairs(std::string& S) {
  auto byte = [&](size_t I) { return static_cast<unsigned char>(S[I]); };
  size_t out = 0;
  for (size_t i = 0; i < S.size();) {
    if (i + 6 <= S.size() && byte(i) == 0xED && (byte(i + 1) & 0xF0) == 0xA0 && (byte(i + 2) & 0xC0) == 0x80 &&
        byte(i + 3) == 0xED && (byte(i + 4) & 0xF0) == 0xB0 && (byte(i + 5) & 0xC0) == 0x80) {
      const uint32_t high = 0xD000u | ((byte(i + 1) & 0x3Fu) << 6) | (byte(i + 2) & 0x3Fu);
      const uint32_t low = 0xD000u | ((byte(i + 4) & 0x3Fu) << 6) | (byte(i + 5) & 0x3Fu);
      const uint32_t c = 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
      S[out++] = static_cast<char>(0xF0 | (c >> 18));
      S[out++] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      S[out++] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      S[out++] = static_cast<char>(0x80 | (c & 0x3F));
      i += 6;
    } else {
      S[out++] = S[i++];
    }
  }
  S.resize(out);
}

[[noreturn]] void Fail(const std::string& What, size_t Offset) {
  throw FormatError("actions: " + What + " at offset " + std::to_string(Offset));
}

// Reads the payload of one record; every read stays inside it.
class Payload {
 public:
  Payload(const uint8_t* Data, size_t Size, size_t Base, ActionCode Code)
      : data_(Data), size_(Size), base_(Base), code_(Code) {}

  bool AtEnd() const { return pos_ >= size_; }
  size_t Offset() const { return base_ + pos_; }

  uint8_t U8() {
    Need(1);
    return data_[pos_++];
  }
  uint16_t U16() {
    Need(2);
    uint16_t v = static_cast<uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
    pos_ += 2;
    return v;
  }
  uint32_t U32() {
    Need(4);
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | data_[pos_ + static_cast<size_t>(i)];
    pos_ += 4;
    return v;
  }
  std::string String() {
    const void* nul = pos_ < size_ ? std::memchr(data_ + pos_, 0, size_ - pos_) : nullptr;
    if (!nul) Fail(ActionName(code_) + " holds a string without its terminating NUL", Offset());
    size_t n = static_cast<size_t>(static_cast<const uint8_t*>(nul) - (data_ + pos_));
    std::string s(reinterpret_cast<const char*>(data_ + pos_), n);
    pos_ += n + 1;
    JoinSurrogatePairs(s);
    return s;
  }

 private:
  void Need(size_t N) {
    if (size_ - pos_ < N) Fail(ActionName(code_) + " is shorter than its contents", Offset());
  }

  const uint8_t* data_;
  size_t size_, pos_ = 0, base_;
  ActionCode code_;
};

void DecodePush(Payload& P, Action& A) {
  while (!P.AtEnd()) {
    size_t at = P.Offset();
    PushItem item;
    uint8_t type = P.U8();
    switch (type) {
      case 0:
        item.type = PushItem::Type::String;
        item.string = P.String();
        break;
      case 1: {
        item.type = PushItem::Type::Float;
        uint32_t bits = P.U32();
        float f;
        std::memcpy(&f, &bits, sizeof f);
        item.number = f;
        break;
      }
      case 2: item.type = PushItem::Type::Null; break;
      case 3: item.type = PushItem::Type::Undefined; break;
      case 4:
        item.type = PushItem::Type::Register;
        item.index = P.U8();
        break;
      case 5:
        item.type = PushItem::Type::Boolean;
        item.number = P.U8() ? 1 : 0;
        break;
      case 6: {
        // Two little-endian 32-bit halves, the high half first.
        item.type = PushItem::Type::Double;
        uint64_t hi = P.U32(), lo = P.U32();
        uint64_t bits = hi << 32 | lo;
        std::memcpy(&item.number, &bits, sizeof item.number);
        break;
      }
      case 7:
        item.type = PushItem::Type::Integer;
        item.number = static_cast<int32_t>(P.U32());
        break;
      case 8:
        item.type = PushItem::Type::Constant;
        item.index = P.U8();
        break;
      case 9:
        item.type = PushItem::Type::Constant;
        item.index = P.U16();
        break;
      default: Fail("Push has an unknown value type " + std::to_string(type), at);
    }
    A.push.push_back(std::move(item));
  }
}

// Decodes the payload of A; BodySize receives the size of a body that
// follows the record (functions, with), Jump the relative branch.
void DecodePayload(Payload& P, Action& A, size_t& BodySize, int32_t& Branch, size_t (&TrySizes)[3]) {
  switch (A.code) {
    case ActionCode::Try: {
      A.number = P.U8();
      for (size_t& s : TrySizes) s = P.U16();
      if (A.number & 4) A.number2 = P.U8();
      else A.strings.push_back(P.String());
      break;
    }
    case ActionCode::GotoFrame: A.number = P.U16(); break;
    case ActionCode::GetURL:
      A.strings.push_back(P.String());
      A.strings.push_back(P.String());
      break;
    case ActionCode::StoreRegister: A.number = P.U8(); break;
    case ActionCode::ConstantPool: {
      uint16_t n = P.U16();
      for (uint16_t i = 0; i < n; ++i) A.strings.push_back(P.String());
      break;
    }
    case ActionCode::WaitForFrame:
      A.number2 = P.U16();
      A.number = P.U8();
      break;
    case ActionCode::WaitForFrame2: A.number = P.U8(); break;
    case ActionCode::SetTarget:
    case ActionCode::GotoLabel: A.strings.push_back(P.String()); break;
    case ActionCode::GetURL2: A.number = P.U8(); break;
    case ActionCode::GotoFrame2:
      A.number = P.U8();
      if (A.number & 2) A.number2 = P.U16();
      break;
    case ActionCode::Push: DecodePush(P, A); break;
    case ActionCode::Jump:
    case ActionCode::If: Branch = static_cast<int16_t>(P.U16()); break;
    case ActionCode::With: BodySize = P.U16(); break;
    case ActionCode::DefineFunction: {
      auto f = std::make_shared<FunctionDef>();
      f->name = P.String();
      uint16_t n = P.U16();
      for (uint16_t i = 0; i < n; ++i) f->params.push_back(P.String());
      f->paramRegisters.assign(n, 0);
      BodySize = P.U16();
      A.function = std::move(f);
      break;
    }
    case ActionCode::DefineFunction2: {
      auto f = std::make_shared<FunctionDef>();
      f->version2 = true;
      f->name = P.String();
      uint16_t n = P.U16();
      f->registerCount = P.U8();
      f->flags = P.U16();
      for (uint16_t i = 0; i < n; ++i) {
        f->paramRegisters.push_back(P.U8());
        f->params.push_back(P.String());
      }
      BodySize = P.U16();
      A.function = std::move(f);
      break;
    }
    default: break;  // unknown codes: the payload is skipped
  }
}

}  // namespace

ActionBlock DecodeActions(const uint8_t* Data, size_t Size) {
  ActionBlock block;
  struct Pending {
    size_t index, at;  // the action and its offset
    size_t targetOffset;
    bool body;  // a body end rather than a branch
    int field = 0;  // 0 target, 1 target2, 2 target3
  };
  std::vector<Pending> pending;
  size_t pos = 0;
  while (pos < Size && Data[pos] != 0) {
    Action a;
    a.offset = static_cast<uint32_t>(pos);
    a.code = static_cast<ActionCode>(Data[pos]);
    size_t next = pos + 1;
    if (Data[pos] >= 0x80) {
      if (Size - pos < 3) Fail(ActionName(a.code) + " is cut off before its length", pos);
      size_t length = Data[pos + 1] | (Data[pos + 2] << 8);
      if (Size - pos - 3 < length) Fail(ActionName(a.code) + "'s length " + std::to_string(length) + " runs past the end", pos);
      Payload p(Data + pos + 3, length, pos + 3, a.code);
      size_t bodySize = 0;
      int32_t branch = 0;
      size_t trySizes[3] = {0, 0, 0};
      bool hasBody = a.code == ActionCode::DefineFunction || a.code == ActionCode::DefineFunction2 ||
                     a.code == ActionCode::With;
      DecodePayload(p, a, bodySize, branch, trySizes);
      next = pos + 3 + length;
      if (a.code == ActionCode::Try) {
        size_t end = next;
        for (int i = 0; i < 3; ++i) {
          if (Size - end < trySizes[i]) Fail("Try's body runs past the end", pos);
          end += trySizes[i];
          pending.push_back({block.actions.size(), pos, end, true, i});
        }
      }
      if (a.code == ActionCode::Jump || a.code == ActionCode::If) {
        int64_t t = static_cast<int64_t>(next) + branch;
        if (t < 0 || static_cast<uint64_t>(t) > Size) Fail(ActionName(a.code) + " leads outside the block", pos);
        pending.push_back({block.actions.size(), pos, static_cast<size_t>(t), false});
      } else if (hasBody) {
        if (Size - next < bodySize) Fail(ActionName(a.code) + "'s body runs past the end", pos);
        pending.push_back({block.actions.size(), pos, next + bodySize, true});
      }
    }
    block.actions.push_back(std::move(a));
    pos = next;
  }
  size_t endOffset = pos;
  block.byteLength = pos < Size ? pos + 1 : pos;
  // Offsets of action starts, and the end.
  std::map<size_t, size_t> index;
  for (size_t i = 0; i < block.actions.size(); ++i) index[block.actions[i].offset] = i;
  index[endOffset] = block.actions.size();
  for (const Pending& p : pending) {
    auto it = index.find(p.targetOffset);
    if (it == index.end()) {
      if (p.targetOffset > endOffset)
        Fail(ActionName(block.actions[p.index].code) + (p.body ? "'s body runs past the end" : " leads outside the block"),
             p.at);
      Fail(ActionName(block.actions[p.index].code) +
               (p.body ? "'s body ends inside an action" : " leads into the middle of an action"),
           p.at);
    }
    Action& a = block.actions[p.index];
    (p.field == 0 ? a.target : p.field == 1 ? a.target2 : a.target3) = it->second;
  }
  return block;
}

std::string ActionName(ActionCode Code) {
  switch (Code) {
#define VT_NAME(n) \
  case ActionCode::n: return #n;
    VT_NAME(End) VT_NAME(NextFrame) VT_NAME(PreviousFrame) VT_NAME(Play) VT_NAME(Stop) VT_NAME(ToggleQuality)
    VT_NAME(StopSounds) VT_NAME(Add) VT_NAME(Subtract) VT_NAME(Multiply) VT_NAME(Divide) VT_NAME(Equals)
    VT_NAME(Less) VT_NAME(And) VT_NAME(Or) VT_NAME(Not) VT_NAME(StringEquals) VT_NAME(StringLength)
    VT_NAME(StringExtract) VT_NAME(Pop) VT_NAME(ToInteger) VT_NAME(GetVariable) VT_NAME(SetVariable)
    VT_NAME(SetTarget2) VT_NAME(StringAdd) VT_NAME(GetProperty) VT_NAME(SetProperty) VT_NAME(CloneSprite)
    VT_NAME(RemoveSprite) VT_NAME(Trace) VT_NAME(StartDrag) VT_NAME(EndDrag) VT_NAME(StringLess) VT_NAME(Throw)
    VT_NAME(CastOp) VT_NAME(ImplementsOp) VT_NAME(RandomNumber) VT_NAME(MBStringLength) VT_NAME(CharToAscii)
    VT_NAME(AsciiToChar) VT_NAME(GetTime) VT_NAME(MBStringExtract) VT_NAME(MBCharToAscii) VT_NAME(MBAsciiToChar)
    VT_NAME(Delete) VT_NAME(Delete2) VT_NAME(DefineLocal) VT_NAME(CallFunction) VT_NAME(Return) VT_NAME(Modulo)
    VT_NAME(NewObject) VT_NAME(DefineLocal2) VT_NAME(InitArray) VT_NAME(InitObject) VT_NAME(TypeOf)
    VT_NAME(TargetPath) VT_NAME(Enumerate) VT_NAME(Add2) VT_NAME(Less2) VT_NAME(Equals2) VT_NAME(ToNumber)
    VT_NAME(ToString) VT_NAME(PushDuplicate) VT_NAME(StackSwap) VT_NAME(GetMember) VT_NAME(SetMember)
    VT_NAME(Increment) VT_NAME(Decrement) VT_NAME(CallMethod) VT_NAME(NewMethod) VT_NAME(InstanceOf)
    VT_NAME(Enumerate2) VT_NAME(BitAnd) VT_NAME(BitOr) VT_NAME(BitXor) VT_NAME(BitLShift) VT_NAME(BitRShift)
    VT_NAME(BitURShift) VT_NAME(StrictEquals) VT_NAME(Greater) VT_NAME(StringGreater) VT_NAME(Extends)
    VT_NAME(GotoFrame) VT_NAME(GetURL) VT_NAME(StoreRegister) VT_NAME(ConstantPool) VT_NAME(WaitForFrame)
    VT_NAME(SetTarget) VT_NAME(GotoLabel) VT_NAME(WaitForFrame2) VT_NAME(DefineFunction2) VT_NAME(Try)
    VT_NAME(With) VT_NAME(Push) VT_NAME(Jump) VT_NAME(GetURL2) VT_NAME(DefineFunction) VT_NAME(If) VT_NAME(Call)
    VT_NAME(GotoFrame2)
#undef VT_NAME
  }
  static const char* hex = "0123456789ABCDEF";
  uint8_t c = static_cast<uint8_t>(Code);
  return std::string("0x") + hex[c >> 4] + hex[c & 15];
}

}  // namespace swf
