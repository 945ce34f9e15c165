#pragma once
// The tokenizer of the text form. Internal to ObjectTextToBinary.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vcl::form_text {

// Token kinds; any other token is the punctuation character itself.
constexpr char toEOF = 0;
constexpr char toSymbol = 1;
constexpr char toString = 2;   // a string whose characters all fit in 7 bits
constexpr char toInteger = 3;
constexpr char toFloat = 4;
constexpr char toWString = 5;  // a string with a #n above 127

class TTextParser {
 public:
  // Text must outlive the parser. A UTF-8 byte order mark is skipped.
  explicit TTextParser(std::string_view Text);

  char NextToken();
  char Token() const { return token_; }
  // The token's text: a symbol, a number without its type suffix, or a
  // string's 8-bit value (quoted bytes as they are, #n as one byte).
  const std::string& TokenString() const { return text_; }
  // A string's value as UTF-16 (quoted bytes decoded from the system code
  // page).
  const std::u16string& TokenWideString() const { return wide_; }
  // A float's type suffix, lower case ('s', 'c', 'd'), or 0.
  char FloatType() const { return floatType_; }
  // An integer token's value; decimal text beyond Int64 up to 2^64 - 1 sets
  // Unsigned and gives the value's bits.
  int64_t TokenInt(bool* Unsigned = nullptr) const;
  // A symbol with the dotted names that directly follow it ("Form1.Button1").
  std::string TokenComponentIdent();
  bool TokenSymbolIs(std::string_view S) const;
  void CheckToken(char Expected) const;
  void CheckTokenSymbol(std::string_view S) const;
  // Reads hexadecimal byte pairs up to the next other character; the token
  // after them is current afterwards.
  std::vector<uint8_t> HexToBinary();
  // Position just after the current token.
  size_t Position() const { return pos_; }

  [[noreturn]] void Error(const std::string& Message) const;

 private:
  bool At(auto Predicate) const { return pos_ < src_.size() && Predicate(src_[pos_]); }
  void SkipWhitespace();
  void Number();
  void String();
  static std::string TokenName(char Token);

  std::string_view src_;
  size_t pos_ = 0;
  size_t tokenStart_ = 0;
  char token_ = toEOF;
  char floatType_ = 0;
  std::string text_;
  std::u16string wide_;
};

}  // namespace vcl::form_text
