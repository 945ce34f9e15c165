// Action bytes into the decoded list: one pass over the records, then jump
// targets and body ends mapped from byte offsets to action indexes.

#include <algorithm>
#include <cstring>
#include <map>

#include "renderers/engine/actions.h"

namespace swf {
namespace {

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

// Decodes the record at Pos into A; Next receives the offset after it.
// Throws FormatError for a record that cannot be read.
struct Record {
  size_t next = 0;
  bool hasBody = false;  // DefineFunction(2), With: bodyEnd is the body's end
  bool branches = false;  // Jump, If: branchTo is the target offset (may lie outside the data)
  size_t bodyEnd = 0;
  int64_t branchTo = 0;
  size_t tryEnds[3] = {0, 0, 0};
};

Record DecodeRecord(const uint8_t* Data, size_t Size, size_t Pos, Action& A) {
  Record r;
  A.offset = static_cast<uint32_t>(Pos);
  A.code = static_cast<ActionCode>(Data[Pos]);
  r.next = Pos + 1;
  if (Data[Pos] < 0x80) return r;
  if (Size - Pos < 3) Fail(ActionName(A.code) + " is cut off before its length", Pos);
  size_t length = Data[Pos + 1] | (Data[Pos + 2] << 8);
  if (Size - Pos - 3 < length) Fail(ActionName(A.code) + "'s length " + std::to_string(length) + " runs past the end", Pos);
  Payload p(Data + Pos + 3, length, Pos + 3, A.code);
  size_t bodySize = 0;
  int32_t branch = 0;
  size_t trySizes[3] = {0, 0, 0};
  DecodePayload(p, A, bodySize, branch, trySizes);
  r.next = Pos + 3 + length;
  // Bodies that run past the data end with it, as the player reads them.
  if (A.code == ActionCode::Try) {
    size_t end = r.next;
    for (int i = 0; i < 3; ++i) r.tryEnds[i] = end = std::min(Size, end + trySizes[i]);
  } else if (A.code == ActionCode::Jump || A.code == ActionCode::If) {
    r.branches = true;
    r.branchTo = static_cast<int64_t>(r.next) + branch;
  } else if (A.code == ActionCode::DefineFunction || A.code == ActionCode::DefineFunction2 ||
             A.code == ActionCode::With) {
    r.hasBody = true;
    r.bodyEnd = std::min(Size, r.next + bodySize);
  }
  return r;
}

// The player runs action bytes from wherever control goes, so a damaged
// block runs up to its damage, and a jump into the middle of an action runs
// the records read from that byte. The main run is decoded first; every such
// jump target then gets a run of its own, appended after an End placed at
// the main run's end, that goes back to the first record already decoded.
class Decoder {
 public:
  Decoder(const uint8_t* Data, size_t Size) : data_(Data), size_(Size) {}

  ActionBlock Decode() {
    size_t endOffset = DecodeRun(0, true);
    block_.length = block_.actions.size();
    block_.byteLength = endOffset < size_ && data_[endOffset] == 0 ? endOffset + 1 : endOffset;
    starts_.emplace(endOffset, block_.length);
    // Resolving one record's targets may decode new runs, which add records to resolve.
    for (size_t i = 0; i < pending_.size(); ++i) Resolve(pending_[i]);
    return std::move(block_);
  }

 private:
  struct Pending {
    size_t index;  // the record
    size_t run;    // the first index past its run
    Record record;
  };

  // Decodes records from Offset until End, the data's end, damage or a
  // record already decoded; returns the offset where the main run stopped.
  size_t DecodeRun(size_t Offset, bool Main) {
    size_t firstPending = pending_.size();
    size_t pos = Offset;
    while (pos < size_ && data_[pos] != 0 && !starts_.count(pos)) {
      Action a;
      Record r;
      try {
        r = DecodeRecord(data_, size_, pos, a);
      } catch (const FormatError& e) {
        if (block_.damage.empty()) block_.damage = e.what();
        break;
      }
      starts_.emplace(pos, block_.actions.size());
      if (r.hasBody || r.branches || a.code == ActionCode::Try) pending_.push_back({block_.actions.size(), 0, r});
      block_.actions.push_back(std::move(a));
      pos = r.next;
    }
    for (size_t p = firstPending; p < pending_.size(); ++p) pending_[p].run = block_.actions.size();
    if (!Main) {
      // Back to where the bytes lead: a record already decoded, or the end.
      Action back;
      back.code = ActionCode::Jump;
      back.offset = static_cast<uint32_t>(pos);
      auto known = starts_.find(pos);
      back.target = known != starts_.end() ? known->second : block_.length;
      block_.actions.push_back(std::move(back));
    }
    return pos;
  }

  // The index control reaches at Offset, decoding a run from it if it lies
  // inside a record.
  size_t IndexAt(int64_t Offset) {
    if (Offset < 0 || static_cast<uint64_t>(Offset) >= size_) return block_.length;
    auto known = starts_.find(static_cast<size_t>(Offset));
    if (known != starts_.end()) return known->second;
    if (block_.actions.size() == block_.length) {
      Action end;
      end.code = ActionCode::End;
      end.offset = static_cast<uint32_t>(block_.byteLength);
      block_.actions.push_back(std::move(end));
    }
    size_t index = block_.actions.size();
    DecodeRun(static_cast<size_t>(Offset), false);
    return index;
  }

  // The end of a body within its own run: the first record at or past
  // Offset, so a body ending inside a record leaves that record out.
  size_t EndWithin(size_t Index, size_t RunEnd, size_t Offset) const {
    auto known = starts_.find(Offset);
    if (known != starts_.end() && known->second > Index && known->second <= RunEnd) return known->second;
    size_t j = Index + 1;
    while (j < RunEnd && block_.actions[j].offset < Offset) ++j;
    return j;
  }

  void Resolve(Pending P) {
    size_t index = P.index, run = P.run;
    const Record& r = P.record;
    if (r.branches) {
      size_t to = IndexAt(r.branchTo);
      block_.actions[index].target = to;
    } else if (r.hasBody) {
      size_t bodyEnd = EndWithin(index, run, r.bodyEnd);
      size_t after = IndexAt(static_cast<int64_t>(r.bodyEnd));
      block_.actions[index].target = after;
      block_.actions[index].target2 = bodyEnd;
    } else {
      Action& a = block_.actions[index];
      a.target = EndWithin(index, run, r.tryEnds[0]);
      a.target2 = EndWithin(index, run, r.tryEnds[1]);
      a.target3 = EndWithin(index, run, r.tryEnds[2]);
    }
  }

  const uint8_t* data_;
  size_t size_;
  ActionBlock block_;
  std::map<size_t, size_t> starts_;  // offset of each decoded record -> its index
  std::vector<Pending> pending_;
};

}  // namespace

ActionBlock DecodeActions(const uint8_t* Data, size_t Size) { return Decoder(Data, Size).Decode(); }

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
