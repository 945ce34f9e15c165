#include "tools/vtform/files.h"

#include <fstream>
#include <iterator>
#include <system_error>

namespace vtform {

std::string PathText(const std::filesystem::path& Path) {
  const std::u8string Text = Path.u8string();
  return std::string(Text.begin(), Text.end());
}

std::string ReadFile(const std::filesystem::path& Path) {
  std::ifstream File(Path, std::ios::binary);
  if (!File) throw FileError{PathText(Path) + ": cannot open"};
  std::string Bytes((std::istreambuf_iterator<char>(File)), std::istreambuf_iterator<char>());
  if (File.bad()) throw FileError{PathText(Path) + ": cannot read"};
  return Bytes;
}

void WriteFile(const std::filesystem::path& Path, const std::string& Bytes) {
  std::filesystem::path Temp = Path;
  Temp += ".vtform-tmp";
  {
    std::ofstream File(Temp, std::ios::binary | std::ios::trunc);
    File.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
    File.close();
    if (!File) {
      std::error_code Ignored;
      std::filesystem::remove(Temp, Ignored);
      throw FileError{PathText(Path) + ": cannot write"};
    }
  }
  std::error_code Error;
  std::filesystem::rename(Temp, Path, Error);
  if (Error) {
    std::error_code Ignored;
    std::filesystem::remove(Temp, Ignored);
    throw FileError{PathText(Path) + ": cannot write (" + Error.message() + ")"};
  }
}

int RunReportingErrors(const std::function<void()>& Command, std::ostream& Err) {
  try {
    Command();
    return 0;
  } catch (const UsageError& E) {
    Err << "vtform: " << E.Message << "\n";
    return 2;
  } catch (const FileError& E) {
    Err << "vtform: " << E.Message << "\n";
  } catch (const std::exception& E) {
    Err << "vtform: " << E.what() << "\n";
  }
  return 1;
}

}  // namespace vtform
