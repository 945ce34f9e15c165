// The module's text units, tried directly: ANSI text in a double-byte code
// page (932) and the embedding arguments.
#include <gtest/gtest.h>

#include "renderers/ansitext/ansi_text.h"
#include "renderers/npswf/embed_args.h"

namespace npswf {
namespace {

using swfwin::AnsiCharReader;
using swfwin::AnsiToUtf8;
using swfwin::Utf8ToAnsi;

constexpr unsigned kShiftJis = 932;

TEST(NpswfText, DoubleByteCharactersArriveWhole) {
  AnsiCharReader reader(kShiftJis);
  EXPECT_EQ(reader.Feed('a'), 'a');
  EXPECT_EQ(reader.Feed(0x82), -1);      // a lead byte waits for its trail byte
  EXPECT_EQ(reader.Feed(0xA0), 0x3042);  // HIRAGANA LETTER A
  EXPECT_EQ(reader.Feed(0xB1), 0xFF71);  // a single-byte katakana
  EXPECT_EQ(reader.Feed('\r'), '\r');
}

TEST(NpswfText, ConversionsRoundTripThroughTheCodePage) {
  const std::string sjis =
      "a\x82\xA0"
      "b";
  const std::string utf8 = AnsiToUtf8(sjis, kShiftJis);
  EXPECT_EQ(utf8,
            "a\xE3\x81\x82"
            "b");
  EXPECT_EQ(Utf8ToAnsi(utf8, kShiftJis), sjis);
  EXPECT_EQ(AnsiToUtf8("plain"), "plain");
  EXPECT_EQ(Utf8ToAnsi(""), "");
  // A character the code page lacks becomes its default character.
  EXPECT_EQ(Utf8ToAnsi("\xE2\x82\xAC", 437), "?");
}

TEST(NpswfText, EmbeddingArguments) {
  const char* names[] = {"HEIGHT", "bgcolor", "wmode", "width", nullptr, "other"};
  const char* values[] = {"80", "#1a2B3c", "Transparent", "120", "x", "1"};
  EmbedArgs a = ParseEmbedArgs(6, names, values);
  EXPECT_TRUE(a.transparent);
  EXPECT_EQ(a.background, 0xFF1A2B3Cu);
  EXPECT_EQ(a.width, 120);
  EXPECT_EQ(a.height, 80);

  const char* bad[] = {"opaque", "#12345678", "-5", "70000"};
  const char* badNames[] = {"wmode", "bgcolor", "width", "height"};
  a = ParseEmbedArgs(4, badNames, bad);
  EXPECT_FALSE(a.transparent);
  EXPECT_FALSE(a.background);
  EXPECT_EQ(a.width, 0);
  EXPECT_EQ(a.height, 0);
  EXPECT_EQ(ParseColor("#0"), 0xFF000000u);
  EXPECT_EQ(ParseColor("ff"), 0xFF0000FFu);
  EXPECT_FALSE(ParseColor("#"));
  EXPECT_FALSE(ParseColor("#ggg"));
  EXPECT_FALSE(ParseEmbedArgs(3, nullptr, values).transparent);
}

}  // namespace
}  // namespace npswf
