// Design time: what the unit registers, the movie-file and skin editors, and
// the palette bitmaps.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "framework/Dialogs.h"
#include "framework/Filer.h"
#include "framework/Forms.h"
#include "vt_d7/Vt_flashreg.h"
#include "vt_d7/Vt_layer.h"
#include "vt_d7/flash_store.h"

namespace {

using namespace vt;

struct TestDesigner : vcl::IDesigner {
  int modified = 0;
  void Modified() override { ++modified; }
  vcl::TComponent* Root() const override { return nullptr; }
};

// Registers the unit once per test and answers its dialogs and message boxes.
class FlashReg : public ::testing::Test {
 protected:
  void SetUp() override {
    vcl::ClearDesignRegistrations();
    Register();
    oldDialog_ = vcl::SetOpenDialogHandler([this](vcl::TOpenDialog& D) {
      dialogs.push_back(&D);
      filters.push_back(D.Filter());
      ownedByApplication.push_back(D.Owner() == vcl::Application());
      if (answer.empty()) return false;
      D.SetFileName(answer);
      return true;
    });
    oldMessage_ = vcl::SetShowMessageHandler([this](const std::wstring& M) { messages.push_back(M); });
  }
  void TearDown() override {
    vcl::SetOpenDialogHandler(oldDialog_);
    vcl::SetShowMessageHandler(oldMessage_);
    vcl::ClearDesignRegistrations();
  }
  std::wstring WriteFile(const std::wstring& Name, size_t Size) {
    const std::filesystem::path path = std::filesystem::temp_directory_path() / L"vt_flashreg_test" / Name;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << std::string(Size, 'F');
    return path.wstring();
  }
  std::unique_ptr<vcl::TPropertyEditor> Editor(vcl::TPersistent& Instance, const std::wstring& Property) {
    return vcl::GetPropertyEditor(designer, {&Instance}, Property);
  }

  TestDesigner designer;
  std::wstring answer;  // empty: the user cancels
  std::vector<vcl::TOpenDialog*> dialogs;
  std::vector<std::wstring> filters;
  std::vector<bool> ownedByApplication;
  std::vector<std::wstring> messages;

 private:
  vcl::TOpenDialogHandler oldDialog_;
  vcl::TShowMessageHandler oldMessage_;
};

TEST_F(FlashReg, RegistersThePaletteThenTheStreamEditorThenTheSkinEditors) {
  EXPECT_EQ(vcl::RegistrationLog(),
            (std::vector<std::wstring>{
                L"RegisterComponents Vistrel: TvtFlashList, TvtFlashPlayer, TvtFlashPlayerWnd, "
                L"TvtFlashPlayerComp, TvtFlashLayer",
                L"RegisterPropertyEditor WideString TvtFlashStream.FlashStore: TvtFlashStreamProperty",
                L"RegisterPropertyEditor String TvtFlashPlayer.Skin: TvtSkinProperty",
                L"RegisterPropertyEditor String TvtFlashPlayerWnd.Skin: TvtSkinProperty",
                L"RegisterPropertyEditor String TvtFlashPlayerComp.Skin: TvtSkinProperty",
            }));
  // Each palette entry makes a component of the class it names, which the
  // form reader knows as well.
  ASSERT_EQ(vcl::PalettePages().size(), 1u);
  for (const vcl::TPersistentClass& c : vcl::PalettePages()[0].Classes) {
    vcl::TForm form(nullptr);
    vcl::TComponent* made = c.Create(&form);
    EXPECT_EQ(made->ClassName(), c.Name);
    EXPECT_TRUE(vcl::GetComponentClass(c.Name)) << vcl::WideToUtf8(c.Name);
  }
}

class TLayerDescendant : public TvtFlashPlayerWnd {
 public:
  using TvtFlashPlayerWnd::TvtFlashPlayerWnd;
};

TEST_F(FlashReg, SkinEditorAppliesToThreePlayersAndTheirDescendantsButNotTheLayer) {
  vcl::TForm form(nullptr);
  TvtFlashPlayer graphic(&form);
  TvtFlashPlayerWnd window(&form);
  TvtFlashPlayerComp offscreen(&form);
  TLayerDescendant descendant(&form);
  TvtFlashLayer layer(&form);
  struct Case {
    vcl::TPersistent* player;
    const wchar_t* editor;
  } cases[] = {{&graphic, L"TvtSkinProperty"},
               {&window, L"TvtSkinProperty"},
               {&offscreen, L"TvtSkinProperty"},
               {&descendant, L"TvtSkinProperty"},
               {&layer, L"TStringProperty"}};
  for (const Case& c : cases) {
    vcl::TPropList props;
    c.player->GetPublishedProperties(props);
    EXPECT_EQ(vcl::GetEditorClass(*c.player, *props.Find(L"Skin")).Name, c.editor)
        << vcl::WideToUtf8(dynamic_cast<vcl::TObject*>(c.player)->ClassName());
  }
  auto skin = Editor(window, L"Skin");
  EXPECT_EQ(vcl::AttributesText(skin->GetAttributes()), L"paValueList,paMultiSelect,paRevertable");
  std::vector<std::wstring> values;
  skin->GetValues([&](const std::wstring& V) { values.push_back(V); });
  EXPECT_EQ(values, (std::vector<std::wstring>{L"ClearOverAll", L"SteelOverAll", L"MojaveOverAll", L"ArcticOverAll"}));
  EXPECT_EQ(vcl::AttributesText(Editor(layer, L"Skin")->GetAttributes()), L"paMultiSelect,paRevertable");
}

TEST_F(FlashReg, SkinEditorTakesFreeTextForEverySelectedPlayer) {
  vcl::TForm form(nullptr);
  TvtFlashPlayerComp a(&form), b(&form);
  auto skin = vcl::GetPropertyEditor(designer, {&a, &b}, L"Skin");
  ASSERT_TRUE(skin);
  EXPECT_EQ(skin->GetValue(), L"ClearOverAll");
  skin->SetValue(L"MyOwnSkin");
  EXPECT_EQ(a.GetSkin(), "MyOwnSkin");
  EXPECT_EQ(b.GetSkin(), "MyOwnSkin");
  EXPECT_EQ(designer.modified, 1);
  EXPECT_TRUE(messages.empty());
}

// A player whose Skin fails as the test says: a framework error or another.
class TFailingSkinPlayer : public TvtFlashPlayerComp {
 public:
  using TvtFlashPlayerComp::TvtFlashPlayerComp;
  bool frameworkError = true;
  [[noreturn]] void Fail() const {
    if (frameworkError) throw vcl::EConvertError(L"the skin cannot be had");
    throw std::runtime_error("not the framework's");
  }
  void GetPublishedProperties(vcl::TPropList& List) override {
    TvtFlashPlayerComp::GetPublishedProperties(List);
    vcl::TPublisher<TFailingSkinPlayer>(List).String(
        L"Skin", [](TFailingSkinPlayer& P) -> std::string { P.Fail(); },
        [](TFailingSkinPlayer& P, const std::string&) { P.Fail(); });
  }
};

TEST_F(FlashReg, SkinEditorShowsFrameworkErrorsAndPassesOthersOn) {
  vcl::TForm form(nullptr);
  TFailingSkinPlayer player(&form);
  auto skin = Editor(player, L"Skin");
  ASSERT_TRUE(skin);
  EXPECT_EQ(skin->GetValue(), L"");
  skin->SetValue(L"SteelOverAll");
  std::vector<std::wstring> values;
  skin->GetValues([&](const std::wstring& V) {
    values.push_back(V);
    throw vcl::EListError(L"the list is full");
  });
  EXPECT_EQ(values.size(), 1u);
  EXPECT_EQ(messages, (std::vector<std::wstring>{L"the skin cannot be had", L"the skin cannot be had",
                                                 L"the list is full"}));
  EXPECT_EQ(designer.modified, 0);

  player.frameworkError = false;
  EXPECT_THROW(skin->GetValue(), std::runtime_error);
  EXPECT_THROW(skin->SetValue(L"x"), std::runtime_error);
  EXPECT_EQ(messages.size(), 3u);
}

TEST_F(FlashReg, MovieFileEditorLoadsTheChosenFileIntoTheItem) {
  TvtFlashList list(nullptr);
  TvtFlashStream* item = list.Flashs()->Add();
  auto editor = Editor(*item, L"FlashStore");
  ASSERT_TRUE(editor);
  EXPECT_EQ(vcl::AttributesText(editor->GetAttributes()), L"paDialog");
  EXPECT_EQ(editor->GetValue(), L"(empty)");
  const int applicationComponents = vcl::Application()->ComponentCount();

  // A 5,000-byte intro.swf names the item, and its FlashList entry.
  answer = WriteFile(L"intro.swf", 5000);
  editor->Edit();
  EXPECT_EQ(item->FStream->Size(), 5000);
  EXPECT_EQ(item->GetFlashStore(), L"intro.swf");
  EXPECT_EQ(editor->GetValue(), L"intro.swf");
  EXPECT_GE(FlashList()->IndexOf(L"intro.swf"), 0);
  EXPECT_EQ(filters, std::vector<std::wstring>{kFlashFileFilter});
  EXPECT_EQ(ownedByApplication, std::vector<bool>{true});
  EXPECT_EQ(designer.modified, 1);

  // Cancelling changes nothing but still marks the form.
  answer.clear();
  editor->Edit();
  EXPECT_EQ(item->FStream->Size(), 5000);
  EXPECT_EQ(editor->GetValue(), L"intro.swf");
  EXPECT_EQ(designer.modified, 2);

  // An empty file replaces the bytes by nothing; the item shows "(empty)".
  answer = WriteFile(L"nothing.swf", 0);
  editor->Edit();
  EXPECT_EQ(item->FStream->Size(), 0);
  EXPECT_EQ(editor->GetValue(), L"(empty)");
  EXPECT_EQ(designer.modified, 3);

  // Typed text is ignored.
  editor->SetValue(L"typed.swf");
  EXPECT_EQ(editor->GetValue(), L"(empty)");
  // Every dialog was freed.
  EXPECT_EQ(vcl::Application()->ComponentCount(), applicationComponents);
  EXPECT_EQ(dialogs.size(), 3u);
}

TEST_F(FlashReg, MovieFileEditorRaisesForAFileItCannotOpenAndKeepsTheItem) {
  TvtFlashList list(nullptr);
  TvtFlashStream* item = list.Flashs()->Add();
  auto editor = Editor(*item, L"FlashStore");
  answer = WriteFile(L"kept.swf", 10);
  editor->Edit();
  const int applicationComponents = vcl::Application()->ComponentCount();

  answer = (std::filesystem::temp_directory_path() / L"vt_flashreg_test" / L"missing.swf").wstring();
  EXPECT_THROW(editor->Edit(), vcl::EFOpenError);
  EXPECT_EQ(item->FStream->Size(), 10);
  EXPECT_EQ(editor->GetValue(), L"kept.swf");
  EXPECT_EQ(designer.modified, 1);  // only the first edit
  EXPECT_EQ(vcl::Application()->ComponentCount(), applicationComponents);
}

TEST(PaletteBitmaps, AreTwentyFourPixelsSquareAtTheirColourDepths) {
  struct Case {
    const wchar_t* name;
    int bits;
  } cases[] = {{L"TVTFLASHLIST", 4},       {L"TVTFLASHPLAYER", 4}, {L"TVTFLASHPLAYERWND", 8},
               {L"TVTFLASHPLAYERCOMP", 8}, {L"TVTFLASHLAYER", 8},  {L"TVTLAYERWINDOW", 8}};
  for (const Case& c : cases) {
    HRSRC found = FindResourceW(PaletteModule(), c.name, MAKEINTRESOURCEW(2) /* RT_BITMAP */);
    ASSERT_TRUE(found) << vcl::WideToUtf8(c.name);
    const auto* header = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(PaletteModule(), found)));
    ASSERT_GE(SizeofResource(PaletteModule(), found), sizeof(BITMAPINFOHEADER));
    EXPECT_EQ(header->biWidth, 24);
    EXPECT_EQ(header->biHeight, 24);
    EXPECT_EQ(header->biBitCount, c.bits);
    EXPECT_EQ(header->biClrUsed, 1u << c.bits);
    HANDLE image = LoadImageW(PaletteModule(), c.name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    EXPECT_TRUE(image);
    DeleteObject(image);
  }
}

}  // namespace
