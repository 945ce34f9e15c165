// vtplay's form reading: a form in text or binary form is read into a plain
// TForm whatever its root class is called, with its players and movie lists,
// leaving out the application's event handlers; malformed forms raise.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "framework/Filer.h"
#include "framework/Forms.h"
#include "tools/vtplay/form_file.h"
#include "vt_d7/Vt_flashplayer.h"

namespace {

constexpr const char* kForm = R"(object AppForm: TSomeApplicationForm
  Left = 0
  Top = 0
  Width = 300
  Height = 200
  Caption = 'Player'
  object Movies: TvtFlashList
    Flashs = <
      item
        FlashStore = 'a.swf'
        FlashStream = {040500000061002e0073007700660003000000010203}
      end>
  end
  object Player: TvtFlashPlayerComp
    Movie = 'a.swf'
    Skin = 'ClearOverAll'
    Pause = False
    Volume = 50
    Width = 64
    Height = 48
    OnFSCommand = PlayerFSCommand
    OnFlashCall = PlayerFlashCall
  end
end
)";

void Fill(vcl::TMemoryStream& Stream, const std::string& Text) {
  Stream.WriteBuffer(Text.data(), static_cast<int64_t>(Text.size()));
  Stream.SetPosition(0);
}

class VtplayFormFile : public ::testing::Test {
 protected:
  void SetUp() override { vt::InitializeFlashPlayerUnit(); }

  static void ExpectLoaded(vcl::TForm& Form) {
    EXPECT_EQ(Form.Name(), L"AppForm");
    EXPECT_EQ(Form.Caption(), L"Player");
    ASSERT_EQ(Form.ComponentCount(), 2);
    auto* list = dynamic_cast<vt::TvtFlashList*>(Form.Components(0));
    ASSERT_TRUE(list);
    EXPECT_TRUE(list->FindFlash(L"A.SWF")) << "the stored movie is there by its name";
    auto* player = dynamic_cast<vt::TvtFlashPlayerComp*>(Form.Components(1));
    ASSERT_TRUE(player);
    EXPECT_EQ(player->Movie(), L"a.swf");
    EXPECT_EQ(player->Width(), 64);
    EXPECT_EQ(player->Height(), 48);
    EXPECT_FALSE(player->OnFSCommand) << "the application's handlers are not vtplay's";
    EXPECT_FALSE(player->OnFlashCall);
  }
};

TEST_F(VtplayFormFile, ReadsTheTextFormWhateverItsRootClass) {
  vcl::TMemoryStream text;
  Fill(text, kForm);
  vcl::TForm form(nullptr);
  vtplay::LoadForm(text, form);
  ExpectLoaded(form);
}

TEST_F(VtplayFormFile, ReadsTheBinaryForm) {
  vcl::TMemoryStream text, binary;
  Fill(text, kForm);
  vcl::ObjectTextToBinary(text, binary);
  binary.SetPosition(0);
  char signature[4];
  binary.ReadBuffer(signature, 4);
  ASSERT_EQ(std::memcmp(signature, "TPF0", 4), 0);
  binary.SetPosition(0);
  vcl::TForm form(nullptr);
  vtplay::LoadForm(binary, form);
  ExpectLoaded(form);
}

TEST_F(VtplayFormFile, MalformedFormsRaiseAndLeaveTheFormEmpty) {
  vcl::TForm form(nullptr);
  vcl::TMemoryStream text;
  Fill(text, "object AppForm: TForm\n  Width = \n");
  EXPECT_THROW(vtplay::LoadForm(text, form), vcl::EParserError);
  vcl::TMemoryStream binary;
  Fill(binary, std::string("TPF0\x05TForm\x07", 12));
  EXPECT_THROW(vtplay::LoadForm(binary, form), vcl::EReadError);
  vcl::TMemoryStream unknown;
  Fill(unknown, "object AppForm: TForm\n  object X: TNoSuchClass\n  end\nend\n");
  EXPECT_THROW(vtplay::LoadForm(unknown, form), vcl::EReadError);
  EXPECT_EQ(form.ComponentCount(), 0);
  EXPECT_THROW(vtplay::LoadFormFile(L"no such folder\\no such form.dfm", form), vcl::EFOpenError);
}

}  // namespace
