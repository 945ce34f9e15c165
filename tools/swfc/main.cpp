// swfc IN.txt OUT.swf: compiles a movie description into a SWF file.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "tools/swfc/compile.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: swfc IN.txt OUT.swf\n";
    return 2;
  }
  const std::string in = argv[1], out = argv[2];
  std::ifstream file(in, std::ios::binary);
  if (!file) {
    std::cerr << in << ": cannot open\n";
    return 1;
  }
  std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::vector<uint8_t> bytes;
  try {
    // Files the description names are relative to its folder.
    const std::filesystem::path folder = std::filesystem::path(in).parent_path();
    bytes = swfc::Compile(text, [&folder](const std::string& Path) -> std::optional<std::vector<uint8_t>> {
      std::ifstream f(folder / std::filesystem::path(Path), std::ios::binary);
      if (!f) return std::nullopt;
      return std::vector<uint8_t>((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    });
  } catch (const swfc::CompileError& e) {
    std::cerr << in << ":" << e.line() << ": " << e.message() << "\n";
    return 1;
  } catch (const std::exception& e) {
    std::cerr << in << ": " << e.what() << "\n";
    return 1;
  }
  std::ofstream swf(out, std::ios::binary | std::ios::trunc);
  swf.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  swf.close();
  if (!swf) {
    std::cerr << out << ": cannot write\n";
    std::remove(out.c_str());
    return 1;
  }
  return 0;
}
