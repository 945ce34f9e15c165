// vtplay's movie names: a name of a local file becomes that file's full path,
// looked for in the folders given in turn, so that a renderer which does not
// search the current folder still finds it; URLs, stored movies and names no
// file has are passed on as they are.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tools/vtplay/movie_source.h"
#include "vt_d7/flash_store.h"

namespace {

namespace fs = std::filesystem;

class VtplayMoviePath : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::remove_all(root_);
    fs::create_directories(root_ / L"forms" / L"folder.swf");
    for (const wchar_t* name : {L"clip.swf", L"here.swf", L"stored.swf", L"forms\\clip.swf"})
      std::ofstream(root_ / name) << "FWS";
    fs::current_path(root_);
    stored_.Flashs()->Add()->SetFlashStore(L"stored.swf");
  }
  void TearDown() override {
    fs::current_path(before_);
    fs::remove_all(root_);
  }

  const fs::path before_ = fs::current_path();
  const fs::path root_ = fs::temp_directory_path() / L"vtplay_movie_path";
  vt::TvtFlashList stored_{nullptr};
};

TEST_F(VtplayMoviePath, FilesBecomeFullPathsAndEverythingElseStays) {
  const std::wstring root = root_.wstring(), forms = (root_ / L"forms").wstring();
  const struct {
    std::wstring name;
    std::vector<std::wstring> folders;
    std::wstring expected;
  } cases[] = {
      {L"here.swf", {L""}, root + L"\\here.swf"},
      {L"here.swf?x=1&y=two", {L""}, root + L"\\here.swf?x=1&y=two"},
      {L"forms/../here.swf", {L""}, root + L"\\here.swf"},
      {L"\\\\?\\" + root + L"\\here.swf?x=1", {L""}, L"\\\\?\\" + root + L"\\here.swf?x=1"},
      {root + L"\\here.swf", {forms}, root + L"\\here.swf"},
      // The first folder holding the file wins; a folder without it is passed over.
      {L"clip.swf", {forms, L""}, forms + L"\\clip.swf"},
      {L"clip.swf", {L"", forms}, root + L"\\clip.swf"},
      {L"here.swf", {forms, L""}, root + L"\\here.swf"},
      {L"missing.swf", {forms, L""}, L"missing.swf"},
      {L"forms\\folder.swf", {L""}, L"forms\\folder.swf"},
      {L"stored.swf", {L""}, L"stored.swf"},
      {L"http://127.0.0.1/here.swf", {L""}, L"http://127.0.0.1/here.swf"},
      {L"file:///" + root + L"\\here.swf", {L""}, L"file:///" + root + L"\\here.swf"},
      {L"", {L""}, L""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(vtplay::FullMoviePath(c.name, c.folders), c.expected) << fs::path(c.name).string();
}

}  // namespace
