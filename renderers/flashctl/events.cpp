// Events to the advised sinks, ready state and progress, and property change
// notices. Sinks are called from a copy of the list, each held: a handler may
// unadvise, or release the control.
#include <ocidl.h>

#include "renderers/flashctl/control.h"

namespace flashctl {

void FlashControl::FireEvent(DISPID Id, vt::TDispArgs& Args) {
  if (freezeCount_ > 0) return;  // the container does not want events now
  KeepAlive keep(this);
  for (const vt::TComPtr<IUnknown>& sink : events_.Sinks()) {
    // Advise kept what the sink answered for the events' interface or
    // IDispatch: an IDispatch either way.
    vt::InvokeMethod(static_cast<IDispatch*>(sink.Get()), Id, Args);
  }
}

void FlashControl::SetReadyState(LONG State) {
  if (readyState_ == State) return;
  readyState_ = State;
  vt::TDispArgs args;
  args.AddLong(State);
  FireEvent(DISPID_READYSTATECHANGE, args);
}

void FlashControl::ReportProgress(const ContentRequest& R) {
  if (!R.expected) return;  // no size known: progress only shows at the end
  const LONG percent = static_cast<LONG>(std::min<uint64_t>(100, uint64_t(R.received) * 100 / R.expected));
  if (percent == lastProgress_) return;
  lastProgress_ = percent;
  vt::TDispArgs args;
  args.AddLong(percent);
  FireEvent(0x7a6, args);
}

void FlashControl::PropertyChanged(DISPID Id) {
  dirty_ = true;
  KeepAlive keep(this);
  for (const vt::TComPtr<IUnknown>& sink : propertyNotify_.Sinks())
    static_cast<IPropertyNotifySink*>(sink.Get())->OnChanged(Id);
}

}  // namespace flashctl
