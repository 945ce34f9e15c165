// Layout and parent relations: alignment, anchors, colour inheritance,
// re-parenting and destruction of parents and children.
#include <gtest/gtest.h>

#include <memory>

#include "controls_test_support.h"

using namespace vcl;
using vcl_test::TBlock;
using vcl_test::TPanel;

namespace {

class LayoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = std::make_unique<TForm>(nullptr);
    form->SetClientWidth(300);
    form->SetClientHeight(200);
  }
  template <class C = TBlock>
  C* Add(TRect Bounds, TAlign Align = alNone, TWinControl* Parent = nullptr) {
    auto* c = new C(form.get());
    c->SetBoundsRect(Bounds);
    c->SetAlign(Align);
    c->SetParent(Parent ? Parent : form.get());
    return c;
  }
  std::unique_ptr<TForm> form;
};

TEST_F(LayoutTest, AlignedChildrenFillTheClientAreaFromTheEdgesInwards) {
  TBlock* top = Add(Bounds(0, 0, 10, 20), alTop);
  TBlock* bottom = Add(Bounds(0, 0, 10, 30), alBottom);
  TBlock* left = Add(Bounds(0, 0, 40, 10), alLeft);
  TPanel* right = Add<TPanel>(Bounds(0, 0, 50, 10), alRight);
  TBlock* client = Add(Bounds(0, 0, 1, 1), alClient);
  TBlock* top2 = Add(Bounds(0, 100, 10, 5), alTop);  // below the first one
  EXPECT_EQ(top->BoundsRect(), Rect(0, 0, 300, 20));
  EXPECT_EQ(top2->BoundsRect(), Rect(0, 20, 300, 25));
  EXPECT_EQ(bottom->BoundsRect(), Rect(0, 170, 300, 200));
  EXPECT_EQ(left->BoundsRect(), Rect(0, 25, 40, 170));
  EXPECT_EQ(right->BoundsRect(), Rect(250, 25, 300, 170));
  EXPECT_EQ(client->BoundsRect(), Rect(40, 25, 250, 170));

  // A real resize of the window lays them out again, and the windowed one's
  // window follows.
  HWND h = form->Handle();
  RECT wr{};
  GetWindowRect(h, &wr);
  SetWindowPos(h, nullptr, 0, 0, wr.right - wr.left + 100, wr.bottom - wr.top + 50, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(form->ClientWidth(), 400);
  EXPECT_EQ(form->Width(), wr.right - wr.left + 100);
  EXPECT_EQ(client->BoundsRect(), Rect(40, 25, 350, 220));
  EXPECT_EQ(bottom->BoundsRect(), Rect(0, 220, 400, 250));
  RECT pr{};
  GetWindowRect(right->Handle(), &pr);
  MapWindowPoints(HWND_DESKTOP, h, reinterpret_cast<POINT*>(&pr), 2);
  EXPECT_EQ(pr.left, 350);
  EXPECT_EQ(pr.top, 25);
  EXPECT_EQ(pr.bottom, 220);

  // Hidden or no longer aligned controls give their space back.
  top->SetVisible(false);
  EXPECT_EQ(top2->Top(), 0);
  top2->SetAlign(alNone);
  EXPECT_EQ(left->Top(), 0);
  delete bottom;
  EXPECT_EQ(client->Height(), 250);
}

TEST_F(LayoutTest, AnchorsKeepTheDistanceToTheEdgesTheyAreAnchoredTo) {
  TBlock* corner = Add(Bounds(200, 150, 50, 20));
  corner->SetAnchors({akRight, akBottom});
  TBlock* stretch = Add(Bounds(10, 10, 100, 20));
  stretch->SetAnchors({akLeft, akTop, akRight});
  TBlock* fixed = Add(Bounds(10, 40, 30, 30));

  form->SetClientWidth(400);
  form->SetClientHeight(260);
  EXPECT_EQ(corner->BoundsRect(), Bounds(300, 210, 50, 20));
  EXPECT_EQ(stretch->BoundsRect(), Bounds(10, 10, 200, 20));
  EXPECT_EQ(fixed->BoundsRect(), Bounds(10, 40, 30, 30));

  // Shrinking past zero width and growing back ends where it began.
  form->SetClientWidth(50);
  EXPECT_EQ(stretch->Width(), 0);
  form->SetClientWidth(300);
  form->SetClientHeight(200);
  EXPECT_EQ(corner->BoundsRect(), Bounds(200, 150, 50, 20));
  EXPECT_EQ(stretch->BoundsRect(), Bounds(10, 10, 100, 20));

  // A control moved by hand is anchored from its new place.
  corner->SetLeft(100);
  form->SetClientWidth(310);
  EXPECT_EQ(corner->Left(), 110);
}

TEST_F(LayoutTest, ChildrenFollowTheParentColourUntilGivenTheirOwn) {
  form->SetColor(clYellow);
  TPanel* panel = Add<TPanel>(Bounds(0, 0, 100, 100));
  TBlock* inner = Add(Bounds(0, 0, 10, 10), alNone, panel);
  TBlock* own = Add(Bounds(20, 0, 10, 10), alNone, panel);
  own->SetColor(clRed);
  EXPECT_EQ(panel->Color(), clYellow);
  EXPECT_EQ(inner->Color(), clYellow);
  EXPECT_TRUE(inner->ParentColor());
  EXPECT_FALSE(own->ParentColor());

  const int innerBefore = inner->colorChanges;
  const int ownBefore = own->colorChanges;
  const int panelBefore = panel->colorChanges;
  form->SetColor(clAqua);
  EXPECT_EQ(inner->Color(), clAqua);  // through the windowed panel
  EXPECT_EQ(own->Color(), clRed);
  EXPECT_EQ(inner->colorChanges, innerBefore + 1);
  EXPECT_EQ(panel->colorChanges, panelBefore + 1);
  EXPECT_EQ(own->colorChanges, ownBefore);
  form->SetColor(clAqua);  // no change, no notification
  EXPECT_EQ(inner->colorChanges, innerBefore + 1);

  own->SetParentColor(true);
  EXPECT_EQ(own->Color(), clAqua);
  EXPECT_EQ(own->colorChanges, ownBefore + 1);

  // A control taken to another parent takes that parent's colour.
  TForm other(nullptr);
  other.SetColor(clGreen);
  inner->SetParent(&other);
  EXPECT_EQ(inner->Color(), clGreen);
  EXPECT_EQ(TBlock(nullptr).Color(), clWindow);
}

TEST_F(LayoutTest, ParentsAndChildrenComeApartCleanly) {
  TPanel* panel = Add<TPanel>(Bounds(10, 10, 100, 100));
  TBlock* inner = Add(Bounds(0, 0, 10, 10), alNone, panel);
  TPanel* innerPanel = Add<TPanel>(Bounds(20, 20, 10, 10), alNone, panel);
  EXPECT_THROW(panel->SetParent(panel), EInvalidOperation);
  EXPECT_THROW(panel->SetParent(innerPanel), EInvalidOperation);

  HWND innerWindow = innerPanel->Handle();
  EXPECT_EQ(GetAncestor(innerWindow, GA_PARENT), panel->Handle());
  EXPECT_EQ(GetAncestor(panel->Handle(), GA_PARENT), form->Handle());
  // The window moves with the control.
  innerPanel->SetBounds(30, 25, 12, 14);
  RECT r{};
  GetWindowRect(innerWindow, &r);
  MapWindowPoints(HWND_DESKTOP, panel->Handle(), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, 30);
  EXPECT_EQ(r.top, 25);
  EXPECT_EQ(r.right - r.left, 12);

  // Moved to the form: a window under the new parent.
  innerPanel->SetParent(form.get());
  EXPECT_EQ(GetAncestor(innerPanel->Handle(), GA_PARENT), form->Handle());
  EXPECT_EQ(panel->ControlCount(), 1);

  delete panel;  // its child loses its parent but lives on (owned by the form)
  EXPECT_EQ(inner->Parent(), nullptr);
  EXPECT_EQ(form->ControlCount(), 1);
  inner->SetParent(form.get());
  EXPECT_EQ(form->ControlCount(), 2);

  // A windowed control whose parent control is destroyed loses its window.
  TPanel* host = Add<TPanel>(Bounds(0, 0, 50, 50));
  TPanel* child = Add<TPanel>(Bounds(0, 0, 5, 5), alNone, host);
  HWND childWindow = child->Handle();
  delete host;
  EXPECT_FALSE(IsWindow(childWindow));
  EXPECT_FALSE(child->HandleAllocated());
  EXPECT_EQ(child->Parent(), nullptr);
}

TEST_F(LayoutTest, AControlWithoutAParentHasNoWindowUnlessHostedInAForeignOne) {
  TPanel orphan(nullptr);
  EXPECT_THROW(orphan.Handle(), EInvalidOperation);
  EXPECT_FALSE(orphan.HandleAllocated());
  orphan.SetVisible(false);
  orphan.SetVisible(true);  // nothing to show on yet: no window, no error
  EXPECT_FALSE(orphan.HandleAllocated());

  HWND host = form->Handle();
  orphan.SetBounds(5, 6, 20, 10);
  orphan.SetParentWindow(host);
  EXPECT_EQ(GetAncestor(orphan.Handle(), GA_PARENT), host);
  EXPECT_EQ(orphan.BoundsRect(), Bounds(5, 6, 20, 10));
  orphan.SetParentWindow(nullptr);
  EXPECT_FALSE(orphan.HandleAllocated());
}

}  // namespace
