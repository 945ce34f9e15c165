#include "../../SysUtils.h"

namespace vcl {

// The host's 8-bit text is UTF-8, its only code page.
std::string WideToAnsi(const std::wstring& Text, unsigned /*CodePage*/) { return WideToUtf8(Text); }
std::wstring AnsiToWide(const std::string& Text, unsigned /*CodePage*/) { return Utf8ToWide(Text); }

}  // namespace vcl
