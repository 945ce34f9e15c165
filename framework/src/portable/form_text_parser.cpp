// The text form's tokens, as Free Pascal's TParser reads them: symbols,
// decimal and $hexadecimal integers, floats with an optional s/c/d type
// suffix, strings of quoted runs and #n characters, punctuation.
#include "framework/src/portable/form_text_parser.h"

#include <charconv>

#include "framework/SysUtils.h"

namespace vcl::form_text {

namespace {

bool IsDigit(char C) { return C >= '0' && C <= '9'; }
bool IsAlpha(char C) { return C == '_' || (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z'); }
bool IsAlphaNum(char C) { return IsAlpha(C) || IsDigit(C); }
bool IsHex(char C) { return IsDigit(C) || (C >= 'A' && C <= 'F') || (C >= 'a' && C <= 'f'); }
int HexValue(char C) { return IsDigit(C) ? C - '0' : (C | 0x20) - 'a' + 10; }

bool SameAscii(std::string_view A, std::string_view B) {
  if (A.size() != B.size()) return false;
  auto Lower = [](char C) { return C >= 'A' && C <= 'Z' ? static_cast<char>(C + 32) : C; };
  for (size_t i = 0; i < A.size(); ++i)
    if (Lower(A[i]) != Lower(B[i])) return false;
  return true;
}

void AppendCodePoint(std::u16string& S, uint32_t C) {
  if (C > 0xFFFF) {
    C -= 0x10000;
    S += static_cast<char16_t>(0xD800 + (C >> 10));
    S += static_cast<char16_t>(0xDC00 + (C & 0x3FF));
  } else {
    S += static_cast<char16_t>(C);
  }
}

}  // namespace

TTextParser::TTextParser(std::string_view Text) : src_(Text) {
  if (src_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
  NextToken();
}

std::string TTextParser::TokenName(char Token) {
  static const char* const kNames[] = {"EOF", "Symbol", "String", "Integer", "Float", "WideString"};
  if (static_cast<unsigned char>(Token) <= toWString) return kNames[static_cast<int>(Token)];
  return std::string(1, Token);
}

void TTextParser::Error(const std::string& Message) const {
  int Line = 1;
  size_t LineStart = 0;
  for (size_t i = 0; i < tokenStart_ && i < src_.size(); ++i) {
    if (src_[i] == '\n' || (src_[i] == '\r' && (i + 1 >= src_.size() || src_[i + 1] != '\n'))) {
      ++Line;
      LineStart = i + 1;
    }
  }
  throw EParserError(Utf8ToWide(Message + " on line " + std::to_string(Line) + ", column " +
                                std::to_string(tokenStart_ - LineStart + 1)));
}

void TTextParser::SkipWhitespace() {
  while (At([](char C) { return C == ' ' || C == '\t' || C == '\r' || C == '\n'; })) ++pos_;
}

char TTextParser::NextToken() {
  SkipWhitespace();
  tokenStart_ = pos_;
  text_.clear();
  wide_.clear();
  floatType_ = 0;
  if (pos_ >= src_.size()) {
    token_ = toEOF;
    return token_;
  }
  const char C = src_[pos_];
  if (IsAlpha(C)) {
    while (At(IsAlphaNum)) text_ += src_[pos_++];
    token_ = toSymbol;
  } else if (C == '$') {
    text_ += src_[pos_++];
    while (At(IsHex)) text_ += src_[pos_++];
    if (text_.size() == 1) Error("Invalid integer number: $");
    token_ = toInteger;
  } else if (C == '-' && pos_ + 1 < src_.size() && IsDigit(src_[pos_ + 1])) {
    text_ += src_[pos_++];
    Number();
  } else if (IsDigit(C)) {
    Number();
  } else if (C == '\'' || C == '#') {
    String();
  } else {
    text_ = C;
    ++pos_;
    token_ = C;
  }
  return token_;
}

void TTextParser::Number() {
  while (At(IsDigit)) text_ += src_[pos_++];
  token_ = toInteger;
  if (At([](char C) { return C == '.' || C == 'e' || C == 'E'; })) {
    token_ = toFloat;
    bool DotAllowed = true, ExpAllowed = true;
    while (At([](char C) { return C == '.' || C == 'e' || C == 'E' || IsDigit(C); })) {
      const char C = src_[pos_];
      if (C == '.') {
        if (!DotAllowed) break;
        DotAllowed = false;
      } else if (C == 'e' || C == 'E') {
        if (!ExpAllowed) break;
        DotAllowed = ExpAllowed = false;
        text_ += src_[pos_++];
        if (At([](char S) { return S == '+' || S == '-'; })) text_ += src_[pos_++];
        if (!At(IsDigit)) Error("Invalid floating point number: " + text_);
        continue;
      }
      text_ += src_[pos_++];
    }
  }
  if (At([](char C) { return C == 's' || C == 'S' || C == 'd' || C == 'D' || C == 'c' || C == 'C'; })) {
    floatType_ = static_cast<char>(src_[pos_++] | 0x20);
    token_ = toFloat;
  }
}

void TTextParser::String() {
  bool Ascii = true;
  for (;;) {
    if (At([](char C) { return C == '\''; })) {
      ++pos_;
      std::string Run;
      for (;;) {
        if (pos_ >= src_.size() || src_[pos_] == '\r' || src_[pos_] == '\n') Error("Unterminated string");
        if (src_[pos_] == '\'') {
          if (pos_ + 1 < src_.size() && src_[pos_ + 1] == '\'') {
            Run += '\'';
            pos_ += 2;
            continue;
          }
          ++pos_;
          break;
        }
        Run += src_[pos_++];
      }
      text_ += Run;
      for (const wchar_t W : AnsiToWide(Run)) AppendCodePoint(wide_, static_cast<uint32_t>(W));
    } else if (At([](char C) { return C == '#'; })) {
      ++pos_;
      uint32_t Code = 0;
      while (At(IsDigit)) {
        Code = Code * 10 + static_cast<uint32_t>(src_[pos_++] - '0');
        if (Code > 0x10FFFF) Error("Invalid character code");
      }
      if (Code > 127) Ascii = false;
      text_ += Code < 256 ? static_cast<char>(Code) : '\0';
      AppendCodePoint(wide_, Code);
    } else {
      break;
    }
  }
  token_ = Ascii ? toString : toWString;
}

int64_t TTextParser::TokenInt(bool* Unsigned) const {
  if (Unsigned) *Unsigned = false;
  const char* First = text_.data();
  const char* Last = First + text_.size();
  if (!text_.empty() && text_[0] == '$') {
    uint64_t Value = 0;
    const auto [End, Status] = std::from_chars(First + 1, Last, Value, 16);
    if (End == Last && Status == std::errc()) return static_cast<int64_t>(Value);
  } else {
    int64_t Value = 0;
    const auto [End, Status] = std::from_chars(First, Last, Value);
    if (End == Last && Status == std::errc()) return Value;
    uint64_t Big = 0;
    const auto [BigEnd, BigStatus] = std::from_chars(First, Last, Big);
    if (BigEnd == Last && BigStatus == std::errc()) {
      if (Unsigned) *Unsigned = true;
      return static_cast<int64_t>(Big);
    }
  }
  Error("Invalid integer number: " + text_);
}

std::string TTextParser::TokenComponentIdent() {
  CheckToken(toSymbol);
  while (At([](char C) { return C == '.'; })) {
    text_ += src_[pos_++];
    if (!At(IsAlpha)) Error("Wrong token type: Symbol expected");
    while (At(IsAlphaNum)) text_ += src_[pos_++];
  }
  return text_;
}

bool TTextParser::TokenSymbolIs(std::string_view S) const { return token_ == toSymbol && SameAscii(text_, S); }

void TTextParser::CheckToken(char Expected) const {
  if (token_ != Expected)
    Error("Wrong token type: " + TokenName(Expected) + " expected but " + TokenName(token_) + " found");
}

void TTextParser::CheckTokenSymbol(std::string_view S) const {
  CheckToken(toSymbol);
  if (!SameAscii(text_, S)) Error("Wrong token symbol: " + std::string(S) + " expected but " + text_ + " found");
}

std::vector<uint8_t> TTextParser::HexToBinary() {
  std::vector<uint8_t> Bytes;
  pos_ = tokenStart_ + 1;  // just after the brace
  SkipWhitespace();
  while (At(IsHex)) {
    const int High = HexValue(src_[pos_++]);
    if (!At(IsHex)) {
      tokenStart_ = pos_;
      Error("Unterminated byte value");
    }
    Bytes.push_back(static_cast<uint8_t>(High << 4 | HexValue(src_[pos_++])));
    SkipWhitespace();
  }
  NextToken();
  return Bytes;
}

}  // namespace vcl::form_text
