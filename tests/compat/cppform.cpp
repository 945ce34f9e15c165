// cppform: our side of the form-stream compatibility tests with Free Pascal.
//
//   cppform write DIR           writes the sample forms (kinds, store, player, nested, legacy)
//                               and truncated.bad, a form every reader must reject
//   cppform read FILE           reads a binary form and prints the canonical dump
//   cppform roundtrip IN OUT    reads a binary form into objects and writes it again
//
// Errors end the program with status 2 and a message on stderr. The dump
// format is described in README.md next to this file.

#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "compat_components.h"
#include "compat_dump.h"
#include "compat_samples.h"
#include "framework/Filer.h"

namespace {

std::unique_ptr<compat::TCompatForm> ReadForm(const std::string& File) {
  const std::vector<uint8_t> bytes = compat::ReadFile(File);
  vcl::TMemoryStream stream;
  stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  stream.SetPosition(0);
  compat::LoadedLog().clear();
  auto form = std::make_unique<compat::TCompatForm>(nullptr);
  vcl::ReadComponentFromStream(stream, form.get());
  return form;
}

void Read(const std::string& File) {
  auto form = ReadForm(File);
  const std::string dump = compat::DumpForm(form.get(), compat::LoadedLog());
  std::fwrite(dump.data(), 1, dump.size(), stdout);
}

void Roundtrip(const std::string& In, const std::string& Out) {
  auto form = ReadForm(In);
  compat::WriteFile(Out, compat::FormBytes(form.get()));
}

int Fail(const std::string& Message) {
  std::fprintf(stderr, "cppform: %s\n", Message.c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  compat::RegisterCompatClasses();
  try {
    if (args.size() == 2 && args[0] == "write")
      compat::WriteSamples(args[1]);
    else if (args.size() == 2 && args[0] == "read")
      Read(args[1]);
    else if (args.size() == 3 && args[0] == "roundtrip")
      Roundtrip(args[1], args[2]);
    else
      return Fail("usage: cppform write DIR | read FILE | roundtrip IN OUT");
  } catch (const std::exception& e) {
    return Fail(e.what());
  }
  return std::fflush(stdout) == 0 ? 0 : Fail("cannot write the output");
}
