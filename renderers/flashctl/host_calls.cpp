// The movie's calls to its host: requests, FSCommand and FlashCall events,
// repaints through the windowless site.
#include <algorithm>

#include "renderers/com/utf8_text.h"
#include "renderers/flashctl/control.h"
#include "renderers/flashctl/flash_call.h"

namespace flashctl {
namespace {

constexpr DISPID kFSCommand = 0x96, kFlashCall = 0xc5;

}  // namespace

void FlashControl::RequestUrl(int RequestId, const std::string& Url, const std::string&) {
  // Only gets: a posted form goes out as a plain request.
  Fetch(false, RequestId, vt::WideFromUtf8(Url));
}

void FlashControl::FSCommand(const std::string& Command, const std::string& Args) {
  vt::TDispArgs args;
  args.AddString(vt::WideFromUtf8(Command));
  args.AddString(vt::WideFromUtf8(Args));
  FireEvent(kFSCommand, args);
}

std::string FlashControl::CallExternal(const std::string& Name, const std::vector<swf::ExternalValue>& Args) {
  std::string request;
  try {
    request = FlashCallRequest(Name, Args);
  } catch (const swf::FormatError&) {
    return {};  // arguments nested too deep to write
  }
  KeepAlive keep(this);
  // SetReturnValue during the event answers this call; a nested call has its own.
  std::wstring answer;
  struct Slot {
    std::wstring*& slot;
    std::wstring* outer;
    ~Slot() { slot = outer; }
  } slot{returnSlot_, std::exchange(returnSlot_, &answer)};
  vt::TDispArgs args;
  args.AddString(vt::WideFromUtf8(request));
  FireEvent(kFlashCall, args);
  return vt::Utf8FromWide(answer);
}

void FlashControl::Invalidate(const swf::IntRect& Rect) {
  layer_.Invalidate(Rect);  // whether or not a site hears of it
  if (!active_ || !inPlaceSite_) return;
  const swf::IntRect r = Rect.Intersect({0, 0, width_, height_});
  if (r.Empty()) return;
  // The site wants the containing window's client coordinates: the object
  // rectangle's origin is added.
  RECT rect{pos_.left + r.left, pos_.top + r.top, pos_.left + r.right, pos_.top + r.bottom};
  KeepAlive keep(this);
  vt::TComPtr<IOleInPlaceSiteWindowless> site = inPlaceSite_;
  site->InvalidateRect(&rect, FALSE);  // the site may repaint inside
}

void FlashControl::Log(const std::string&) {
  // Trace output and script faults are not reported anywhere.
}

}  // namespace flashctl
