// The control's connection points: events and property change notices.
#include "renderers/flashctl/connection_points.h"

#include "renderers/com/com_call.h"
#include "renderers/flashctl/control.h"

namespace flashctl {

HRESULT ConnectionPoint::QueryInterface(REFIID Riid, void** Out) {
  if (!Out) return E_POINTER;
  *Out = nullptr;
  if (Riid != IID_IUnknown && Riid != IID_IConnectionPoint) return E_NOINTERFACE;
  *Out = static_cast<IConnectionPoint*>(this);
  AddRef();
  return S_OK;
}

HRESULT ConnectionPoint::GetConnectionInterface(IID* Iid) {
  if (!Iid) return E_POINTER;
  *Iid = iid_;
  return S_OK;
}

HRESULT ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** Container) {
  if (!Container) return E_POINTER;
  *Container = owner_;
  owner_->AddRef();
  return S_OK;
}

HRESULT ConnectionPoint::Advise(IUnknown* Sink, DWORD* Cookie) {
  return vt::ComCall([&]() -> HRESULT {
    if (!Cookie) return E_POINTER;
    *Cookie = 0;
    if (!Sink) return E_POINTER;
    vt::TComPtr<IUnknown> sink;
    HRESULT hr = Sink->QueryInterface(iid_, reinterpret_cast<void**>(sink.Receive()));
    if (FAILED(hr) && fallback_ != IID_NULL)
      hr = Sink->QueryInterface(fallback_, reinterpret_cast<void**>(sink.Receive()));
    if (FAILED(hr) || !sink) return CONNECT_E_CANNOTCONNECT;
    sinks_.emplace_back(++lastCookie_, std::move(sink));
    *Cookie = lastCookie_;
    return S_OK;
  });
}

HRESULT ConnectionPoint::Unadvise(DWORD Cookie) {
  for (auto it = sinks_.begin(); it != sinks_.end(); ++it) {
    if (it->first != Cookie) continue;
    // Out of the list before the sink is released: its Release may call back.
    vt::TComPtr<IUnknown> gone = std::move(it->second);
    sinks_.erase(it);
    return S_OK;
  }
  return CONNECT_E_NOCONNECTION;
}

HRESULT ConnectionPoint::EnumConnections(IEnumConnections** Connections) {
  if (!Connections) return E_POINTER;
  *Connections = nullptr;
  return E_NOTIMPL;
}

std::vector<vt::TComPtr<IUnknown>> ConnectionPoint::Sinks() const {
  std::vector<vt::TComPtr<IUnknown>> out;
  out.reserve(sinks_.size());
  for (const auto& s : sinks_) out.push_back(s.second);
  return out;
}

namespace {

class PointEnumerator final : public IEnumConnectionPoints, public vt::TComRefCount {
 public:
  PointEnumerator(std::vector<IConnectionPoint*> Points, size_t At) : points_(std::move(Points)), at_(At) {
    for (IConnectionPoint* p : points_) p->AddRef();
  }
  ~PointEnumerator() override {
    for (IConnectionPoint* p : points_) p->Release();
  }
  STDMETHODIMP QueryInterface(REFIID Riid, void** Out) override {
    if (!Out) return E_POINTER;
    *Out = nullptr;
    if (Riid != IID_IUnknown && Riid != IID_IEnumConnectionPoints) return E_NOINTERFACE;
    *Out = static_cast<IEnumConnectionPoints*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return CountAddRef(); }
  STDMETHODIMP_(ULONG) Release() override { return CountRelease(); }
  STDMETHODIMP Next(ULONG Count, IConnectionPoint** Out, ULONG* Fetched) override {
    if (!Out || (Count > 1 && !Fetched)) return E_POINTER;
    ULONG n = 0;
    for (; n < Count && at_ < points_.size(); ++n, ++at_) {
      Out[n] = points_[at_];
      Out[n]->AddRef();
    }
    if (Fetched) *Fetched = n;
    return n == Count ? S_OK : S_FALSE;
  }
  STDMETHODIMP Skip(ULONG Count) override {
    const size_t left = points_.size() - at_;
    at_ += Count < left ? Count : left;
    return Count <= left ? S_OK : S_FALSE;
  }
  STDMETHODIMP Reset() override {
    at_ = 0;
    return S_OK;
  }
  STDMETHODIMP Clone(IEnumConnectionPoints** Out) override {
    if (!Out) return E_POINTER;
    return vt::ComCall([&]() -> HRESULT {
      *Out = nullptr;
      *Out = new PointEnumerator(points_, at_);
      return S_OK;
    });
  }

 private:
  std::vector<IConnectionPoint*> points_;
  size_t at_;
};

}  // namespace

HRESULT NewPointEnumerator(std::vector<IConnectionPoint*> Points, IEnumConnectionPoints** Out) {
  if (!Out) return E_POINTER;
  return vt::ComCall([&]() -> HRESULT {
    *Out = nullptr;
    *Out = new PointEnumerator(std::move(Points), 0);
    return S_OK;
  });
}

HRESULT FlashControl::EnumConnectionPoints(IEnumConnectionPoints** Points) {
  return NewPointEnumerator({&events_, &propertyNotify_}, Points);
}

HRESULT FlashControl::FindConnectionPoint(REFIID Riid, IConnectionPoint** Point) {
  if (!Point) return E_POINTER;
  *Point = nullptr;
  if (Riid == DIID__IvtFlashPlayerEvents)
    *Point = &events_;
  else if (Riid == IID_IPropertyNotifySink)
    *Point = &propertyNotify_;
  else
    return CONNECT_E_NOCONNECTION;
  (*Point)->AddRef();
  return S_OK;
}

}  // namespace flashctl
