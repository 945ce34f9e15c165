// The container releasing the control (or unadvising) from inside the
// control's own calls: events, InvalidateRect and frame ticks.
#include <gtest/gtest.h>

#include "tests/win/flashctl/test_container.h"
#include "tests/win/flashctl/test_movies.h"

namespace flashctl_test {
namespace {

constexpr DISPID kFSCommand = 0x96, kFlashCall = 0xc5;

// A new control and the one reference to it.
IvtFlashPlayer* OwnedControl() {
  TComPtr<IvtFlashPlayer> c = NewControl();
  c->AddRef();
  return c.Get();
}

// The test's only reference, given up from inside a callback.
struct Owner {
  IvtFlashPlayer* control = nullptr;
  void ReleaseNow() {
    if (IvtFlashPlayer* c = std::exchange(control, nullptr)) {
      As<IOleObject>(c, IID_IOleObject)->Close(OLECLOSE_NOSAVE);
      As<IOleObject>(c, IID_IOleObject)->SetClientSite(nullptr);
      c->Release();
    }
  }
};

TEST(FlashctlReentry, ReleasedFromInsideEvents) {
  for (const DISPID during : {kFSCommand, kFlashCall, DISPID(-609)}) {
    Site site;
    EventSink sink;
    Owner owner;
    owner.control = OwnedControl();
    sink.AdviseOn(owner.control);
    sink.handler = [&](const EventSink::Event& e) {
      if (e.id == during) owner.ReleaseNow();
    };
    owner.control->put_Movie(Bstr(MovieFile(HostMovie(), L"reentry.swf")).Get());
    if (owner.control) site.Embed(owner.control);
    EXPECT_TRUE(PumpUntil([&] { return owner.control == nullptr; })) << during;
    PumpMessages(60);  // ticks of a gone control do nothing
    EXPECT_EQ(site.refs, 0) << during;
    EXPECT_EQ(sink.refs, 0) << during;
  }
}

TEST(FlashctlReentry, ReleasedFromInsideInvalidateRect) {
  Site site;
  Surface s(100, 80);
  site.surface = &s;
  Owner owner;
  owner.control = OwnedControl();
  owner.control->put_Movie(Bstr(MovieFile(kSquareMovie, L"invalidate.swf")).Get());
  site.onInvalidate = [&] { owner.ReleaseNow(); };
  site.Embed(owner.control);  // activation repaints: released in there
  EXPECT_EQ(owner.control, nullptr);
  EXPECT_EQ(s.Pixel(20, 20), 0xFFFF0000u);  // drawn before it went
  PumpMessages(60);
  EXPECT_EQ(site.refs, 0);
}

TEST(FlashctlReentry, HandlersUnadviseWhileTheListIsWalked) {
  Site site;
  EventSink first, second;
  auto control = NewControl();
  const DWORD cookie = first.AdviseOn(control.Get());
  second.AdviseOn(control.Get());
  auto container = As<IConnectionPointContainer>(control.Get(), IID_IConnectionPointContainer);
  TComPtr<IConnectionPoint> point;
  ASSERT_EQ(container->FindConnectionPoint(DIID__IvtFlashPlayerEvents, point.Receive()), S_OK);
  first.handler = [&](const EventSink::Event&) { point->Unadvise(cookie); };
  control->put_Movie(Bstr(MovieFile(HostMovie(), L"unadvise.swf")).Get());
  site.Embed(control.Get());
  ASSERT_TRUE(PumpUntil([&] { return !second.Of(kFSCommand).empty(); }));
  EXPECT_EQ(first.events.size(), 1u);  // unadvised from inside its first event
  EXPECT_EQ(first.refs, 0);
  EXPECT_EQ(point->Unadvise(cookie), CONNECT_E_NOCONNECTION);
  // The points: events and property changes.
  TComPtr<IEnumConnectionPoints> points;
  ASSERT_EQ(container->EnumConnectionPoints(points.Receive()), S_OK);
  IConnectionPoint* got[3] = {};
  ULONG n = 0;
  EXPECT_EQ(points->Next(3, got, &n), S_FALSE);
  ASSERT_EQ(n, 2u);
  IID iids[2];
  for (ULONG i = 0; i < n; ++i) {
    got[i]->GetConnectionInterface(&iids[i]);
    got[i]->Release();
  }
  EXPECT_EQ(iids[0], DIID__IvtFlashPlayerEvents);
  EXPECT_EQ(iids[1], IID_IPropertyNotifySink);
  TComPtr<IConnectionPoint> none;
  EXPECT_EQ(container->FindConnectionPoint(IID_IDispatch, none.Receive()), CONNECT_E_NOCONNECTION);
  point.Reset();
  As<IOleObject>(control.Get(), IID_IOleObject)->Close(OLECLOSE_NOSAVE);
  As<IOleObject>(control.Get(), IID_IOleObject)->SetClientSite(nullptr);
}

}  // namespace
}  // namespace flashctl_test
