// The layered player: the layered style of its form, the exact layered
// update, MasterAlpha, the transparent background, the fallback without the
// update function, dragging the form, and form streams.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/Filer.h"
#include "framework/Forms.h"
#include "recording_driver.h"
#include "vt_d7/Vt_layer.h"

namespace {

using vt::TvtFlashLayer;
using vt_test::RecordingScope;

struct UpdateCall {
  HWND window;
  HDC destDC;
  POINT pos;
  SIZE size;
  HDC sourceDC;
  POINT origin;
  COLORREF key;
  BLENDFUNCTION blend;
  DWORD flags;
};

std::vector<UpdateCall>* calls = nullptr;

BOOL WINAPI RecordUpdate(HWND W, HDC D, POINT* P, SIZE* S, HDC Src, POINT* O, COLORREF K, BLENDFUNCTION* B,
                         DWORD F) {
  if (calls) calls->push_back({W, D, *P, *S, Src, *O, K, *B, F});
  return TRUE;
}

class TPanel : public vcl::TCustomControl {
 public:
  using vcl::TCustomControl::TCustomControl;
};

struct LayerOnForm : ::testing::Test {
  RecordingScope scope;
  std::vector<UpdateCall> updates;
  vt::TUpdateLayeredWindowFunc saved = nullptr;
  std::vector<std::wstring> reports;
  std::unique_ptr<vcl::TForm> form;
  TvtFlashLayer* layer = nullptr;

  void SetUp() override {
    vt::InitializeLayerUnit();
    saved = vt::UpdateLayeredWindowFunc;
    ASSERT_NE(saved, nullptr);
    vt::UpdateLayeredWindowFunc = RecordUpdate;
    calls = &updates;
    vcl::Application()->OnException = [this](vcl::TObject*, const vcl::Exception& E) {
      reports.push_back(E.Message());
    };
    form = std::make_unique<vcl::TForm>(nullptr);
    form->SetBounds(100, 100, 300, 200);
    layer = new TvtFlashLayer(form.get());
    layer->SetAlign(vcl::alNone);
    layer->SetParent(form.get());
    layer->SetBounds(10, 20, 64, 48);
  }
  void TearDown() override {
    form.reset();
    calls = nullptr;
    vt::UpdateLayeredWindowFunc = saved;
    vcl::Application()->OnException = nullptr;
  }
  bool Layered(HWND W) const { return (GetWindowLongA(W, GWL_EXSTYLE) & WS_EX_LAYERED) != 0; }
};

TEST_F(LayerOnForm, TheFormBecomesLayeredAndGetsTheWholeBufferWithTheExactArguments) {
  HWND window = form->Handle();
  EXPECT_TRUE(Layered(window));
  ASSERT_FALSE(updates.empty());
  const UpdateCall& c = updates.back();
  EXPECT_EQ(c.window, window);
  EXPECT_EQ(c.destDC, nullptr);
  EXPECT_EQ(c.pos.x, 110);
  EXPECT_EQ(c.pos.y, 120);
  EXPECT_EQ(c.size.cx, 64);
  EXPECT_EQ(c.size.cy, 48);
  EXPECT_EQ(c.sourceDC, layer->Driver()->FDC);
  EXPECT_EQ(c.origin.x, 0);
  EXPECT_EQ(c.origin.y, 0);
  EXPECT_EQ(c.key, 0u);
  EXPECT_EQ(c.blend.BlendOp, AC_SRC_OVER);
  EXPECT_EQ(c.blend.BlendFlags, 0);
  EXPECT_EQ(c.blend.SourceConstantAlpha, 255);
  EXPECT_EQ(c.blend.AlphaFormat, AC_SRC_ALPHA);
  EXPECT_EQ(c.flags, static_cast<DWORD>(ULW_ALPHA));

  // A new MasterAlpha shows with the next frame, not before.
  updates.clear();
  layer->SetMasterAlpha(128);
  EXPECT_TRUE(updates.empty());
  layer->DoPaint(layer->Driver(), vcl::Rect(1, 1, 2, 2));
  ASSERT_EQ(updates.size(), 1u);
  EXPECT_EQ(updates[0].blend.SourceConstantAlpha, 128);
  EXPECT_EQ(updates[0].size.cx, 64);  // the whole buffer, whatever changed
  EXPECT_TRUE(reports.empty());
}

TEST_F(LayerOnForm, MasterAlphaIsClampedAndTheBackgroundIsTransparent) {
  layer->SetMasterAlpha(300);
  EXPECT_EQ(layer->MasterAlpha(), 255);
  layer->SetMasterAlpha(-5);
  EXPECT_EQ(layer->MasterAlpha(), 0);

  vt::TvtFlashDriver* d = layer->Driver();
  EXPECT_EQ(layer->FBackgroundMask, 0u);
  EXPECT_EQ(d->FBackground, 0u);
  EXPECT_NE(d->FAlphaBits, nullptr);
  vt::FillLongword(d->FBits, d->FWidth * d->FHeight, 0xFFFFFFFF);
  layer->DoEraseBackground(d, vcl::Rect(0, 0, 64, 48));
  EXPECT_EQ(d->FBits[0], 0u);
  EXPECT_EQ(d->FBits[64 * 48 - 1], 0u);
  // A new layer fills its form, and its driver keeps the second buffer from
  // the start, before any colour change.
  TvtFlashLayer fresh(nullptr);
  EXPECT_EQ(fresh.Align(), vcl::alClient);
  EXPECT_TRUE(fresh.AllowDrag());
  EXPECT_EQ(fresh.MasterAlpha(), 255);
  EXPECT_EQ(fresh.Driver()->FBackground, 0u);
  EXPECT_NE(fresh.Driver()->FAlphaBits, nullptr);
}

TEST_F(LayerOnForm, OnlyAFormParentAtRunTimeBecomesLayered) {
  auto* panel = new TPanel(form.get());
  panel->SetParent(form.get());
  panel->SetBounds(0, 0, 100, 100);
  layer->SetParent(panel);
  HWND window = form->Handle();
  EXPECT_FALSE(Layered(window));
  EXPECT_FALSE(Layered(panel->Handle()));

  vcl::TForm designed(nullptr);
  auto* inDesigner = new TvtFlashLayer(&designed);
  inDesigner->SetParent(&designed);
  designed.SetDesigning(true);
  updates.clear();
  EXPECT_FALSE(Layered(designed.Handle()));
  inDesigner->DoPaint(inDesigner->Driver(), vcl::Rect(0, 0, 1, 1));
  EXPECT_TRUE(updates.empty());
}

TEST_F(LayerOnForm, WithoutTheUpdateFunctionTheLayerPaintsItsBufferAndSaysSoOnce) {
  vt::UpdateLayeredWindowFunc = nullptr;
  HWND window = form->Handle();
  EXPECT_FALSE(Layered(window));
  layer->DoPaint(layer->Driver(), vcl::Rect(0, 0, 1, 1));
  layer->DoPaint(layer->Driver(), vcl::Rect(0, 0, 1, 1));
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_NE(reports[0].find(L"UpdateLayeredWindow"), std::wstring::npos);

  vt::FillLongword(layer->Driver()->FBits, 64 * 48, 0xFF405060);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 64, 48);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  layer->PaintTo(dc, 0, 0);
  EXPECT_EQ(GetPixel(dc, 30, 30), RGB(0x40, 0x50, 0x60));
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

TEST_F(LayerOnForm, DraggingTheMovieMovesTheFormWhileTheMovieGetsThePress) {
  HWND window = layer->Handle();
  scope.log.clear();
  SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(25, 15));
  EXPECT_EQ(form->Left(), 120);
  EXPECT_EQ(form->Top(), 110);
  // The cursor stayed on the same point of the moved form.
  SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_EQ(form->Left(), 120);
  SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(50, 50));
  EXPECT_EQ(form->Left(), 120);
  EXPECT_EQ(scope.log, (vt_test::Log{"MouseDown left left 5,5", "MouseMove left 25,15", "MouseMove left 5,5",
                                     "MouseUp left - 5,5", "MouseMove - 50,50"}));

  layer->SetAllowDrag(false);
  SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(25, 15));
  SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(25, 15));
  EXPECT_EQ(form->Left(), 120);
}

TEST(Layer, PublishedPropertiesRoundTripAndDefaultsAreNotStored) {
  RecordingScope scope;
  vt::InitializeLayerUnit();
  const vt::TUpdateLayeredWindowFunc saved = vt::UpdateLayeredWindowFunc;
  vt::UpdateLayeredWindowFunc = RecordUpdate;
  vcl::TPropList list;
  TvtFlashLayer probe(nullptr);
  probe.GetPublishedProperties(list);
  std::vector<std::wstring> names;
  for (const vcl::TPropInfo& p : list) names.push_back(p.Name);
  EXPECT_EQ(names, (std::vector<std::wstring>{
                       L"Tag", L"Left", L"Top", L"Width", L"Height", L"DisableFlashCursor",
                       L"DisableFlashMenu",
                       L"Plugin", L"Movie", L"Skin", L"Pause", L"Volume", L"OnFSCommand", L"OnFlashCall",
                       L"TabStop", L"Anchors", L"DragCursor", L"DragMode", L"ParentColor", L"ParentShowHint",
                       L"PopupMenu", L"ShowHint", L"Visible", L"OnDragDrop", L"OnDragOver", L"OnEndDrag",
                       L"OnStartDrag", L"OnClick", L"AllowDrag", L"MasterAlpha"}));

  vcl::TMemoryStream binary;
  {
    vcl::TForm form(nullptr);
    form.SetName(L"LayerForm");
    auto* plain = new TvtFlashLayer(&form);
    plain->SetName(L"Plain");
    plain->SetParent(&form);
    auto* changed = new TvtFlashLayer(&form);
    changed->SetName(L"Changed");
    changed->SetParent(&form);
    changed->SetMasterAlpha(90);
    changed->SetAllowDrag(false);
    vcl::WriteComponentToStream(binary, &form);
  }
  binary.SetPosition(0);
  vcl::TMemoryStream text;
  vcl::ObjectBinaryToText(binary, text);
  const std::string form_text(static_cast<const char*>(text.Memory()),
                              static_cast<size_t>(text.Size()));
  const std::string plain = form_text.substr(0, form_text.find("object Changed"));
  EXPECT_EQ(plain.find("MasterAlpha"), std::string::npos) << form_text;
  EXPECT_EQ(plain.find("AllowDrag"), std::string::npos) << form_text;
  EXPECT_EQ(plain.find("Align"), std::string::npos) << form_text;

  binary.SetPosition(0);
  vcl::TForm form(nullptr);
  vcl::ReadComponentFromStream(binary, &form);
  auto* changed = dynamic_cast<TvtFlashLayer*>(form.FindComponent(L"Changed"));
  ASSERT_NE(changed, nullptr);
  EXPECT_EQ(changed->MasterAlpha(), 90);
  EXPECT_FALSE(changed->AllowDrag());
  vt::UpdateLayeredWindowFunc = saved;
}

}  // namespace
