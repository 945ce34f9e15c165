#include "activex_fake_control.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "vt_d7/Vt_driver_activex.h"

namespace vt_test {

// {6B0F8E51-3A51-4B7E-9C1A-7D2C0E9A1F01}, {6B0F8E51-3A51-4B7E-9C1A-7D2C0E9A1F02}
const CLSID CLSID_NoFlashControl = {0x6B0F8E51, 0x3A51, 0x4B7E, {0x9C, 0x1A, 0x7D, 0x2C, 0x0E, 0x9A, 0x1F, 0x01}};
const CLSID CLSID_FakeFlashControl = {0x6B0F8E51, 0x3A51, 0x4B7E, {0x9C, 0x1A, 0x7D, 0x2C, 0x0E, 0x9A, 0x1F, 0x02}};

namespace {

using vt::TBstr;
using vt::TComPtr;

TFakeControlScope* g_scope = nullptr;

void Log(const std::string& Entry) {
  if (g_scope) g_scope->log.push_back(Entry);
}

bool Fails(const std::string& Call) { return g_scope && g_scope->options.failAt == Call; }

std::string Narrow(const std::wstring& W) { return std::string(W.begin(), W.end()); }

std::string IidName(REFIID Iid) {
  static const std::pair<const IID*, const char*> names[] = {
      {&IID_IOleObject, "IOleObject"},
      {&IID_IPersistStreamInit, "IPersistStreamInit"},
      {&IID_IOleControl, "IOleControl"},
      {&IID_IDispatch, "IDispatch"},
      {&IID_IvtFlashPlayer, "IvtFlashPlayer"},
      {&IID_IConnectionPointContainer, "IConnectionPointContainer"},
      {&IID_IPerPropertyBrowsing, "IPerPropertyBrowsing"},
      {&IID_IOleInPlaceObject, "IOleInPlaceObject"},
      {&IID_IOleInPlaceObjectWindowless, "IOleInPlaceObjectWindowless"},
      {&IID_IOleInPlaceActiveObject, "IOleInPlaceActiveObject"},
      {&IID_IViewObject, "IViewObject"},
      {&IID_IOleWindow, "IOleWindow"},
      {&IID_IPropertyNotifySink, "IPropertyNotifySink"},
      {&DIID__IvtFlashPlayerEvents, "events"},
  };
  for (const auto& [iid, name] : names)
    if (Iid == *iid) return name;
  return {};
}

std::string RectText(const RECT* R) {
  if (!R) return "nil";
  return std::to_string(R->left) + "," + std::to_string(R->top) + "," + std::to_string(R->right) + "," +
         std::to_string(R->bottom);
}

std::string ArgText(const VARIANT& V) {
  switch (V.vt) {
    case VT_BSTR:
      return V.bstrVal ? "bstr '" + Narrow(std::wstring(V.bstrVal, SysStringLen(V.bstrVal))) + "'" : "bstr nil";
    case VT_I4: return "i4 " + std::to_string(V.lVal);
    case VT_R4: return "r4 " + std::to_string(V.fltVal);
    case VT_BOOL: return "bool " + std::to_string(V.boolVal);
    case VT_DISPATCH: return V.pdispVal ? "dispatch" : "dispatch nil";
    case VT_UNKNOWN: return V.punkVal ? "unknown" : "unknown nil";
    default: return "vt " + std::to_string(V.vt);
  }
}

// A connection point that keeps one sink, asked for Iid as a control asks.
class TFakePoint final : public vt::TComRefCount, public IConnectionPoint {
 public:
  TFakePoint(IConnectionPointContainer* Owner, REFIID Iid) : owner_(Owner), iid_(Iid) {}
  TComPtr<IUnknown> sink;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID Iid, void** Object) override {
    *Object = Iid == IID_IUnknown || Iid == IID_IConnectionPoint ? static_cast<IConnectionPoint*>(this) : nullptr;
    if (!*Object) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return CountAddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return CountRelease(); }
  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* Iid) override {
    *Iid = iid_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** C) override {
    *C = owner_;
    owner_->AddRef();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* Sink, DWORD* Cookie) override {
    Log("Advise " + IidName(iid_));
    *Cookie = 0;
    if (Fails("Advise")) return E_FAIL;
    IUnknown* asked = nullptr;
    if (!Sink || FAILED(Sink->QueryInterface(iid_, reinterpret_cast<void**>(&asked))) || !asked)
      return CONNECT_E_CANNOTCONNECT;
    sink = TComPtr<IUnknown>::Adopt(asked);
    *Cookie = iid_ == IID_IPropertyNotifySink ? 1 : 2;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD Cookie) override {
    Log("Unadvise " + IidName(iid_) + " " + std::to_string(Cookie));
    sink.Reset();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** E) override {
    *E = nullptr;
    ADD_FAILURE() << "unexpected EnumConnections";
    return E_NOTIMPL;
  }

 private:
  IConnectionPointContainer* owner_;  // outlives the point's use by the driver
  IID iid_;
};

}  // namespace

class TFakeControl final : public vt::TComRefCount,
                           public IOleObject,
                           public IPersistStreamInit,
                           public IOleControl,
                           public TFlashPlayerStub,
                           public IConnectionPointContainer,
                           public IOleInPlaceObjectWindowless,
                           public IOleInPlaceActiveObject,
                           public IViewObject,
                           public IPerPropertyBrowsing {
 public:
  TFakeControl() {
    events = TComPtr<TFakePoint>::Adopt(new TFakePoint(this, DIID__IvtFlashPlayerEvents));
    properties = TComPtr<TFakePoint>::Adopt(new TFakePoint(this, IID_IPropertyNotifySink));
    if (g_scope) {
      ++g_scope->live;
      g_scope->control = this;
    }
  }
  ~TFakeControl() override {
    Log("destroyed");
    if (g_scope) {
      --g_scope->live;
      if (g_scope->control == this) g_scope->control = nullptr;
    }
  }

  TComPtr<IOleClientSite> site;
  TComPtr<IOleInPlaceSiteWindowless> inPlace;
  TComPtr<TFakePoint> events, properties;
  VARIANT_BOOL loop = VARIANT_TRUE;

  HRESULT Unexpected(const char* Method) override {
    ADD_FAILURE() << "unexpected call " << Method;
    return E_NOTIMPL;
  }
  HRESULT Call(const std::string& Entry) {
    Log(Entry);
    const HRESULT hr = Fails(Entry.substr(0, Entry.find(' '))) ? E_FAIL : S_OK;
    if (g_scope && g_scope->options.onCall) g_scope->options.onCall(Entry);
    return hr;
  }

  // ---- IUnknown ----
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID Iid, void** Object) override {
    *Object = nullptr;
    // COM asks for IOleObject on the driver's behalf at creation.
    const std::string name = Iid == IID_IOleObject ? std::string() : IidName(Iid);
    if (!name.empty()) Log("QI " + name);
    if (!name.empty() && Fails("QI " + name)) return E_NOINTERFACE;
    if (Iid == IID_IUnknown || Iid == IID_IOleObject) *Object = static_cast<IOleObject*>(this);
    else if (Iid == IID_IPersistStreamInit) *Object = static_cast<IPersistStreamInit*>(this);
    else if (Iid == IID_IOleControl) *Object = static_cast<IOleControl*>(this);
    else if (Iid == IID_IDispatch || Iid == IID_IvtFlashPlayer) *Object = static_cast<IvtFlashPlayer*>(this);
    else if (Iid == IID_IConnectionPointContainer) *Object = static_cast<IConnectionPointContainer*>(this);
    else if (Iid == IID_IOleInPlaceObject || Iid == IID_IOleInPlaceObjectWindowless || Iid == IID_IOleWindow)
      *Object = static_cast<IOleInPlaceObjectWindowless*>(this);
    else if (Iid == IID_IOleInPlaceActiveObject) *Object = static_cast<IOleInPlaceActiveObject*>(this);
    else if (Iid == IID_IViewObject) *Object = static_cast<IViewObject*>(this);
    else if (Iid == IID_IPerPropertyBrowsing) *Object = static_cast<IPerPropertyBrowsing*>(this);
    if (!*Object) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return CountAddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return CountRelease(); }

  // ---- IOleObject ----
  HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* Site) override {
    const HRESULT hr = Call(std::string("SetClientSite ") + (Site ? "site" : "nil"));
    if (SUCCEEDED(hr)) site = TComPtr<IOleClientSite>::Share(Site);
    return hr;
  }
  HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** Site) override {
    *Site = nullptr;
    const HRESULT hr = Call("GetClientSite");
    if (FAILED(hr)) return hr;
    *Site = site.Get();
    if (*Site) (*Site)->AddRef();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) override { return Unexpected("SetHostNames"); }
  HRESULT STDMETHODCALLTYPE Close(DWORD Option) override {
    Log("Close " + std::to_string(Option));
    if (const TComPtr<IOleInPlaceSiteWindowless> s = inPlace) {
      // A control repaints what it shows as it closes.
      if (g_scope && g_scope->options.invalidateOnClose) s->InvalidateRect(nullptr, FALSE);
      inPlace.Reset();
      Log("site OnInPlaceDeactivate -> " + std::to_string(s->OnInPlaceDeactivate()));
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker*) override { return Unexpected("SetMoniker"); }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override { return Unexpected("GetMoniker"); }
  HRESULT STDMETHODCALLTYPE InitFromData(IDataObject*, BOOL, DWORD) override { return Unexpected("InitFromData"); }
  HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject**) override { return Unexpected("GetClipboardData"); }
  HRESULT STDMETHODCALLTYPE DoVerb(LONG Verb, LPMSG, IOleClientSite* Site, LONG, HWND, LPCRECT Pos) override {
    Log("DoVerb " + std::to_string(Verb) + " " + RectText(Pos));
    if (!g_scope || !g_scope->options.activate || !Site) return S_OK;
    // What a windowless control does: find the windowless site, ask, activate.
    IOleInPlaceSiteWindowless* w = nullptr;
    if (FAILED(Site->QueryInterface(IID_IOleInPlaceSiteWindowless, reinterpret_cast<void**>(&w))) || !w)
      return E_FAIL;
    inPlace = TComPtr<IOleInPlaceSiteWindowless>::Adopt(w);
    Log("site CanInPlaceActivate -> " + std::to_string(w->CanInPlaceActivate()));
    Log("site CanWindowlessActivate -> " + std::to_string(w->CanWindowlessActivate()));
    BOOL noRedraw = FALSE;
    Log("site OnInPlaceActivateEx -> " + std::to_string(w->OnInPlaceActivateEx(&noRedraw, ACTIVATE_WINDOWLESS)));
    IOleInPlaceFrame* frame = nullptr;
    IOleInPlaceUIWindow* doc = nullptr;
    RECT pos{}, clip{};
    OLEINPLACEFRAMEINFO info{};
    info.cb = sizeof info;
    info.cAccelEntries = 9;
    const HRESULT hr = w->GetWindowContext(&frame, &doc, &pos, &clip, &info);
    Log("site GetWindowContext -> " + std::to_string(hr) + " " + RectText(&pos) + " clip " + RectText(&clip) +
        (frame ? " frame" : " noframe") + (doc ? " doc" : " nodoc") + " accel " + std::to_string(info.cAccelEntries) +
        (info.cb == sizeof info ? " cb kept" : " cb changed"));
    if (frame) frame->Release();
    if (doc) doc->Release();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB**) override { return Unexpected("EnumVerbs"); }
  HRESULT STDMETHODCALLTYPE Update() override { return Unexpected("Update"); }
  HRESULT STDMETHODCALLTYPE IsUpToDate() override { return Unexpected("IsUpToDate"); }
  HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID*) override { return Unexpected("GetUserClassID"); }
  HRESULT STDMETHODCALLTYPE GetUserType(DWORD, LPOLESTR*) override { return Unexpected("GetUserType"); }
  HRESULT STDMETHODCALLTYPE SetExtent(DWORD, SIZEL*) override { return Unexpected("SetExtent"); }
  HRESULT STDMETHODCALLTYPE GetExtent(DWORD, SIZEL*) override { return Unexpected("GetExtent"); }
  HRESULT STDMETHODCALLTYPE Advise(IAdviseSink*, DWORD*) override { return Unexpected("Advise"); }
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD) override { return Unexpected("Unadvise"); }
  HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA**) override { return Unexpected("EnumAdvise"); }
  HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD Aspect, DWORD* Status) override {
    *Status = g_scope ? g_scope->options.miscStatus : 0;
    return Call("GetMiscStatus " + std::to_string(Aspect));
  }
  HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) override { return Unexpected("SetColorScheme"); }

  // ---- IPersistStreamInit ----
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID*) override { return Unexpected("GetClassID"); }
  HRESULT STDMETHODCALLTYPE IsDirty() override { return Unexpected("IsDirty"); }
  HRESULT STDMETHODCALLTYPE Load(LPSTREAM Stream) override {
    char bytes[16] = {};
    ULONG read = 0;
    Stream->Read(bytes, sizeof bytes - 1, &read);
    return Call("Load '" + std::string(bytes, read) + "'");
  }
  HRESULT STDMETHODCALLTYPE Save(LPSTREAM Stream, BOOL ClearDirty) override {
    const HRESULT hr = Call("Save " + std::to_string(ClearDirty));
    if (SUCCEEDED(hr)) Stream->Write("saved", 5, nullptr);
    return hr;
  }
  HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER*) override { return Unexpected("GetSizeMax"); }
  HRESULT STDMETHODCALLTYPE InitNew() override { return Call("InitNew"); }

  // ---- IOleControl ----
  HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO*) override { return Unexpected("GetControlInfo"); }
  HRESULT STDMETHODCALLTYPE OnMnemonic(MSG*) override { return Unexpected("OnMnemonic"); }
  HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID Id) override {
    return Call("OnAmbientPropertyChange " + std::to_string(Id));
  }
  HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL) override { return Unexpected("FreezeEvents"); }

  // ---- IDispatch ----
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* Count) override {
    *Count = 0;
    return Unexpected("GetTypeInfoCount");
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** Info) override {
    *Info = nullptr;
    Log("GetTypeInfo");
    if (!g_scope || g_scope->options.typeLibrary.empty()) return E_NOTIMPL;
    TComPtr<ITypeLib> library;
    const HRESULT hr = LoadTypeLibEx(g_scope->options.typeLibrary.c_str(), REGKIND_NONE, library.Receive());
    if (FAILED(hr)) return hr;
    return library->GetTypeInfoOfGuid(IID_IvtFlashPlayer, Info);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return Unexpected("GetIDsOfNames");
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID Id, REFIID, LCID, WORD Flags, DISPPARAMS* Params, VARIANT* Result,
                                   EXCEPINFO* Info, UINT*) override {
    std::string entry = "Invoke " + std::to_string(Id);
    entry += Flags == DISPATCH_PROPERTYGET   ? " get"
             : Flags == DISPATCH_PROPERTYPUT ? " put"
             : Flags == DISPATCH_PROPERTYPUTREF ? " putref"
                                                : " method";
    for (UINT i = Params ? Params->cArgs : 0; i > 0; --i) entry += " " + ArgText(Params->rgvarg[i - 1]);
    if (Params && Params->cNamedArgs) entry += " named " + std::to_string(Params->rgdispidNamedArgs[0]);
    Log(entry);
    if (Fails("Invoke")) {
      if (Info) {
        *Info = EXCEPINFO{};
        Info->bstrDescription = SysAllocString(L"the fake refused");
        Info->scode = E_ACCESSDENIED;
      }
      return DISP_E_EXCEPTION;
    }
    if (Result && g_scope) {
      VariantInit(Result);
      const auto it = g_scope->options.properties.find(Id);
      if (it != g_scope->options.properties.end()) VariantCopy(Result, &it->second);
    }
    return S_OK;
  }

  // ---- IvtFlashPlayer: what the driver's operations call ----
  HRESULT STDMETHODCALLTYPE Play() override { return Call("Play"); }
  HRESULT STDMETHODCALLTYPE StopPlay() override { return Call("StopPlay"); }
  HRESULT STDMETHODCALLTYPE Rewind() override { return Call("Rewind"); }
  HRESULT STDMETHODCALLTYPE Forward() override { return Call("Forward"); }
  HRESULT STDMETHODCALLTYPE Back() override { return Call("Back"); }
  HRESULT STDMETHODCALLTYPE get_Loop(VARIANT_BOOL* Value) override {
    *Value = loop;
    return Call("get_Loop");
  }
  HRESULT STDMETHODCALLTYPE put_Loop(VARIANT_BOOL Value) override {
    loop = Value;
    return Call("put_Loop " + std::to_string(Value));
  }
  HRESULT STDMETHODCALLTYPE IsPlaying(VARIANT_BOOL* Value) override {
    *Value = VARIANT_TRUE;
    return Call("IsPlaying");
  }
  HRESULT STDMETHODCALLTYPE CurrentFrame(LONG* Value) override {
    *Value = 3;
    return Call("CurrentFrame");
  }
  HRESULT STDMETHODCALLTYPE get_TotalFrames(LONG* Value) override {
    *Value = 7;
    return Call("get_TotalFrames");
  }
  HRESULT STDMETHODCALLTYPE put_FrameNum(LONG Value) override { return Call("put_FrameNum " + std::to_string(Value)); }
  HRESULT STDMETHODCALLTYPE GetVariable(BSTR Name, BSTR* Value) override {
    const std::wstring name = TBstr::BstrText(Name);
    *Value = SysAllocString((L"value of " + name).c_str());
    return Call("GetVariable " + Narrow(name));
  }
  HRESULT STDMETHODCALLTYPE SetVariable(BSTR Name, BSTR Value) override {
    return Call("SetVariable " + Narrow(TBstr::BstrText(Name)) + "=" + Narrow(TBstr::BstrText(Value)));
  }
  HRESULT STDMETHODCALLTYPE CallFunction(BSTR Request, BSTR* Response) override {
    *Response = SysAllocString(L"<string>answer</string>");
    return Call("CallFunction " + Narrow(TBstr::BstrText(Request)));
  }
  HRESULT STDMETHODCALLTYPE SetReturnValue(BSTR Value) override {
    return Call("SetReturnValue " + Narrow(TBstr::BstrText(Value)));
  }
  HRESULT STDMETHODCALLTYPE FlashVersion(LONG* Version) override {
    *Version = g_scope ? g_scope->options.flashVersion : 0;
    return Call("FlashVersion");
  }
  HRESULT STDMETHODCALLTYPE DisableLocalSecurity() override { return Call("DisableLocalSecurity"); }
  HRESULT STDMETHODCALLTYPE LoadMovie(int Layer, BSTR Url) override {
    return Call("LoadMovie " + std::to_string(Layer) + " " + Narrow(TBstr::BstrText(Url)));
  }

  // ---- IConnectionPointContainer ----
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints**) override {
    return Unexpected("EnumConnectionPoints");
  }
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID Iid, IConnectionPoint** Point) override {
    *Point = nullptr;
    Log("FindConnectionPoint " + IidName(Iid));
    TFakePoint* p = Iid == DIID__IvtFlashPlayerEvents ? events.Get()
                    : Iid == IID_IPropertyNotifySink  ? properties.Get()
                                                      : nullptr;
    if (!p) return CONNECT_E_NOCONNECTION;
    p->AddRef();
    *Point = p;
    return S_OK;
  }

  // ---- IOleWindow, IOleInPlaceObject(Windowless), IOleInPlaceActiveObject ----
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* Window) override {
    *Window = nullptr;
    return E_FAIL;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return Unexpected("ContextSensitiveHelp"); }
  HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override { return Unexpected("InPlaceDeactivate"); }
  HRESULT STDMETHODCALLTYPE UIDeactivate() override { return Call("UIDeactivate"); }
  HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT Pos, LPCRECT Clip) override {
    return Call("SetObjectRects " + RectText(Pos) + " clip " + RectText(Clip));
  }
  HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override { return Unexpected("ReactivateAndUndo"); }
  HRESULT STDMETHODCALLTYPE OnWindowMessage(UINT Msg, WPARAM WParam, LPARAM LParam, LRESULT* Result) override {
    char text[80];
    std::snprintf(text, sizeof text, "OnWindowMessage %u %llx %llx%s", Msg, static_cast<unsigned long long>(WParam),
                  static_cast<unsigned long long>(LParam), Result && *Result == 0 ? "" : " result?");
    return Call(text);
  }
  HRESULT STDMETHODCALLTYPE GetDropTarget(IDropTarget**) override { return Unexpected("GetDropTarget"); }
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG) override { return Unexpected("TranslateAccelerator"); }
  HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL) override { return Unexpected("OnFrameWindowActivate"); }
  HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL) override { return Unexpected("OnDocWindowActivate"); }
  HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override {
    return Unexpected("ResizeBorder");
  }
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return Unexpected("EnableModeless"); }

  // ---- IViewObject ----
  HRESULT STDMETHODCALLTYPE Draw(DWORD Aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC Dc, LPCRECTL Bounds, LPCRECTL,
                                 BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) override {
    RECT clip{};
    GetClipBox(Dc, &clip);
    const HRESULT hr =
        Call("Draw " + std::to_string(Aspect) + " " + RectText(reinterpret_cast<const RECT*>(Bounds)) + " clip " +
             RectText(&clip));
    if (g_scope && g_scope->options.onDraw) g_scope->options.onDraw(Dc);
    return hr;
  }
  HRESULT STDMETHODCALLTYPE GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE**) override {
    return Unexpected("GetColorSet");
  }
  HRESULT STDMETHODCALLTYPE Freeze(DWORD, LONG, void*, DWORD*) override { return Unexpected("Freeze"); }
  HRESULT STDMETHODCALLTYPE Unfreeze(DWORD) override { return Unexpected("Unfreeze"); }
  HRESULT STDMETHODCALLTYPE SetAdvise(DWORD, DWORD, IAdviseSink*) override { return Unexpected("SetAdvise"); }
  HRESULT STDMETHODCALLTYPE GetAdvise(DWORD*, DWORD*, IAdviseSink**) override { return Unexpected("GetAdvise"); }

  // ---- IPerPropertyBrowsing: property 105 has two named values ----
  HRESULT STDMETHODCALLTYPE GetDisplayString(DISPID Id, BSTR* Text) override {
    *Text = nullptr;
    Log("GetDisplayString " + std::to_string(Id));
    if (Id != 105) return E_NOTIMPL;
    *Text = SysAllocString(L"High");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE MapPropertyToPage(DISPID, CLSID*) override { return Unexpected("MapPropertyToPage"); }
  HRESULT STDMETHODCALLTYPE GetPredefinedStrings(DISPID Id, CALPOLESTR* Names, CADWORD* Cookies) override {
    Log("GetPredefinedStrings " + std::to_string(Id));
    *Names = CALPOLESTR{};
    *Cookies = CADWORD{};
    if (Id != 105) return E_NOTIMPL;
    static const wchar_t* const texts[2] = {L"Low", L"High"};
    Names->cElems = Cookies->cElems = 2;
    Names->pElems = static_cast<LPOLESTR*>(CoTaskMemAlloc(2 * sizeof(LPOLESTR)));
    Cookies->pElems = static_cast<DWORD*>(CoTaskMemAlloc(2 * sizeof(DWORD)));
    for (int i = 0; i < 2; ++i) {
      const size_t bytes = (wcslen(texts[i]) + 1) * sizeof(wchar_t);
      Names->pElems[i] = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
      memcpy(Names->pElems[i], texts[i], bytes);
      Cookies->pElems[i] = 10 + i;
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetPredefinedValue(DISPID Id, DWORD Cookie, VARIANT* Value) override {
    VariantInit(Value);
    Value->vt = VT_I4;
    Value->lVal = static_cast<LONG>(Cookie) - 10;
    return Call("GetPredefinedValue " + std::to_string(Id) + " " + std::to_string(Cookie));
  }
};

namespace {

class TFakeFactory final : public vt::TComRefCount, public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID Iid, void** Object) override {
    *Object = Iid == IID_IUnknown || Iid == IID_IClassFactory ? static_cast<IClassFactory*>(this) : nullptr;
    if (!*Object) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return CountAddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return CountRelease(); }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* Outer, REFIID Iid, void** Object) override {
    *Object = nullptr;
    if (Outer) return CLASS_E_NOAGGREGATION;
    if (Fails("CreateInstance")) {
      Log("CreateInstance");
      return E_OUTOFMEMORY;
    }
    Log("CreateInstance " + IidName(Iid));
    auto* control = new TFakeControl();
    const HRESULT hr = control->QueryInterface(Iid, Object);
    control->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

}  // namespace

TFakeControlScope::TFakeControlScope() {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  g_scope = this;
  auto* factory = new TFakeFactory();
  EXPECT_EQ(CoRegisterClassObject(CLSID_FakeFlashControl, static_cast<IClassFactory*>(factory),
                                  CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie_),
            S_OK);
  factory->Release();
  vt::InitializeActiveXDriverUnit(CLSID_FakeFlashControl);
}

TFakeControlScope::~TFakeControlScope() {
  CoRevokeClassObject(cookie_);
  vt::InitializeActiveXDriverUnit(CLSID_NoFlashControl);
  g_scope = nullptr;
  for (auto& [id, v] : options.properties) VariantClear(&v);
  CoUninitialize();
}

std::vector<std::string> TFakeControlScope::Take() { return std::exchange(log, {}); }

IDispatch* TFakeControlScope::EventSink() const {
  if (!control || !control->events->sink) return nullptr;
  IDispatch* d = nullptr;
  control->events->sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&d));
  return d;
}

IUnknown* TFakeControlScope::PropertySink() const {
  if (!control || !control->properties->sink) return nullptr;
  IUnknown* u = control->properties->sink.Get();
  u->AddRef();
  return u;
}

HRESULT TFakeControlScope::Fire(DISPID DispId, std::vector<VARIANT> Args) {
  const TComPtr<IDispatch> sink = TComPtr<IDispatch>::Adopt(EventSink());
  if (!sink) return E_FAIL;
  std::reverse(Args.begin(), Args.end());
  DISPPARAMS params{Args.data(), nullptr, static_cast<UINT>(Args.size()), 0};
  return sink->Invoke(DispId, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
}

// Every test of this program looks for a control nobody registered, unless
// it points the unit elsewhere: a control registered on the machine must not
// change what the players' tests see.
class TNoControlEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { vt::InitializeActiveXDriverUnit(CLSID_NoFlashControl); }
};

const ::testing::Environment* const g_noControl = ::testing::AddGlobalTestEnvironment(new TNoControlEnvironment);

}  // namespace vt_test
