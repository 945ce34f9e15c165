#pragma once
// The bodies of ExportAssets, ImportAssets and ImportAssets2.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "renderers/engine/model.h"

namespace swf::writer {

// FormatError for more than 65535 names or a name holding a NUL.
std::vector<uint8_t> ExportAssetsBody(const std::map<std::string, uint16_t>& Exports);
// ImportAssets2 (with its reserved bytes) when Version2, else ImportAssets.
std::vector<uint8_t> ImportAssetsBody(const Import& I, bool Version2);

}  // namespace swf::writer
