// vtplay's players in windows on the screen: the window is the application's
// main form, and closing it, as a user would, ends the run with the frames
// written so far.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <regex>
#include <string>

#include "framework/Forms.h"
#include "tools/vtplay/play.h"
#include "vt_d7/Vt_driver_netscape.h"

namespace {

std::wstring Widen(const std::string& Text) { return std::wstring(Text.begin(), Text.end()); }

// Posts WM_CLOSE to the window captioned "vtplay" once it is there.
void CALLBACK CloseVtplayWindow(HWND, UINT, UINT_PTR, DWORD) {
  if (HWND window = FindWindowW(nullptr, L"vtplay")) PostMessageW(window, WM_CLOSE, 0, 0);
}

// Plays the demo movie in Player, asking for far more frames than the run
// lasts, and closes the window after a second and a half. Returns what vtplay
// printed.
std::string PlayUntilClosed(vtplay::PlayerChoice Player, int& Status, double& Seconds) {
  vt::InitializeNetscapeDriverUnit(vt::TvtPluginLocation{Widen(NPSWF_STANDIN_DIR), HKEY_CURRENT_USER,
                                                         L"Software\\vt_d7 tests\\no such key", L""});
  vtplay::Options o;
  o.Movie = Widen(VTPLAY_DEMO_SWF);
  o.Player = Player;
  o.Frames = 100000;
  o.OutDir = (std::filesystem::temp_directory_path() / L"vtplay_window_test").wstring();
  std::FILE* out = std::tmpfile();
  if (!out) throw std::runtime_error("no temporary file");
  const UINT_PTR timer = SetTimer(nullptr, 0, 1500, CloseVtplayWindow);
  const DWORD start = GetTickCount();
  Status = vtplay::Play(o, out);
  Seconds = (GetTickCount() - start) / 1000.0;
  KillTimer(nullptr, timer);
  std::string printed;
  std::rewind(out);
  char buffer[4096];
  while (size_t n = std::fread(buffer, 1, sizeof buffer, out)) printed.append(buffer, n);
  std::fclose(out);
  std::filesystem::remove_all(o.OutDir);
  return printed;
}

TEST(VtplayWindow, ClosingTheWindowEndsTheRunWithTheFramesWritten) {
  int status = -1;
  double seconds = 0;
  const std::string printed = PlayUntilClosed(vtplay::PlayerChoice::Window, status, seconds);
  EXPECT_EQ(status, 0);
  EXPECT_LT(seconds, 20.0) << printed;
  std::smatch m;
  const std::regex summary("vtplay: ([0-9]+) frames of 320x240 written");
  ASSERT_TRUE(std::regex_search(printed, m, summary)) << printed;
  EXPECT_GE(std::stoi(m[1]), 1) << printed;
  EXPECT_LT(std::stoi(m[1]), 1000) << printed;
  EXPECT_NE(printed.find("fscommand demo started"), std::string::npos) << printed;
  EXPECT_TRUE(vcl::Application()->Terminated());
}

}  // namespace
