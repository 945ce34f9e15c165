#pragma once
// A tiny container for the control: loads flashctl.ocx by path (no
// registration needed), and gives it a client site that is a windowless
// in-place site, answers ambient properties, optionally offers a bind host,
// and records what the control asked of it. An event sink records events.

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>
#include <urlmon.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "renderers/com/com_object.h"
#include "renderers/flashocx/flash_player.h"

namespace flashctl_test {

using vt::TComPtr;

HMODULE TheModule();
// An export of the module as the function type it has.
template <class F>
F Export(const char* Name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(TheModule(), Name)));
}
// A new control, through the module's class factory.
TComPtr<IvtFlashPlayer> NewControl();
template <class T>
TComPtr<T> As(IUnknown* U, REFIID Iid) {
  TComPtr<T> out;
  if (U) U->QueryInterface(Iid, reinterpret_cast<void**>(out.Receive()));
  return out;
}
ULONG RefCount(IUnknown* U);  // AddRef then Release: the count left

// A 32-bit DIB section selected into a memory device context.
class Surface {
 public:
  Surface(int Width, int Height);
  ~Surface();
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;
  HDC dc() const { return dc_; }
  uint32_t Pixel(int X, int Y) const;  // 0xAARRGGBB
  void Fill(uint32_t Pixel);

 private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  uint32_t* bits_ = nullptr;
  int width_;
};

class BindHost;

class Site final : public IOleClientSite, public IOleInPlaceSiteWindowless, public IDispatch, public IServiceProvider {
 public:
  // ---- what the control did ----
  std::vector<std::string> calls;  // site calls by name, in order
  std::vector<RECT> invalidated;
  // ---- how the site answers ----
  bool windowless = true;
  RECT pos{0, 0, 100, 80};
  BindHost* bindHost = nullptr;  // offered through IServiceProvider when set
  bool userMode = true;
  Surface* surface = nullptr;  // repainted inside InvalidateRect when set
  std::function<void()> onInvalidate;
  LONG refs = 0;

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID Riid, void** Out) override;
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
  STDMETHODIMP_(ULONG) Release() override { return --refs; }
  // IOleClientSite
  STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** M) override;
  STDMETHODIMP GetContainer(IOleContainer** C) override;
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
  // IOleWindow
  STDMETHODIMP GetWindow(HWND* W) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  // IOleInPlaceSite
  STDMETHODIMP CanInPlaceActivate() override { return Note("CanInPlaceActivate", S_OK); }
  STDMETHODIMP OnInPlaceActivate() override { return Note("OnInPlaceActivate", S_OK); }
  STDMETHODIMP OnUIActivate() override { return Note("OnUIActivate", S_OK); }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** F, IOleInPlaceUIWindow** D, LPRECT Pos, LPRECT Clip,
                                LPOLEINPLACEFRAMEINFO Info) override;
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return Note("OnUIDeactivate", S_OK); }
  STDMETHODIMP OnInPlaceDeactivate() override { return Note("OnInPlaceDeactivate", S_OK); }
  STDMETHODIMP DiscardUndoState() override { return S_OK; }
  STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
  STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }
  // IOleInPlaceSiteEx
  STDMETHODIMP OnInPlaceActivateEx(BOOL* NoRedraw, DWORD Flags) override;
  STDMETHODIMP OnInPlaceDeactivateEx(BOOL) override { return Note("OnInPlaceDeactivateEx", S_OK); }
  STDMETHODIMP RequestUIActivate() override { return S_OK; }
  // IOleInPlaceSiteWindowless
  STDMETHODIMP CanWindowlessActivate() override { return Note("CanWindowlessActivate", S_OK); }
  STDMETHODIMP GetCapture() override { return S_FALSE; }
  STDMETHODIMP SetCapture(BOOL) override { return S_OK; }
  STDMETHODIMP GetFocus() override { return S_FALSE; }
  STDMETHODIMP SetFocus(BOOL) override { return S_OK; }
  STDMETHODIMP GetDC(LPCRECT, DWORD, HDC*) override { return E_NOTIMPL; }
  STDMETHODIMP ReleaseDC(HDC) override { return E_NOTIMPL; }
  STDMETHODIMP InvalidateRect(LPCRECT Rect, BOOL Erase) override;
  STDMETHODIMP InvalidateRgn(HRGN, BOOL) override { return S_OK; }
  STDMETHODIMP ScrollRect(INT, INT, LPCRECT, LPCRECT) override { return E_NOTIMPL; }
  STDMETHODIMP AdjustRect(LPRECT) override { return S_OK; }
  STDMETHODIMP OnDefWindowMessage(UINT, WPARAM, LPARAM, LRESULT*) override { return S_FALSE; }
  // IDispatch: the ambient properties
  STDMETHODIMP GetTypeInfoCount(UINT* N) override;
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID Id, REFIID, LCID, WORD Flags, DISPPARAMS*, VARIANT* Result, EXCEPINFO*, UINT*) override;
  // IServiceProvider
  STDMETHODIMP QueryService(REFGUID Service, REFIID Riid, void** Out) override;

  // Sets this as Control's client site and activates it in place (DoVerb).
  HRESULT Embed(IUnknown* Control);

 private:
  HRESULT Note(const char* Call, HRESULT Hr) {
    calls.emplace_back(Call);
    return Hr;
  }

 public:
  IUnknown* drawn = nullptr;  // what InvalidateRect repaints into surface (not held)
};

// An event sink: records every event with its arguments (first to last, as text).
class EventSink final : public IDispatch {
 public:
  struct Event {
    DISPID id;
    std::vector<std::wstring> args;
  };
  std::vector<Event> events;
  std::function<void(const Event&)> handler;  // runs inside the event
  LONG refs = 0;

  STDMETHODIMP QueryInterface(REFIID Riid, void** Out) override;
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
  STDMETHODIMP_(ULONG) Release() override { return --refs; }
  STDMETHODIMP GetTypeInfoCount(UINT* N) override;
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID Id, REFIID, LCID, WORD Flags, DISPPARAMS* Params, VARIANT*, EXCEPINFO*, UINT*) override;

  // Advises this sink on Control's event point; the cookie.
  DWORD AdviseOn(IUnknown* Control);
  std::vector<Event> Of(DISPID Id) const;
};

// A bind host whose monikers serve in-memory files: inside BindToStorage
// (synchronous) or from a timer of the message loop (asynchronous).
class BindHost final : public IBindHost {
 public:
  std::map<std::wstring, std::vector<uint8_t>> files;
  bool asynchronous = false;
  bool refuse = false;               // CreateMoniker fails
  size_t piece = 0;                  // bytes per OnDataAvailable; 0: all at once
  std::vector<std::wstring> names;   // CreateMoniker, in order
  int callbacksFound = 0;            // "_BSCB_Holder_" held an IBindStatusCallback
  DWORD bindFlags = 0;               // what GetBindInfo answered
  LONG refs = 0;

  STDMETHODIMP QueryInterface(REFIID Riid, void** Out) override;
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
  STDMETHODIMP_(ULONG) Release() override { return --refs; }
  STDMETHODIMP CreateMoniker(LPOLESTR Name, IBindCtx* Ctx, IMoniker** Mk, DWORD) override;
  STDMETHODIMP MonikerBindToStorage(IMoniker*, IBindCtx*, IBindStatusCallback*, REFIID, void**) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP MonikerBindToObject(IMoniker*, IBindCtx*, IBindStatusCallback*, REFIID, void**) override {
    return E_NOTIMPL;
  }
};

// SWF bytes of a movie description.
std::vector<uint8_t> MovieBytes(const std::string& Description);
// Writes a movie to a file of the test's own; its path.
std::wstring MovieFile(const std::string& Description, const std::wstring& Name);
void PumpMessages(int Milliseconds);
bool PumpUntil(const std::function<bool()>& Done, int TimeoutMs = 3000);

inline vt::TBstr Bstr(const std::wstring& Text) { return vt::TBstr(Text); }

}  // namespace flashctl_test
