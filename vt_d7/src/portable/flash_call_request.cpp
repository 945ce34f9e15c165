#include "vt_d7/flash_call_request.h"

#include <algorithm>
#include <string_view>

namespace vt {

namespace {

constexpr std::wstring_view kCatchPart = L") ; } catch (e)";

// Spaces and control characters, as the trimming of the call text counts them.
bool IsBlank(wchar_t C) { return static_cast<uint32_t>(C) <= 0x20; }

std::wstring_view Trim(std::wstring_view Text) {
  while (!Text.empty() && IsBlank(Text.front())) Text.remove_prefix(1);
  while (!Text.empty() && IsBlank(Text.back())) Text.remove_suffix(1);
  return Text;
}

// Splits Text at the first of Delimiters: the part before it is returned and
// Text keeps what follows the delimiter (nothing when there is none).
std::wstring_view TakeUntil(std::wstring_view& Text, std::wstring_view Delimiters) {
  const size_t at = Text.find_first_of(Delimiters);
  if (at == std::wstring_view::npos) {
    const std::wstring_view all = Text;
    Text = {};
    return all;
  }
  const std::wstring_view head = Text.substr(0, at);
  Text.remove_prefix(at + 1);
  return head;
}

// The XML text of one argument: &, < and > escaped.
void AppendEscaped(std::wstring& Out, std::wstring_view Text) {
  for (const wchar_t c : Text) {
    if (c == L'&') Out += L"&amp;";
    else if (c == L'<') Out += L"&lt;";
    else if (c == L'>') Out += L"&gt;";
    else Out += c;
  }
}

int HexDigit(wchar_t C) {
  if (C >= L'0' && C <= L'9') return C - L'0';
  if (C >= L'a' && C <= L'f') return C - L'a' + 10;
  if (C >= L'A' && C <= L'F') return C - L'A' + 10;
  return -1;
}

// A string literal starting after its opening quote, as the script language
// writes it: \" \\ \/ \b \f \n \r \t and \uXXXX are decoded; the literal
// ends at the closing quote (or the end of the text). At is moved past it.
std::wstring ReadStringLiteral(std::wstring_view Text, size_t& At) {
  std::wstring out;
  while (At < Text.size()) {
    const wchar_t c = Text[At++];
    if (c == L'"') break;
    if (c != L'\\' || At >= Text.size()) {
      out += c;
      continue;
    }
    const wchar_t e = Text[At++];
    switch (e) {
      case L'b': out += L'\b'; break;
      case L'f': out += L'\f'; break;
      case L'n': out += L'\n'; break;
      case L'r': out += L'\r'; break;
      case L't': out += L'\t'; break;
      case L'u': {
        unsigned code = 0;
        size_t k = 0;
        for (; k < 4 && At + k < Text.size() && HexDigit(Text[At + k]) >= 0; ++k)
          code = code * 16 + static_cast<unsigned>(HexDigit(Text[At + k]));
        if (k == 4) {
          out += static_cast<wchar_t>(code);
          At += 4;
        } else {
          out += L'u';  // not an escape after all
        }
        break;
      }
      default: out += e; break;  // \" \\ \/ and any other character stand for themselves
    }
  }
  return out;
}

// Any other literal (a number, true, null, an array or object) as it is
// written, up to the next "," or ")" outside brackets and strings.
std::wstring_view ReadOtherLiteral(std::wstring_view Text, size_t& At) {
  const size_t start = At;
  int depth = 0;
  bool quoted = false;
  for (; At < Text.size(); ++At) {
    const wchar_t c = Text[At];
    if (quoted) {
      if (c == L'\\') ++At;
      else if (c == L'"') quoted = false;
    } else if (c == L'"') {
      quoted = true;
    } else if (c == L'[' || c == L'{') {
      ++depth;
    } else if (c == L']' || c == L'}') {
      if (depth > 0) --depth;
    } else if (depth == 0 && (c == L',' || c == L')')) {
      break;
    }
  }
  return Trim(Text.substr(start, std::min(At, Text.size()) - start));
}

// The arguments of the call (the text after its opening parenthesis), each
// as a string element.
std::wstring ArgumentMarkup(std::wstring_view Arguments) {
  std::wstring markup;
  size_t at = 0;
  const auto skipBlanks = [&] {
    while (at < Arguments.size() && IsBlank(Arguments[at])) ++at;
  };
  skipBlanks();
  if (at >= Arguments.size() || Arguments[at] == L')') return markup;
  while (true) {
    skipBlanks();
    markup += L"<string>";
    if (at < Arguments.size() && Arguments[at] == L'"') {
      ++at;
      AppendEscaped(markup, ReadStringLiteral(Arguments, at));
      ReadOtherLiteral(Arguments, at);  // anything up to the next separator is dropped
    } else {
      AppendEscaped(markup, ReadOtherLiteral(Arguments, at));
    }
    markup += L"</string>";
    if (at >= Arguments.size() || Arguments[at] == L')') break;
    ++at;  // past the ","
  }
  return markup;
}

}  // namespace

std::optional<std::wstring> FlashCallRequestFromScript(const std::wstring& Script) {
  std::wstring_view call = Script;
  const std::wstring_view prefix = FlashCallScriptPrefix;
  if (!call.starts_with(prefix)) return std::nullopt;
  call.remove_prefix(prefix.size());
  const size_t tail = call.find(kCatchPart);
  if (tail != std::wstring_view::npos) call = call.substr(0, tail);

  const std::wstring_view name = Trim(TakeUntil(call, L"("));
  const std::wstring_view arguments = Trim(call);

  std::wstring request = L"<invoke name=\"";
  request += name;
  request += L"\" returntype=\"XML\"><arguments>";
  request += ArgumentMarkup(arguments);
  request += L"</arguments></invoke>";
  return request;
}

}  // namespace vt
