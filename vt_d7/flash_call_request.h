#pragma once
// The ExternalInterface request text a plug-in movie's script turns into.
// The plug-in module reports a movie's call of a page function as a script
// "try { __flash__toXML(name(args)) ; } catch (e) ..."; the driver hands the
// application the request "<invoke name=\"name\" returntype=\"XML\">
// <arguments><string>arg</string>...</arguments></invoke>" instead.
// Portable: no <windows.h>.

#include <optional>
#include <string>

namespace vt {

// The script's leading text that marks an ExternalInterface call.
inline constexpr wchar_t FlashCallScriptPrefix[] = L"try { __flash__toXML(";

// The request text for Script, or nothing when Script does not start with
// FlashCallScriptPrefix. The arguments are read as the script language
// writes them: a string literal gives its decoded text (commas and
// parentheses inside it included), any other literal its text as written.
// Each argument becomes a string element with &, < and > escaped; the name
// is inserted as it is.
std::optional<std::wstring> FlashCallRequestFromScript(const std::wstring& Script);

}  // namespace vt
