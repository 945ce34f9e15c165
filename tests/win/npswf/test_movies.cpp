// Helpers for the movies the module's tests play.
#include "tests/win/npswf/test_movies.h"

#include <cstdio>

namespace npswf_test {

std::string FSCommandActionHex(const std::string& Command, const std::string& Args) {
  const std::string url = "FSCommand:" + Command;
  const size_t length = url.size() + 1 + Args.size() + 1;
  std::string hex;
  char byte[4];
  auto add = [&](unsigned B) {
    std::snprintf(byte, sizeof byte, "%02x ", B & 0xFF);
    hex += byte;
  };
  add(0x83);  // GetURL
  add(static_cast<unsigned>(length));
  add(static_cast<unsigned>(length >> 8));
  for (unsigned char c : url) add(c);
  add(0);
  for (unsigned char c : Args) add(c);
  add(0);
  add(0);  // end of the actions
  return hex;
}

}  // namespace npswf_test
