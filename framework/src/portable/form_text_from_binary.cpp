// ObjectBinaryToText: the binary form as text, in the layout of Free
// Pascal's converter, so that both produce the same bytes: two spaces of
// indentation a level, strings quoted with '' for a quote and #n for every
// character outside printable ASCII, binary data as hexadecimal in lines of
// 32 bytes. Lines end as text files do on the platform.
#include <cstring>
#include <string>
#include <vector>

#include "framework/Filer.h"
#include "framework/src/portable/form_text_float.h"
#include "framework/src/portable/form_text_common.h"

namespace vcl {

namespace {

using form_text::DoubleToExtended;
using form_text::FormatExtended;
using form_text::TExtended;

class TBinaryToText {
 public:
  explicit TBinaryToText(const std::vector<uint8_t>& Bytes) : in_(Bytes) {}

  // Converts the form; returns the number of bytes it took.
  size_t Run() {
    const uint8_t* Signature = Take(4);
    if (std::memcmp(Signature, "TPF0", 4) != 0) throw EReadError(L"Invalid stream format");
    ReadObject("");
    return pos_;
  }
  std::string& Text() { return out_; }

 private:
  [[noreturn]] void Truncated() const {
    throw EReadError(L"Stream read error: the form ends early (offset " + std::to_wstring(in_.size()) + L")");
  }
  const uint8_t* Take(uint64_t Count) {
    if (Count > in_.size() - pos_) Truncated();
    const uint8_t* P = in_.data() + pos_;
    pos_ += static_cast<size_t>(Count);
    return P;
  }
  uint8_t Byte() { return *Take(1); }
  uint8_t PeekByte() const {
    if (pos_ >= in_.size()) Truncated();
    return in_[pos_];
  }
  uint64_t Little(int Size) {
    const uint8_t* P = Take(static_cast<uint64_t>(Size));
    uint64_t V = 0;
    for (int i = Size; i-- > 0;) V = (V << 8) | P[i];
    return V;
  }
  std::string ShortString() {
    const uint8_t Length = Byte();
    const uint8_t* P = Take(Length);
    return std::string(reinterpret_cast<const char*>(P), Length);
  }
  std::string LongString() {
    const uint64_t Length = Little(4);
    const uint8_t* P = Take(Length);
    return std::string(reinterpret_cast<const char*>(P), static_cast<size_t>(Length));
  }
  std::vector<uint32_t> WideString() {
    const uint64_t Length = Little(4);
    if (Length > (in_.size() - pos_) / 2) Truncated();
    std::vector<uint32_t> Units(static_cast<size_t>(Length));
    for (auto& Unit : Units) Unit = static_cast<uint32_t>(Little(2));
    return Units;
  }
  int64_t Integer(TValueType Type) {
    switch (Type) {
      case vaInt8: return static_cast<int8_t>(Little(1));
      case vaInt16: return static_cast<int16_t>(Little(2));
      case vaInt32: return static_cast<int32_t>(Little(4));
      case vaInt64: return static_cast<int64_t>(Little(8));
      default:
        throw EReadError(L"Invalid integer type " + std::to_wstring(static_cast<int>(Type)) + L" at offset " +
                         std::to_wstring(pos_ - 1));
    }
  }
  void Enter() {
    if (++depth_ > form_text::kMaxNesting) throw EReadError(L"The form nests too deeply");
  }

  void Out(std::string_view S) { out_ += S; }
  void OutLn(std::string_view S) {
    out_ += S;
    out_ += form_text::kLineBreak;
  }

  // Characters (bytes, UTF-16 units or code points) as quoted runs of
  // printable ASCII and #n for the others.
  void OutChars(const std::vector<uint32_t>& Chars) {
    if (Chars.empty()) {
      Out("''");
      return;
    }
    bool InString = false;
    for (const uint32_t C : Chars) {
      const bool Printable = C >= 32 && C < 127;
      if (Printable != InString) {
        Out("'");
        InString = Printable;
      }
      if (C == '\'')
        Out("''");
      else if (Printable)
        out_ += static_cast<char>(C);
      else
        Out("#" + std::to_string(C));
    }
    if (InString) Out("'");
  }
  static std::vector<uint32_t> Bytes(const std::string& S) {
    std::vector<uint32_t> Result;
    for (const char C : S) Result.push_back(static_cast<uint8_t>(C));
    return Result;
  }
  // Decodes UTF-8 by the lead byte's pattern, without checking the
  // continuation bytes (bytes missing at the end count as zero); a byte that
  // cannot lead a sequence becomes U+FFFD.
  static std::vector<uint32_t> Utf8CodePoints(const std::string& S) {
    std::vector<uint32_t> Result;
    auto At = [&](size_t i) -> uint32_t { return i < S.size() ? static_cast<uint8_t>(S[i]) & 0x3Fu : 0u; };
    for (size_t i = 0; i < S.size();) {
      uint32_t C = static_cast<uint8_t>(S[i++]);
      if (C < 0x80) {
      } else if ((C & 0xE0) == 0xC0) {
        C = ((C & 0x1F) << 6) | At(i);
        i += 1;
      } else if ((C & 0xF0) == 0xE0) {
        C = ((C & 0x0F) << 12) | (At(i) << 6) | At(i + 1);
        i += 2;
      } else if ((C & 0xF8) == 0xF0) {
        C = ((C & 0x07) << 18) | (At(i) << 12) | (At(i + 1) << 6) | At(i + 2);
        i += 3;
      } else {
        C = 0xFFFD;
      }
      Result.push_back(C);
    }
    return Result;
  }

  static std::string Currency(int64_t Value) {
    // Exact: the value is in units of 1/10000.
    const bool Negative = Value < 0;
    const uint64_t Magnitude = Negative ? 0 - static_cast<uint64_t>(Value) : static_cast<uint64_t>(Value);
    std::string Text = (Negative ? "-" : "") + std::to_string(Magnitude / 10000);
    std::string Fraction = std::to_string(Magnitude % 10000 + 10000).substr(1);
    while (!Fraction.empty() && Fraction.back() == '0') Fraction.pop_back();
    if (!Fraction.empty()) Text += "." + Fraction;
    return Text;
  }

  void Binary(const std::string& Indent) {
    const uint64_t Count = Little(4);
    const uint8_t* P = Take(Count);
    static const char kHex[] = "0123456789ABCDEF";
    OutLn("{");
    for (uint64_t Done = 0; Done < Count;) {
      const uint64_t Now = std::min<uint64_t>(Count - Done, 32);
      std::string Line = Indent + "  ";
      for (uint64_t i = 0; i < Now; ++i, ++Done) {
        Line += kHex[P[Done] >> 4];
        Line += kHex[P[Done] & 15];
      }
      OutLn(Line);
    }
    OutLn(Indent + "}");
  }

  void Value(TValueType Type, const std::string& Indent) {
    switch (Type) {
      case vaList: {
        Enter();
        Out("(");
        bool First = true;
        for (TValueType Item; (Item = static_cast<TValueType>(Byte())) != vaNull;) {
          if (First) OutLn("");
          First = false;
          Out(Indent + "  ");
          Value(Item, Indent + "  ");
        }
        OutLn(Indent + ")");
        --depth_;
        break;
      }
      case vaInt8:
      case vaInt16:
      case vaInt32:
      case vaInt64:
        OutLn(std::to_string(Integer(Type)));
        break;
      case vaQWord:
        OutLn(std::to_string(Little(8)));
        break;
      case vaExtended: {
        TExtended X;
        X.Mantissa = Little(8);
        X.SignExp = static_cast<uint16_t>(Little(2));
        OutLn(FormatExtended(X));
        break;
      }
      case vaSingle: {
        const auto Bits = static_cast<uint32_t>(Little(4));
        float F;
        std::memcpy(&F, &Bits, sizeof F);
        OutLn(FormatExtended(DoubleToExtended(F)) + "s");
        break;
      }
      case vaDate: {
        const uint64_t Bits = Little(8);
        double D;
        std::memcpy(&D, &Bits, sizeof D);
        OutLn(FormatExtended(DoubleToExtended(D)) + "d");
        break;
      }
      case vaCurrency:
        OutLn(Currency(static_cast<int64_t>(Little(8))) + "c");
        break;
      case vaString:
        OutChars(Bytes(ShortString()));
        OutLn("");
        break;
      case vaLString:
        OutChars(Bytes(LongString()));
        OutLn("");
        break;
      case vaWString:
      case vaUString:
        OutChars(WideString());
        OutLn("");
        break;
      case vaUTF8String:
        OutChars(Utf8CodePoints(LongString()));
        OutLn("");
        break;
      case vaIdent:
        OutLn(ShortString());
        break;
      case vaFalse:
        OutLn("False");
        break;
      case vaTrue:
        OutLn("True");
        break;
      case vaNil:
        OutLn("nil");
        break;
      case vaBinary:
        Binary(Indent);
        break;
      case vaSet: {
        Out("[");
        bool First = true;
        for (std::string Name; !(Name = ShortString()).empty(); First = false) {
          if (!First) Out(", ");
          Out(Name);
        }
        OutLn("]");
        break;
      }
      case vaCollection: {
        Enter();
        Out("<");
        while (PeekByte() != 0) {
          OutLn(Indent);
          Out(Indent + "  item");
          auto Next = static_cast<TValueType>(Byte());
          if (Next != vaList) {
            Out("[" + std::to_string(Integer(Next)) + "]");
            Next = static_cast<TValueType>(Byte());
            if (Next != vaList) BadType(Next);
          }
          OutLn("");
          Properties(Indent + "    ");
          Out(Indent + "  end");
        }
        ++pos_;
        OutLn(">");
        --depth_;
        break;
      }
      default:
        BadType(Type);
    }
  }
  [[noreturn]] void BadType(TValueType Type) const {
    throw EReadError(L"Invalid property type " + std::to_wstring(static_cast<int>(Type)) + L" at offset " +
                     std::to_wstring(pos_ - 1));
  }

  void Properties(const std::string& Indent) {
    while (PeekByte() != 0) {
      Out(Indent + ShortString() + " = ");
      Value(static_cast<TValueType>(Byte()), Indent);
    }
    ++pos_;
  }

  void ReadObject(const std::string& Indent) {
    Enter();
    uint8_t Flags = 0;
    int64_t ChildPos = 0;
    if ((PeekByte() & 0xF0) == 0xF0) {
      Flags = Byte();
      if (Flags & ffChildPos) ChildPos = Integer(static_cast<TValueType>(Byte()));
    }
    const std::string ClassName = ShortString();
    const std::string Name = ShortString();
    std::string Header = Indent;
    Header += (Flags & ffInherited) ? "inherited " : (Flags & ffInline) ? "inline " : "object ";
    if (!Name.empty()) Header += Name + ": ";
    Header += ClassName;
    if (Flags & ffChildPos) Header += "[" + std::to_string(ChildPos) + "]";
    OutLn(Header);
    Properties(Indent + "  ");
    while (PeekByte() != 0) ReadObject(Indent + "  ");
    ++pos_;
    OutLn(Indent + "end");
    --depth_;
  }

  const std::vector<uint8_t>& in_;
  size_t pos_ = 0;
  int depth_ = 0;
  std::string out_;
};

}  // namespace

void ObjectBinaryToText(TStream& Input, TStream& Output) {
  const int64_t Start = Input.Position();
  std::vector<uint8_t> Bytes = form_text::ReadRest(Input);
  TBinaryToText Converter(Bytes);
  const size_t Used = Converter.Run();
  Input.SetPosition(Start + static_cast<int64_t>(Used));
  Output.WriteBuffer(Converter.Text().data(), static_cast<int64_t>(Converter.Text().size()));
}

}  // namespace vcl
