#pragma once
// Whole-file reads and writes for vtform, with messages naming the file.

#include <filesystem>
#include <string>

namespace vtform {

// A failure to report as "vtform: MESSAGE" with exit status 1.
struct FileError {
  std::string Message;
};

// A path as UTF-8, for messages.
std::string PathText(const std::filesystem::path& Path);

std::string ReadFile(const std::filesystem::path& Path);
// Writes a temporary file beside Path and renames it over Path, so that a
// failed run leaves no partial output.
void WriteFile(const std::filesystem::path& Path, const std::string& Bytes);

}  // namespace vtform
