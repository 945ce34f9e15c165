// vtplay: plays a movie in an off-screen player and writes its frames as PNG
// files. Without a renderer on the machine the player shows its background.

#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "framework/Forms.h"
#include "framework/SysUtils.h"
#include "tools/vtplay/options.h"
#include "tools/vtplay/png_file.h"
#include "vt_d7/Vt_flashplayer.h"

namespace {

void Print(FILE* To, const std::wstring& Text) { std::fputs(vcl::WideToUtf8(Text).c_str(), To); }

vt::TvtPlugin ToPlugin(vtplay::PluginChoice Choice) {
  switch (Choice) {
    case vtplay::PluginChoice::Netscape: return vt::vtNetscape;
    case vtplay::PluginChoice::ActiveX: return vt::vtActiveX;
    case vtplay::PluginChoice::Default: break;
  }
  return vt::vtDefault;
}

std::wstring FrameName(int Index) {
  wchar_t name[32];
  std::swprintf(name, 32, L"frame%04d.png", Index);
  return name;
}

int Play(const vtplay::Options& O) {
  vcl::Application()->Initialize();
  vt::TvtFlashPlayerComp player(nullptr);
  player.SetPlugin(ToPlugin(O.Plugin));
  player.SetWidth(O.Width);
  player.SetHeight(O.Height);

  const std::wstring driver = player.Driver()->ClassName();
  if (driver == L"TvtFlashDriver")
    Print(stdout, L"vtplay: no renderer is installed; the player shows only its background\n");
  else
    Print(stdout, L"vtplay: playing with " + driver + L"\n");
  if (!O.Movie.empty()) player.LoadMovie(O.Movie);

  std::filesystem::create_directories(std::filesystem::path(O.OutDir));
  for (int i = 1; i <= O.Frames; ++i) {
    vcl::Application()->ProcessMessages();
    const uint32_t* pixels = player.GetBuffer();
    if (!pixels) throw vcl::Exception(L"the player has no frame buffer");
    const std::wstring file = (std::filesystem::path(O.OutDir) / FrameName(i)).wstring();
    vtplay::WritePngFile(file, pixels, player.Driver()->FWidth, player.Driver()->FHeight);
  }
  Print(stdout, L"vtplay: wrote " + std::to_wstring(O.Frames) + L" frame(s) of " + std::to_wstring(O.Width) + L"x" +
                    std::to_wstring(O.Height) + L" to " + O.OutDir + L"\n");
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::vector<std::wstring> args(argv + 1, argv + argc);
  vtplay::ParseResult parsed = vtplay::ParseOptions(args);
  if (!parsed.Ok()) {
    Print(stderr, L"vtplay: " + parsed.Error + L"\n" + vtplay::UsageText);
    return 1;
  }
  if (parsed.Value.Help) {
    Print(stdout, vtplay::UsageText);
    return 0;
  }
  try {
    return Play(parsed.Value);
  } catch (const vcl::Exception& e) {
    Print(stderr, L"vtplay: " + e.Message() + L"\n");
  } catch (const std::exception& e) {
    Print(stderr, L"vtplay: " + vcl::Utf8ToWide(e.what()) + L"\n");
  }
  return 1;
}
