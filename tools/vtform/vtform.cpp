#include "tools/vtform/vtform.h"

#include "framework/Filer.h"
#include "tools/vtform/files.h"
#ifdef VTFORM_DESIGNER
#include "tools/vtform/design_commands.h"
#endif

namespace vtform {

namespace {

constexpr const char* kUsage =
    "usage: vtform --to-text IN OUT     converts a binary form to text\n"
    "       vtform --to-binary IN OUT   converts a text form to binary\n"
    "       vtform --palette [--out DIR]              lists the palette (and writes its bitmaps as PNG)\n"
    "       vtform --props FORM COMPONENT             lists a component's properties as the designer shows them\n"
    "       vtform --set FORM COMPONENT.PROPERTY=VALUE [--out FORM2]\n"
    "                                                 writes a property through its editor\n"
    "       vtform --load-movie FORM LIST ITEM FILE [--out FORM2]\n"
    "                                                 loads FILE into a stored movie (ITEM: index or name)\n"
    "       vtform --help\n";

bool IsDesignerCommand(const std::filesystem::path& Command) {
  return Command == "--palette" || Command == "--props" || Command == "--set" || Command == "--load-movie";
}

std::string Convert(const std::string& Input, void (*Converter)(vcl::TStream&, vcl::TStream&)) {
  vcl::TMemoryStream In, Out;
  In.WriteBuffer(Input.data(), static_cast<int64_t>(Input.size()));
  In.SetPosition(0);
  Converter(In, Out);
  return std::string(static_cast<const char*>(Out.Memory()), static_cast<size_t>(Out.Size()));
}

}  // namespace

std::string ToText(const std::string& Binary) { return Convert(Binary, &vcl::ObjectBinaryToText); }
std::string ToBinary(const std::string& Text) { return Convert(Text, &vcl::ObjectTextToBinary); }

int Run(const std::vector<std::filesystem::path>& Args, std::ostream& Out, std::ostream& Err) {
  if (Args.size() == 1 && (Args[0] == "--help" || Args[0] == "-h")) {
    Out << kUsage;
    return 0;
  }
  if (!Args.empty() && IsDesignerCommand(Args[0])) {
#ifdef VTFORM_DESIGNER
    return RunDesign(Args, Out, Err);
#else
    Err << "vtform: " << Args[0].string() << " needs the package's components: use the Windows build (vtform.exe)\n";
    return 2;
#endif
  }
  if (Args.size() != 3 || (Args[0] != "--to-text" && Args[0] != "--to-binary")) {
    Err << "vtform: expected --to-text or --to-binary with an input and an output file\n" << kUsage;
    return 2;
  }
  const bool ToTextForm = Args[0] == "--to-text";
  return RunReportingErrors(
      [&] {
        const std::string Input = ReadFile(Args[1]);
        std::string Output;
        try {
          Output = ToTextForm ? ToText(Input) : ToBinary(Input);
        } catch (const vcl::Exception& E) {
          throw FileError{PathText(Args[1]) + ": " + E.what()};
        }
        WriteFile(Args[2], Output);
      },
      Err);
}

}  // namespace vtform
