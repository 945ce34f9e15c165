// The players in form streams: published properties in their stored order,
// a form with players written and read back, and what Loaded does.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/Filer.h"
#include "framework/Forms.h"
#include "recording_driver.h"
#include "vt_d7/Vt_flashplayer.h"

namespace {

using vt::TvtFlashPlayer;
using vt::TvtFlashPlayerComp;
using vt_test::Log;
using vt_test::RecordingScope;

std::vector<std::wstring> PropertyNames(vcl::TPersistent& Instance) {
  vcl::TPropList list;
  Instance.GetPublishedProperties(list);
  std::vector<std::wstring> names;
  for (const vcl::TPropInfo& p : list) names.push_back(p.Name);
  return names;
}

TEST(PlayerStreaming, PublishedPropertiesComeInTheirStoredOrder) {
  vt::InitializeFlashPlayerUnit();
  TvtFlashPlayer player(nullptr);
  EXPECT_EQ(PropertyNames(player),
            (std::vector<std::wstring>{
                L"Tag", L"Left", L"Top", L"Width", L"Height", L"Align", L"Anchors", L"DragCursor", L"DragMode",
                L"Color", L"ParentColor", L"ParentShowHint", L"PopupMenu", L"ShowHint", L"Visible", L"OnDragDrop",
                L"OnDragOver", L"OnEndDrag", L"OnStartDrag", L"OnClick", L"DisableFlashCursor", L"DisableFlashMenu",
                L"Plugin", L"Movie", L"Skin", L"Pause", L"Volume", L"OnFSCommand", L"OnFlashCall", L"Transparent"}));

  TvtFlashPlayerComp comp(nullptr);
  EXPECT_EQ(PropertyNames(comp),
            (std::vector<std::wstring>{L"Tag", L"Plugin", L"Movie", L"Skin", L"Pause", L"Volume", L"Width", L"Height",
                                       L"OnPaint", L"OnFSCommand", L"OnFlashCall"}));
}

// The form the tests write and read: it publishes the handlers the players'
// events are bound to, and records what they receive.
class TPlayerForm : public vcl::TForm {
 public:
  explicit TPlayerForm(vcl::TComponent* AOwner) : vcl::TForm(AOwner) {
    PublishMethod(L"PlayerFSCommand",
                  vt::TvtFSCommandEvent([this](vcl::TObject*, const std::wstring& c, const std::wstring& a) {
                    calls.push_back(L"fscommand " + c + L" " + a);
                  }));
    PublishMethod(L"PlayerFlashCall", vt::TvtFlashCallEvent([this](vcl::TObject*, const std::wstring& r) {
                    calls.push_back(L"flashcall " + r);
                  }));
    PublishMethod(L"PlayerPaint", vt::TvtPaintEvent([this](vcl::TObject*, const vcl::TRect&) {
                    calls.push_back(L"paint");
                  }));
  }
  std::wstring ClassName() const override { return L"TPlayerForm"; }
  std::vector<std::wstring> calls;
};

// Stored after the players, so its property is read while they are still
// loading: it takes a copy of the driver log at that moment.
class TLogProbe : public vcl::TComponent {
 public:
  using vcl::TComponent::TComponent;
  static const Log* watched;
  static Log seen;
  int32_t Probe() const { return 1; }
  void SetProbe(int32_t) {
    if (watched) seen = *watched;
  }
  void GetPublishedProperties(vcl::TPropList& List) override {
    vcl::TComponent::GetPublishedProperties(List);
    vcl::TPublisher<TLogProbe>(List).Integer(L"Probe", &TLogProbe::Probe, &TLogProbe::SetProbe);
  }
  std::wstring ClassName() const override { return L"TLogProbe"; }
};
const Log* TLogProbe::watched = nullptr;
Log TLogProbe::seen;

class PlayerFormStream : public ::testing::Test {
 protected:
  void SetUp() override {
    vt::InitializeFlashPlayerUnit();
    vcl::RegisterComponentClass<TLogProbe>(L"TLogProbe");
  }
  void TearDown() override { vcl::UnRegisterComponentClass(L"TLogProbe"); }

  // A form with a graphic player, an off-screen player and the probe.
  void WriteForm(vcl::TMemoryStream& Stream) {
    TPlayerForm form(nullptr);
    form.SetName(L"PlayerForm");
    auto* player = new TvtFlashPlayer(&form);
    player->SetName(L"Player1");
    player->SetParent(&form);
    player->SetBounds(10, 20, 64, 48);
    player->SetTransparent(false);
    player->SetColor(vcl::clRed);
    player->SetDisableFlashMenu(false);
    player->SetSkin("Arctic");
    player->SetVolume(40);
    player->SetMovie(L"intro.swf");
    vcl::BindMethod(player->OnFSCommand, &form, L"PlayerFSCommand");

    auto* comp = new TvtFlashPlayerComp(&form);
    comp->SetName(L"Offscreen");
    comp->SetWidth(32);
    comp->SetHeight(24);
    comp->SetMovie(L"clip.swf");
    vcl::BindMethod(comp->OnPaint, &form, L"PlayerPaint");
    vcl::BindMethod(comp->OnFlashCall, &form, L"PlayerFlashCall");

    auto* probe = new TLogProbe(&form);
    probe->SetName(L"Probe1");
    vcl::WriteComponentToStream(Stream, &form);
    Stream.SetPosition(0);
  }
};

TEST_F(PlayerFormStream, PlayersComeBackWithTheirSettingsAndLoadTheirMoviesAtLoaded) {
  vcl::TMemoryStream stream;
  WriteForm(stream);

  RecordingScope scope;
  TLogProbe::watched = &scope.log;
  TPlayerForm form(nullptr);
  vcl::ReadComponentFromStream(stream, &form);
  TLogProbe::watched = nullptr;

  auto* player = dynamic_cast<TvtFlashPlayer*>(form.FindComponent(L"Player1"));
  auto* comp = dynamic_cast<TvtFlashPlayerComp*>(form.FindComponent(L"Offscreen"));
  ASSERT_NE(player, nullptr);
  ASSERT_NE(comp, nullptr);
  EXPECT_EQ(player->Parent(), &form);
  EXPECT_EQ(player->BoundsRect(), vcl::Bounds(10, 20, 64, 48));
  EXPECT_FALSE(player->Transparent());
  EXPECT_EQ(player->Color(), vcl::clRed);
  EXPECT_FALSE(player->GetDisableFlashMenu());
  EXPECT_EQ(player->GetSkin(), "Arctic");
  EXPECT_EQ(player->GetVolume(), 40);
  EXPECT_EQ(player->Movie(), L"intro.swf");
  EXPECT_EQ(comp->Width(), 32);
  EXPECT_EQ(comp->Height(), 24);
  EXPECT_EQ(comp->Movie(), L"clip.swf");

  // While the form was being read the movies were only remembered.
  for (const std::string& entry : TLogProbe::seen)
    EXPECT_TRUE(entry.find("intro.swf") == std::string::npos && entry.find("clip.swf") == std::string::npos)
        << entry;
  // Loaded loaded each exactly once.
  EXPECT_EQ(std::count(scope.log.begin(), scope.log.end(), "LoadMovie 'intro.swf'"), 1);
  EXPECT_EQ(std::count(scope.log.begin(), scope.log.end(), "LoadMovie 'clip.swf'"), 1);

  // Loaded handed the stored handlers to the drivers, which call the form.
  ASSERT_TRUE(player->Driver()->FOnFSCommand);
  player->Driver()->FOnFSCommand(player->Driver(), L"quit", L"now");
  ASSERT_TRUE(comp->Driver()->FOnFlashCall);
  comp->Driver()->FOnFlashCall(comp->Driver(), L"<invoke/>");
  // The off-screen player has no FSCommand handler: nothing is called.
  comp->Driver()->FOnFSCommand(comp->Driver(), L"quit", L"now");
  EXPECT_EQ(form.calls, (std::vector<std::wstring>{L"fscommand quit now", L"flashcall <invoke/>"}));

  // The graphic player's Loaded erased the whole buffer in its colour.
  const uint32_t red = vt::ColorToPixel(vcl::clRed);
  EXPECT_EQ(player->Driver()->FBits[0], red);
  EXPECT_EQ(player->Driver()->FBits[64 * 48 - 1], red);
}

TEST_F(PlayerFormStream, DefaultsAreNotStoredAndMovieSettingsAlwaysAre) {
  vcl::TMemoryStream binary;
  {
    TPlayerForm form(nullptr);
    form.SetName(L"PlayerForm");
    auto* comp = new TvtFlashPlayerComp(&form);
    comp->SetName(L"Offscreen");
    vcl::WriteComponentToStream(binary, &form);
  }
  binary.SetPosition(0);
  vcl::TMemoryStream text;
  vcl::ObjectBinaryToText(binary, text);
  std::string form(static_cast<const char*>(text.Memory()), static_cast<size_t>(text.Size()));
  // Plugin at its default and the empty Movie and Skin are left out; Pause,
  // Volume, Width and Height have no default.
  EXPECT_EQ(form.find("Plugin"), std::string::npos) << form;
  EXPECT_EQ(form.find("Movie"), std::string::npos) << form;
  EXPECT_NE(form.find("Pause = False"), std::string::npos) << form;
  EXPECT_NE(form.find("Volume = "), std::string::npos) << form;
  EXPECT_NE(form.find("Width = 100"), std::string::npos) << form;
  EXPECT_NE(form.find("Height = 100"), std::string::npos) << form;
}

}  // namespace
