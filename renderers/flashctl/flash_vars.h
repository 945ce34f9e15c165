#pragma once
// FlashVars: "name=value&name2=value2", URL-encoded (%XX and + for a space),
// as UTF-8 pairs in the order given. Pairs without a name are skipped; a
// malformed escape is kept as it is.

#include <string>
#include <utility>
#include <vector>

namespace flashctl {

std::vector<std::pair<std::string, std::string>> ParseFlashVars(const std::string& Text);

}  // namespace flashctl
