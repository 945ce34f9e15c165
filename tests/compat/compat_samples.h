#pragma once
// The sample forms cppform writes: the same objects with the same values as
// fpcform's (compat_samples.pas).

#include <filesystem>
#include <vector>

#include "framework/Classes.h"

namespace compat {

// Writes kinds.frm, store.frm, player.frm, nested.frm (from objects),
// legacy.frm (from a text form with payloads the writer never produces) and
// truncated.bad (a form every reader must reject) into Dir.
void WriteSamples(const std::filesystem::path& Dir);

// A whole form as its binary stream, and the files in and out.
std::vector<uint8_t> FormBytes(vcl::TComponent* Root);
void WriteFile(const std::filesystem::path& File, const std::vector<uint8_t>& Bytes);
// Raises EReadError when the file cannot be read.
std::vector<uint8_t> ReadFile(const std::filesystem::path& File);

}  // namespace compat
