#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "framework/Filer.h"
#include "framework/src/portable/form_text_common.h"
#include "framework/src/portable/form_text_float.h"

using namespace vcl;

namespace {

// Expected texts below are written with "\n"; the converter ends lines as
// the platform's text files do.
std::string Lines(const std::string& Text) {
  std::string Result;
  for (char C : Text) {
    if (C == '\n')
      Result += form_text::kLineBreak;
    else
      Result += C;
  }
  return Result;
}

std::string Convert(const std::string& Input, void (*Converter)(TStream&, TStream&)) {
  TMemoryStream In, Out;
  In.WriteBuffer(Input.data(), static_cast<int64_t>(Input.size()));
  In.SetPosition(0);
  Converter(In, Out);
  return std::string(static_cast<const char*>(Out.Memory()), static_cast<size_t>(Out.Size()));
}
std::string ToText(const std::string& Binary) { return Convert(Binary, &ObjectBinaryToText); }
std::string ToBinary(const std::string& Text) { return Convert(Text, &ObjectTextToBinary); }

std::string Hex(const std::string& Bytes) {
  std::string Result;
  static const char kHex[] = "0123456789ABCDEF";
  for (unsigned char C : Bytes) {
    Result += kHex[C >> 4];
    Result += kHex[C & 15];
  }
  return Result;
}

std::string Unhex(const std::string& Text) {
  std::string Result;
  for (size_t i = 0; i + 1 < Text.size(); i += 2)
    Result += static_cast<char>(std::stoi(Text.substr(i, 2), nullptr, 16));
  return Result;
}

std::string ParserError(const std::string& Text) {
  try {
    ToBinary(Text);
  } catch (const EParserError& E) {
    return E.what();
  }
  return "no error";
}

// A form with one property of every kind the text form spells...
const std::string kAllKinds =
      "inherited Form1: TForm1\n"
      "  Left = 100\n"
      "  Top = -200\n"
      "  Width = 70000\n"
      "  Big = 5000000000\n"
      "  Neg = -129\n"
      "  Hex = $FF\n"
      "  F1 = 1.5\n"
      "  F2 = -0.1\n"
      "  F3 = 12345.678e10\n"
      "  S1 = 'It''s'\n"
      "  S2 = 'a'#13#10'b'\n"
      "  S3 = 'abc' + 'def'\n"
      "  W1 = 'caf'#233\n"
      "  W2 = #1055#1088#1080\n"
      "  W3 = 'x' + #8364\n"
      "  Id = clWindow\n"
      "  Ref = Form1.Button1\n"
      "  B1 = True\n"
      "  B2 = false\n"
      "  N = nil\n"
      "  Set1 = [akLeft, akTop]\n"
      "  Set2 = []\n"
      "  List1 = (\n"
      "    1\n"
      "    'two'\n"
      "    (\n"
      "      3\n"
      "    )\n"
      "    ()\n"
      "  )\n"
      "  Empty = ()\n"
      "  Font.Name = 'Arial'\n"
      "  Coll = <\n"
      "    item\n"
      "      A = 1\n"
      "    end\n"
      "    item\n"
      "      B = 'x'\n"
      "      Sub = <>\n"
      "    end>\n"
      "  EmptyColl = <>\n"
      "  Bin = {\n"
      "    000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F\n"
      "    2021\n"
      "  }\n"
      "  EmptyBin = {}\n"
      "  object Button1: TButton[2]\n"
      "    Caption = 'OK'\n"
      "  end\n"
      "  inline Frame1: TFrame\n"
      "  end\n"
      "  object TNoName\n"
      "  end\n"
      "end\n";
// ...and the text the reference converter (Free Pascal 3.2.2's classes
// unit) writes for the binary form both it and we make of it.
const std::string kAllKindsText =
      "inherited Form1: TForm1\n"
      "  Left = 100\n"
      "  Top = -200\n"
      "  Width = 70000\n"
      "  Big = 5000000000\n"
      "  Neg = -129\n"
      "  Hex = 255\n"
      "  F1 =  1.50000000000000000000E+0000\n"
      "  F2 = -1.00000000000000000001E-0001\n"
      "  F3 =  1.23456780000000000000E+0014\n"
      "  S1 = 'It''s'\n"
      "  S2 = 'a'#13#10'b'\n"
      "  S3 = 'abcdef'\n"
      "  W1 = 'caf'#233\n"
      "  W2 = #1055#1088#1080\n"
      "  W3 = 'x'#8364\n"
      "  Id = clWindow\n"
      "  Ref = Form1.Button1\n"
      "  B1 = True\n"
      "  B2 = False\n"
      "  N = nil\n"
      "  Set1 = [akLeft, akTop]\n"
      "  Set2 = []\n"
      "  List1 = (\n"
      "    1\n"
      "    'two'\n"
      "    (\n"
      "      3\n"
      "    )\n"
      "    (    )\n"
      "  )\n"
      "  Empty = (  )\n"
      "  Font.Name = 'Arial'\n"
      "  Coll = <  \n"
      "    item\n"
      "      A = 1\n"
      "    end  \n"
      "    item\n"
      "      B = 'x'\n"
      "      Sub = <>\n"
      "    end>\n"
      "  EmptyColl = <>\n"
      "  Bin = {\n"
      "    000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F\n"
      "    2021\n"
      "  }\n"
      "  EmptyBin = {\n"
      "  }\n"
      "  object Button1: TButton[2]\n"
      "    Caption = 'OK'\n"
      "  end\n"
      "  inline Frame1: TFrame\n"
      "  end\n"
      "  object TNoName\n"
      "  end\n"
      "end\n";

TEST(FormText, AllKindsAgreeWithTheReferenceBothWays) {
  const std::string Binary = ToBinary(kAllKinds);
  EXPECT_EQ(ToText(Binary), Lines(kAllKindsText));
  // The canonical text converts back to the same bytes.
  EXPECT_EQ(ToBinary(Lines(kAllKindsText)), Binary);
}

TEST(FormText, TagsChosenAsTheReferenceChooses) {
  // The reference converter's bytes for this text, but for the last value:
  // it wraps integers beyond Int64 to negative ones; they become vaQWord.
  const std::string Text =
      "object A: TB\n  I = -129\n  J = 2147483648\n  S = 'x'\n  W = #256\n  F = 1.5\n  Q = 18446744073709551615\nend\n";
  EXPECT_EQ(Hex(ToBinary(Text)), "5450463002544201410149037FFF014A130000008000000000015306017801571201000000000101460500000000000000C0FF3F015116FFFFFFFFFFFFFFFF0000");
  // A string beyond 255 bytes is a vaLString.
  const std::string Long = ToBinary("object A: TB\n  S = '" + std::string(256, 'y') + "'\nend");
  EXPECT_EQ(Long[11], static_cast<char>(vaLString));
}

TEST(FormText, BinaryOnlyStringsAndFloats) {
  // vaUTF8String (code points), vaUString (UTF-16 units), bytes above 126
  // of an 8-bit string, a vaLString, vaInt64 holding a small value, negative zero.
  const std::string Binary = Unhex(
      "545046300554466F726D0146025538140B000000C3A9E282ACF09F988061010255531504000000E900AC203DD8"
      "00DE035753301200000000025338060661E97F002762024C530C2C0100007878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878787878780349363413050000000000000002453005000000000000000000800000");
  EXPECT_EQ(ToText(Binary), Lines("object F: TForm\n"
                                  "  U8 = #233#8364#128512'a'#1\n"
                                  "  US = #233#8364#55357#56832\n"
                                  "  WS0 = ''\n"
                                  "  S8 = 'a'#233#127#0'''b'\n"
                                  "  LS = '" + std::string(300, 'x') + "'\n"
                                  "  I64 = 5\n"
                                  "  E0 = -0.00000000000000000000E+0000\n"
                                  "end\n"));
  // Characters beyond U+FFFF come back as a surrogate pair.
  const std::string Again = ToText(ToBinary(ToText(Binary)));
  EXPECT_NE(Again.find("U8 = #233#8364#55357#56832'a'#1"), std::string::npos);
}

TEST(FormText, TypedFloatsAndOrderedItemsRoundTrip) {
  const std::string Text = Lines(
      "object A: TB\n"
      "  S =  1.50000000000000000000E+0000s\n"
      "  D =  4.53001250000000000000E+0004d\n"
      "  C = -922337203685477.5808c\n"
      "  C2 = 1.5c\n"
      "  Q = 18446744073709551615\n"
      "  Items = <  \n"
      "    item[3]\n"
      "      A = 1\n"
      "    end>\n"
      "end\n");
  const std::string Binary = ToBinary(Text);
  EXPECT_EQ(ToText(Binary), Text);
  EXPECT_EQ(ToBinary(ToText(Binary)), Binary);
  // Currency takes any decimal notation, exactly.
  EXPECT_EQ(ToText(ToBinary("object A: TB\n C = 1.23456E+2c\nend")), Lines("object A: TB\n  C = 123.456c\nend\n"));
}

TEST(FormText, FloatTextIsExactAndRoundTrips) {
  using form_text::FormatExtended;
  using form_text::ParseExtended;
  using form_text::TExtended;
  // The reference's text for these encodings.
  EXPECT_EQ(FormatExtended(form_text::DoubleToExtended(0.1)), " 1.00000000000000005551E-0001");
  EXPECT_EQ(FormatExtended({1, 0}), " 3.64519953188247460253E-4951");
  EXPECT_EQ(FormatExtended({~0ull, 0x7FFE}), " 1.18973149535723176502E+4932");
  EXPECT_EQ(FormatExtended({0x8000000000000000ull, 0xFFFF}), "                         -Inf");
  EXPECT_EQ(FormatExtended({0xC000000000000000ull, 0x7FFF}), "                          Nan");
  EXPECT_EQ(FormatExtended({0x4000000000000000ull, 0x3FFF}), "                          Nan");
  EXPECT_EQ(ParseExtended("1e4933"), std::nullopt);
  EXPECT_EQ(ParseExtended("1e-5000"), (TExtended{0, 0}));
  EXPECT_EQ(ParseExtended("1.18973149535723176502E+4932"), (TExtended{~0ull, 0x7FFE}));
  EXPECT_EQ(ParseExtended("3.6451995318824746025E-4951"), (TExtended{1, 0}));
  EXPECT_EQ(ParseExtended("."), std::nullopt);
  std::mt19937_64 Random(7);
  for (int i = 0; i < 40; ++i) {
    TExtended X{Random() | (1ull << 63), static_cast<uint16_t>(Random() % 0x7FFF)};
    if (X.SignExp == 0) X.Mantissa >>= 1;
    X.SignExp |= (i & 1) ? 0x8000 : 0;
    const std::string Text = FormatExtended(X);
    ASSERT_EQ(ParseExtended(Text.substr(Text[0] == ' ')), X) << Text;
  }
}

TEST(FormText, MalformedTextNamesTheLine) {
  EXPECT_EQ(ParserError("object A: TB\n  X = \nend\n"),
            "Wrong token type: Symbol expected but EOF found on line 4, column 1");
  EXPECT_EQ(ParserError("object A: TB\n  X = 'abc\nend\n"), "Unterminated string on line 2, column 7");
  EXPECT_EQ(ParserError("object A: TB\r\n\r\n  X = ]\r\nend\r\n"), "Invalid property value on line 3, column 7");
  EXPECT_EQ(ParserError("thing A: TB\nend\n"),
            "Wrong token symbol: object expected but thing found on line 1, column 1");
  EXPECT_EQ(ParserError("object A: TB\n  B = { 0 }\nend"), "Unterminated byte value on line 2, column 10");
  EXPECT_EQ(ParserError("object A: TB\n  B = { 00 x }\nend"),
            "Wrong token type: } expected but Symbol found on line 2, column 12");
  EXPECT_EQ(ParserError("object A: TB\n  I = 99999999999999999999\nend"),
            "Invalid integer number: 99999999999999999999 on line 2, column 7");
  EXPECT_EQ(ParserError("object A: TB\n  F = 1e99999\nend"),
            "Invalid floating point number: 1e99999 on line 2, column 7");
  EXPECT_EQ(ParserError("object A: TB\n  S = #1114112\nend"), "Invalid character code on line 2, column 7");
  EXPECT_EQ(ParserError("object A: TB\n  " + std::string(256, 'N') + " = 1\nend").substr(0, 35),
            "Name longer than 255 characters: NN");
  EXPECT_EQ(ParserError("object A: TB\n  C = 1e30c\nend"), "Invalid currency value: 1e30 on line 2, column 7");
  // Nesting beyond the limit is refused, not recursed into.
  EXPECT_EQ(ParserError("object A: TB\n  L = " + std::string(100000, '(')).substr(0, 19), "Nesting too deep on");
}

TEST(FormText, MalformedBinaryRaisesReadError) {
  const std::string Binary = ToBinary(kAllKinds);
  // Cut anywhere, the form is refused.
  for (size_t Size = 0; Size < Binary.size(); ++Size) EXPECT_THROW(ToText(Binary.substr(0, Size)), EReadError) << Size;
  EXPECT_THROW(ToText("TPF1" + Binary.substr(4)), EReadError);
  // An unknown value tag, a length beyond the data, a child position that
  // is no integer, lists nested without end.
  EXPECT_THROW(ToText(Unhex("5450463002544201410158FF0000")), EReadError);
  EXPECT_THROW(ToText(Unhex("54504630025442014101420CFFFFFFFF0000")), EReadError);
  EXPECT_THROW(ToText(Unhex("54504630F20602544201410000")), EReadError);
  EXPECT_THROW(ToText(Unhex("5450463002544201410158") + std::string(100000, '\x01')), EReadError);
}

TEST(FormText, StreamsStopAfterTheForm) {
  TMemoryStream In, Out;
  const std::string Text = "object A: TB\nend\nrest";
  In.WriteBuffer(Text.data(), static_cast<int64_t>(Text.size()));
  In.SetPosition(0);
  ObjectTextToBinary(In, Out);
  EXPECT_EQ(In.Position(), 16);
  const int64_t End = Out.Size();
  Out.WriteBuffer("zz", 2);
  Out.SetPosition(0);
  TMemoryStream Back;
  ObjectBinaryToText(Out, Back);
  EXPECT_EQ(Out.Position(), End);
}

}  // namespace
