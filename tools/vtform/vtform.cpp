#include "tools/vtform/vtform.h"

#include <fstream>
#include <iterator>
#include <system_error>

#include "framework/Filer.h"

namespace vtform {

namespace {

constexpr const char* kUsage =
    "usage: vtform --to-text IN OUT     converts a binary form to text\n"
    "       vtform --to-binary IN OUT   converts a text form to binary\n"
    "       vtform --help\n";

std::string Convert(const std::string& Input, void (*Converter)(vcl::TStream&, vcl::TStream&)) {
  vcl::TMemoryStream In, Out;
  In.WriteBuffer(Input.data(), static_cast<int64_t>(Input.size()));
  In.SetPosition(0);
  Converter(In, Out);
  return std::string(static_cast<const char*>(Out.Memory()), static_cast<size_t>(Out.Size()));
}

// A path as UTF-8, for messages.
std::string PathText(const std::filesystem::path& Path) {
  const std::u8string Text = Path.u8string();
  return std::string(Text.begin(), Text.end());
}

struct FileError {
  std::string Message;
};

std::string ReadFile(const std::filesystem::path& Path) {
  std::ifstream File(Path, std::ios::binary);
  if (!File) throw FileError{PathText(Path) + ": cannot open"};
  std::string Bytes((std::istreambuf_iterator<char>(File)), std::istreambuf_iterator<char>());
  if (File.bad()) throw FileError{PathText(Path) + ": cannot read"};
  return Bytes;
}

// Writes a temporary file beside Path and renames it over Path, so that a
// failed run leaves no partial output.
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

}  // namespace

std::string ToText(const std::string& Binary) { return Convert(Binary, &vcl::ObjectBinaryToText); }
std::string ToBinary(const std::string& Text) { return Convert(Text, &vcl::ObjectTextToBinary); }

int Run(const std::vector<std::filesystem::path>& Args, std::ostream& Out, std::ostream& Err) {
  if (Args.size() == 1 && (Args[0] == "--help" || Args[0] == "-h")) {
    Out << kUsage;
    return 0;
  }
  if (Args.size() != 3 || (Args[0] != "--to-text" && Args[0] != "--to-binary")) {
    Err << "vtform: expected --to-text or --to-binary with an input and an output file\n" << kUsage;
    return 2;
  }
  const bool ToTextForm = Args[0] == "--to-text";
  try {
    const std::string Input = ReadFile(Args[1]);
    std::string Output;
    try {
      Output = ToTextForm ? ToText(Input) : ToBinary(Input);
    } catch (const vcl::Exception& E) {
      throw FileError{PathText(Args[1]) + ": " + E.what()};
    }
    WriteFile(Args[2], Output);
  } catch (const FileError& E) {
    Err << "vtform: " << E.Message << "\n";
    return 1;
  } catch (const std::exception& E) {
    Err << "vtform: " << E.what() << "\n";
    return 1;
  }
  return 0;
}

}  // namespace vtform
