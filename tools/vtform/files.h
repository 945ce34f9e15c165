#pragma once
// Whole-file reads and writes for vtform, with messages naming the file.

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>

namespace vtform {

// A failure to report as "vtform: MESSAGE" with exit status 1.
struct FileError {
  std::string Message;
};

// A wrong command line: "vtform: MESSAGE", exit status 2.
struct UsageError {
  std::string Message;
};

// Runs Command and gives the exit status: 0 when it returns, 2 for a
// UsageError, 1 for any other exception, whose message goes to Err after
// "vtform: ".
int RunReportingErrors(const std::function<void()>& Command, std::ostream& Err);

// A path as UTF-8, for messages.
std::string PathText(const std::filesystem::path& Path);

std::string ReadFile(const std::filesystem::path& Path);
// Writes a temporary file beside Path and renames it over Path, so that a
// failed run leaves no partial output.
void WriteFile(const std::filesystem::path& Path, const std::string& Bytes);

}  // namespace vtform
