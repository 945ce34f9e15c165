// vtform: converts form files between the binary and the text form.
#include <iostream>
#include <vector>

#include "tools/vtform/vtform.h"

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
#else
int main(int argc, char** argv) {
#endif
  std::vector<std::filesystem::path> Args(argv + 1, argv + argc);
  return vtform::Run(Args, std::cout, std::cerr);
}
