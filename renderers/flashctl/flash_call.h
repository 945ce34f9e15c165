#pragma once
// The FlashCall event's request for a movie's ExternalInterface call, the
// same text the plug-in driver hands applications:
//   <invoke name="NAME" returntype="XML"><arguments><string>A1</string>...</arguments></invoke>
// NAME is inserted as it is; each argument is the value its script literal
// stands for (a string itself, a number as FormatExternalNumber prints it,
// true, false, null, undefined, an array or object as its literal
// [1,"a"] / {"k":1}) with &, < and > escaped. Throws FormatError for
// arguments nested too deep to write.

#include <string>
#include <vector>

#include "renderers/engine/external.h"

namespace flashctl {

std::string FlashCallRequest(const std::string& Name, const std::vector<swf::ExternalValue>& Args);

}  // namespace flashctl
