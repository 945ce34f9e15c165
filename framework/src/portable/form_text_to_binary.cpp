// ObjectTextToBinary: the text form back to the binary form, choosing the
// value tags Free Pascal's converter chooses (the smallest integer tag;
// vaString up to 255 bytes, else vaLString; vaWString when a character is
// above 127; vaExtended for floats without a type suffix).
#include <charconv>
#include <cstring>
#include <string>
#include <vector>

#include "framework/Filer.h"
#include "framework/src/portable/form_text_common.h"
#include "framework/src/portable/form_text_float.h"
#include "framework/src/portable/form_text_parser.h"

namespace vcl {

namespace {

using namespace form_text;

class TTextToBinary {
 public:
  explicit TTextToBinary(std::string_view Text) : parser_(Text) {}

  std::vector<uint8_t>& Run() {
    Raw("TPF0", 4);
    Object();
    return out_;
  }
  // Just after the last "end" read.
  size_t Position() const { return endPos_; }

 private:
  void Byte(uint8_t B) { out_.push_back(B); }
  void Tag(TValueType T) { Byte(static_cast<uint8_t>(T)); }
  void Raw(const void* P, size_t Count) {
    const auto* Bytes = static_cast<const uint8_t*>(P);
    out_.insert(out_.end(), Bytes, Bytes + Count);
  }
  void Little(uint64_t V, int Size) {
    for (int i = 0; i < Size; ++i, V >>= 8) Byte(static_cast<uint8_t>(V));
  }
  // A name of at most 255 bytes, with its length byte.
  void ShortString(const std::string& S) {
    if (S.size() > 255) parser_.Error("Name longer than 255 characters: " + S.substr(0, 32) + "...");
    Byte(static_cast<uint8_t>(S.size()));
    Raw(S.data(), S.size());
  }
  void Length32(size_t Size) {
    if (Size > 0x7FFFFFFF) parser_.Error("Value too large");
    Little(Size, 4);
  }
  void Integer(int64_t V) {
    if (V >= -128 && V <= 127) {
      Tag(vaInt8);
      Little(static_cast<uint64_t>(V), 1);
    } else if (V >= -32768 && V <= 32767) {
      Tag(vaInt16);
      Little(static_cast<uint64_t>(V), 2);
    } else if (V >= INT32_MIN && V <= INT32_MAX) {
      Tag(vaInt32);
      Little(static_cast<uint64_t>(V), 4);
    } else {
      Tag(vaInt64);
      Little(static_cast<uint64_t>(V), 8);
    }
  }
  void Enter() {
    if (++depth_ > kMaxNesting) parser_.Error("Nesting too deep");
  }

  void WideString(const std::u16string& S) {
    Tag(vaWString);
    Length32(S.size());
    for (const char16_t C : S) Little(C, 2);
  }
  // A string token and the pieces '+' joins to it.
  void StringValue() {
    std::string Narrow = parser_.TokenString();
    std::u16string Wide = parser_.TokenWideString();
    bool IsWide = parser_.Token() == toWString;
    while (parser_.NextToken() == '+') {
      parser_.NextToken();
      if (parser_.Token() != toString && parser_.Token() != toWString) parser_.CheckToken(toString);
      Narrow += parser_.TokenString();
      Wide += parser_.TokenWideString();
      IsWide |= parser_.Token() == toWString;
    }
    if (IsWide) {
      WideString(Wide);
    } else if (Narrow.size() > 255) {
      Tag(vaLString);
      Length32(Narrow.size());
      Raw(Narrow.data(), Narrow.size());
    } else {
      Tag(vaString);
      ShortString(Narrow);
    }
  }

  void FloatValue() {
    const std::string& Text = parser_.TokenString();
    const char* First = Text.data();
    const char* Last = First + Text.size();
    auto Invalid = [&] { parser_.Error("Invalid floating point number: " + Text); };
    switch (parser_.FloatType()) {
      case 's': {
        float F = 0;
        const auto [End, Status] = std::from_chars(First, Last, F);
        if (End != Last || Status != std::errc()) Invalid();
        uint32_t Bits;
        std::memcpy(&Bits, &F, sizeof Bits);
        Tag(vaSingle);
        Little(Bits, 4);
        break;
      }
      case 'd': {
        double D = 0;
        const auto [End, Status] = std::from_chars(First, Last, D);
        if (End != Last || Status != std::errc()) Invalid();
        uint64_t Bits;
        std::memcpy(&Bits, &D, sizeof Bits);
        Tag(vaDate);
        Little(Bits, 8);
        break;
      }
      case 'c':
        Tag(vaCurrency);
        Little(static_cast<uint64_t>(Currency(Text)), 8);
        break;
      default: {
        const auto X = ParseExtended(Text);
        if (!X) Invalid();
        Tag(vaExtended);
        Little(X->Mantissa, 8);
        Little(X->SignExp, 2);
      }
    }
  }

  // Decimal text in units of 1/10000, exactly, rounding half away from zero
  // beyond the fourth decimal.
  int64_t Currency(const std::string& Text) {
    size_t Pos = 0;
    const bool Negative = !Text.empty() && Text[0] == '-';
    if (Negative) ++Pos;
    std::string Digits;
    long long Scale = 4;  // value = Digits * 10^-Scale
    for (; Pos < Text.size() && Text[Pos] >= '0' && Text[Pos] <= '9'; ++Pos) Digits += Text[Pos];
    if (Pos < Text.size() && Text[Pos] == '.')
      for (++Pos; Pos < Text.size() && Text[Pos] >= '0' && Text[Pos] <= '9'; ++Pos, --Scale) Digits += Text[Pos];
    if (Pos < Text.size()) {  // an exponent
      long long Exp = 0;
      const bool ExpNegative = Text[++Pos] == '-';
      if (Text[Pos] == '-' || Text[Pos] == '+') ++Pos;
      for (; Pos < Text.size(); ++Pos) Exp = std::min(Exp * 10 + (Text[Pos] - '0'), 100000LL);
      Scale += ExpNegative ? -Exp : Exp;
    }
    const size_t First = Digits.find_first_not_of('0');
    Digits = First == std::string::npos ? "" : Digits.substr(First);
    bool RoundUp = false;
    if (Scale < 0) {
      const size_t Drop = static_cast<size_t>(-Scale);
      if (Drop >= Digits.size()) {
        RoundUp = Drop == Digits.size() && !Digits.empty() && Digits[0] >= '5';
        Digits.clear();
      } else {
        RoundUp = Digits[Digits.size() - Drop] >= '5';
        Digits.resize(Digits.size() - Drop);
      }
    } else if (!Digits.empty()) {
      if (Scale > 20) parser_.Error("Invalid currency value: " + Text);
      Digits.append(static_cast<size_t>(Scale), '0');
    }
    uint64_t Magnitude = 0;
    if (!Digits.empty()) {
      const char* Last = Digits.data() + Digits.size();
      const auto [End, Status] = std::from_chars(Digits.data(), Last, Magnitude);
      if (End != Last || Status != std::errc()) parser_.Error("Invalid currency value: " + Text);
    }
    Magnitude += RoundUp;
    if (Magnitude > (Negative ? uint64_t(INT64_MAX) + 1 : uint64_t(INT64_MAX)))
      parser_.Error("Invalid currency value: " + Text);
    return Negative ? static_cast<int64_t>(0 - Magnitude) : static_cast<int64_t>(Magnitude);
  }

  void Value() {
    switch (parser_.Token()) {
      case toInteger: {
        bool Unsigned = false;
        const int64_t V = parser_.TokenInt(&Unsigned);
        if (Unsigned) {
          Tag(vaQWord);
          Little(static_cast<uint64_t>(V), 8);
        } else {
          Integer(V);
        }
        parser_.NextToken();
        break;
      }
      case toFloat:
        FloatValue();
        parser_.NextToken();
        break;
      case toString:
      case toWString:
        StringValue();
        break;
      case toSymbol:
        if (parser_.TokenSymbolIs("True")) {
          Tag(vaTrue);
        } else if (parser_.TokenSymbolIs("False")) {
          Tag(vaFalse);
        } else if (parser_.TokenSymbolIs("nil")) {
          Tag(vaNil);
        } else {
          Tag(vaIdent);
          ShortString(parser_.TokenComponentIdent());
        }
        parser_.NextToken();
        break;
      case '[':
        parser_.NextToken();
        Tag(vaSet);
        if (parser_.Token() != ']') {
          for (;;) {
            parser_.CheckToken(toSymbol);
            ShortString(parser_.TokenString());
            parser_.NextToken();
            if (parser_.Token() == ']') break;
            parser_.CheckToken(',');
            parser_.NextToken();
          }
        }
        Byte(0);
        parser_.NextToken();
        break;
      case '(':
        Enter();
        parser_.NextToken();
        Tag(vaList);
        while (parser_.Token() != ')') Value();
        Byte(0);
        parser_.NextToken();
        --depth_;
        break;
      case '<':
        Enter();
        parser_.NextToken();
        Tag(vaCollection);
        while (parser_.Token() != '>') {
          parser_.CheckTokenSymbol("item");
          if (parser_.NextToken() == '[') {  // the item's order
            parser_.NextToken();
            parser_.CheckToken(toInteger);
            Integer(parser_.TokenInt());
            parser_.NextToken();
            parser_.CheckToken(']');
            parser_.NextToken();
          }
          Tag(vaList);
          while (!parser_.TokenSymbolIs("end")) Property();
          parser_.NextToken();
          Byte(0);
        }
        Byte(0);
        parser_.NextToken();
        --depth_;
        break;
      case '{': {
        const std::vector<uint8_t> Bytes = parser_.HexToBinary();
        parser_.CheckToken('}');
        Tag(vaBinary);
        Length32(Bytes.size());
        Raw(Bytes.data(), Bytes.size());
        parser_.NextToken();
        break;
      }
      default:
        parser_.Error("Invalid property value");
    }
  }

  void Property() {
    parser_.CheckToken(toSymbol);
    std::string Name = parser_.TokenString();
    while (parser_.NextToken() == '.') {
      parser_.NextToken();
      parser_.CheckToken(toSymbol);
      Name += "." + parser_.TokenString();
    }
    ShortString(Name);
    parser_.CheckToken('=');
    parser_.NextToken();
    Value();
  }

  bool AtObjectOrEnd() const {
    return parser_.TokenSymbolIs("end") || parser_.TokenSymbolIs("object") || parser_.TokenSymbolIs("inherited") ||
           parser_.TokenSymbolIs("inline");
  }

  void Object() {
    Enter();
    uint8_t Flags = 0;
    if (parser_.TokenSymbolIs("inherited")) {
      Flags = ffInherited;
    } else if (parser_.TokenSymbolIs("inline")) {
      Flags = ffInline;
    } else {
      parser_.CheckTokenSymbol("object");
    }
    parser_.NextToken();
    parser_.CheckToken(toSymbol);
    std::string Name, ClassName = parser_.TokenString();
    if (parser_.NextToken() == ':') {
      parser_.NextToken();
      parser_.CheckToken(toSymbol);
      Name = ClassName;
      ClassName = parser_.TokenString();
      parser_.NextToken();
    }
    int64_t ChildPos = 0;
    if (parser_.Token() == '[') {
      parser_.NextToken();
      parser_.CheckToken(toInteger);
      ChildPos = parser_.TokenInt();
      if (ChildPos < INT32_MIN || ChildPos > INT32_MAX) parser_.Error("Invalid child position");
      parser_.NextToken();
      parser_.CheckToken(']');
      parser_.NextToken();
      Flags |= ffChildPos;
    }
    if (Flags) {
      Byte(0xF0 | Flags);
      if (Flags & ffChildPos) Integer(ChildPos);
    }
    ShortString(ClassName);
    ShortString(Name);
    while (!AtObjectOrEnd()) Property();
    Byte(0);
    while (!parser_.TokenSymbolIs("end")) Object();
    endPos_ = parser_.Position();
    parser_.NextToken();
    Byte(0);
    --depth_;
  }

  TTextParser parser_;
  std::vector<uint8_t> out_;
  int depth_ = 0;
  size_t endPos_ = 0;
};

}  // namespace

void ObjectTextToBinary(TStream& Input, TStream& Output) {
  const int64_t Start = Input.Position();
  const std::vector<uint8_t> Bytes = ReadRest(Input);
  const std::string_view Text(reinterpret_cast<const char*>(Bytes.data()), Bytes.size());
  TTextToBinary Converter(Text);
  const std::vector<uint8_t>& Binary = Converter.Run();
  // Leave the input just after the closing "end".
  Input.SetPosition(Start + static_cast<int64_t>(Converter.Position()));
  Output.WriteBuffer(Binary.data(), static_cast<int64_t>(Binary.size()));
}

}  // namespace vcl
