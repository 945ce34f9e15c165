#include "vt_d7/flash_call_request.h"

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

std::wstring ArgumentMarkup(std::wstring_view Arguments) {
  std::wstring markup;
  // A lone ")" means a call without arguments.
  if (Arguments.size() <= 1) return markup;
  while (!Arguments.empty()) {
    std::wstring_view token = Trim(TakeUntil(Arguments, L",)"));
    Arguments = Trim(Arguments);
    if (!token.empty() && token.front() == L'"') {
      token.remove_prefix(1);
      if (!token.empty()) token.remove_suffix(1);
    }
    markup += L"<string>";
    markup += token;
    markup += L"</string>";
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
