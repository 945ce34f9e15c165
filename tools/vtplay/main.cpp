// vtplay: plays a movie through the package as an application would and
// writes what its player shows as PNG files (see UsageText).

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "framework/SysUtils.h"
#include "tools/vtplay/options.h"
#include "tools/vtplay/play.h"

namespace {

void Print(std::FILE* To, const std::wstring& Text) { std::fputs(vcl::WideToUtf8(Text).c_str(), To); }

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::vector<std::wstring> args(argv + 1, argv + argc);
  vtplay::ParseResult parsed = vtplay::ParseOptions(args);
  if (!parsed.Ok()) {
    Print(stderr, L"vtplay: " + parsed.Error + L"\n" + vtplay::UsageText);
    return 2;
  }
  if (parsed.Value.Help) {
    Print(stdout, vtplay::UsageText);
    return 0;
  }
  try {
    return vtplay::Play(parsed.Value, stdout);
  } catch (const vcl::Exception& e) {
    std::fflush(stdout);
    Print(stderr, L"vtplay: " + e.Message() + L"\n");
  } catch (const std::exception& e) {
    std::fflush(stdout);
    Print(stderr, L"vtplay: " + vcl::Utf8ToWide(e.what()) + L"\n");
  }
  return 1;
}
