#pragma once
// A connection point of the control: the sinks advised for one interface.
// It lives inside the control and counts its references on the control, so
// a point handed out keeps the whole control alive.

#include <windows.h>
#include <ocidl.h>

#include <utility>
#include <vector>

#include "renderers/com/com_object.h"

namespace flashctl {

class ConnectionPoint final : public IConnectionPoint {
 public:
  // Sinks are asked for Iid, or for Fallback when that is not IID_NULL.
  ConnectionPoint(IConnectionPointContainer* Owner, REFIID Iid, REFIID Fallback)
      : owner_(Owner), iid_(Iid), fallback_(Fallback) {}
  ConnectionPoint(const ConnectionPoint&) = delete;
  ConnectionPoint& operator=(const ConnectionPoint&) = delete;

  STDMETHODIMP QueryInterface(REFIID Riid, void** Out) override;
  STDMETHODIMP_(ULONG) AddRef() override { return owner_->AddRef(); }
  STDMETHODIMP_(ULONG) Release() override { return owner_->Release(); }
  STDMETHODIMP GetConnectionInterface(IID* Iid) override;
  STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** Container) override;
  STDMETHODIMP Advise(IUnknown* Sink, DWORD* Cookie) override;
  STDMETHODIMP Unadvise(DWORD Cookie) override;
  STDMETHODIMP EnumConnections(IEnumConnections** Connections) override;

  const IID& iid() const { return iid_; }
  // The sinks as they are now, each with a reference of its own: a handler
  // may unadvise (or release the control) while the list is walked.
  std::vector<vt::TComPtr<IUnknown>> Sinks() const;
  // Drops every sink (the control goes).
  void Clear() { sinks_.clear(); }

 private:
  IConnectionPointContainer* owner_;
  IID iid_, fallback_;
  DWORD lastCookie_ = 0;
  std::vector<std::pair<DWORD, vt::TComPtr<IUnknown>>> sinks_;
};

// IEnumConnectionPoints over a fixed list; holds a reference to each point
// (and so to the control).
HRESULT NewPointEnumerator(std::vector<IConnectionPoint*> Points, IEnumConnectionPoints** Out);

}  // namespace flashctl
