#pragma once
// The control object: one COM object answering every interface a container
// drives it through, playing one movie with the engine, whose MovieHost it is.
//
// Containers call back into the control from inside the control's own calls
// (a repaint inside InvalidateRect, handlers inside events, data inside
// BindToStorage) and may release their last reference there. Every entry
// that calls out holds a KeepAlive, so the object outlives the outermost call;
// nothing is touched after that reference goes.

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>
#include <urlmon.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "renderers/ansitext/ansi_text.h"
#include "renderers/com/com_object.h"
#include "renderers/com/dispatch_call.h"
#include "renderers/engine/movie.h"
#include "renderers/flashctl/bind_callback.h"
#include "renderers/flashctl/connection_points.h"
#include "renderers/flashctl/properties.h"
#include "renderers/flashocx/flash_player.h"
#include "renderers/gdipaint/frame_layer.h"
#include "renderers/gdipaint/gdi_fonts.h"

namespace flashctl {

// A request larger than this fails.
inline constexpr size_t kMaxRequestBytes = 256u << 20;
// The version FlashVersion reports: major version in the high 16 bits.
inline constexpr LONG kFlashVersion = 0x000A0000;

// A fetch in flight: the first movie, or one of the engine's requests.
struct ContentRequest {
  uint64_t token = 0;  // never used twice in the process
  bool firstMovie = true;
  int engineId = 0;
  std::wstring name;
  std::vector<uint8_t> data;  // the first movie's bytes so far
  size_t received = 0, expected = 0;
  vt::TComPtr<BindCallback> callback;
};

class FlashControl final : public IvtFlashPlayer,
                           public IOleObject,
                           public IOleControl,
                           public IPersistStreamInit,
                           public IOleInPlaceObjectWindowless,
                           public IOleInPlaceActiveObject,
                           public IViewObject2,
                           public IConnectionPointContainer,
                           public IPerPropertyBrowsing,
                           public IProvideClassInfo,
                           public swf::MovieHost,
                           public vt::TComRefCount {
 public:
  FlashControl();
  ~FlashControl() override;

  // Holds a reference for the length of an entry that calls out.
  class KeepAlive {
   public:
    explicit KeepAlive(FlashControl* C) : c_(C) { c_->CountAddRef(); }
    ~KeepAlive() { c_->CountRelease(); }
    KeepAlive(const KeepAlive&) = delete;
    KeepAlive& operator=(const KeepAlive&) = delete;

   private:
    FlashControl* c_;
  };

  // ---- IUnknown (control.cpp) ----
  STDMETHODIMP QueryInterface(REFIID Riid, void** Out) override;
  STDMETHODIMP_(ULONG) AddRef() override { return CountAddRef(); }
  STDMETHODIMP_(ULONG) Release() override { return CountRelease(); }

  // ---- IDispatch (dispatch.cpp) ----
  STDMETHODIMP GetTypeInfoCount(UINT* Count) override;
  STDMETHODIMP GetTypeInfo(UINT Index, LCID Lcid, ITypeInfo** Info) override;
  STDMETHODIMP GetIDsOfNames(REFIID Riid, LPOLESTR* Names, UINT Count, LCID Lcid, DISPID* Ids) override;
  STDMETHODIMP Invoke(DISPID Id, REFIID Riid, LCID Lcid, WORD Flags, DISPPARAMS* Params, VARIANT* Result,
                      EXCEPINFO* Excep, UINT* ArgErr) override;

  // ---- IvtFlashPlayer: playback and scripting (player_playback.cpp) ----
  STDMETHODIMP get_ReadyState(LONG* State) override;
  STDMETHODIMP get_TotalFrames(LONG* Frames) override;
  STDMETHODIMP get_Playing(VARIANT_BOOL* Playing) override;
  STDMETHODIMP put_Playing(VARIANT_BOOL Playing) override;
  STDMETHODIMP get_Loop(VARIANT_BOOL* Loop) override;
  STDMETHODIMP put_Loop(VARIANT_BOOL Loop) override;
  STDMETHODIMP get_Movie(BSTR* Path) override;
  STDMETHODIMP put_Movie(BSTR Path) override;
  STDMETHODIMP get_FrameNum(LONG* Frame) override;
  STDMETHODIMP put_FrameNum(LONG Frame) override;
  STDMETHODIMP SetZoomRect(LONG Left, LONG Top, LONG Right, LONG Bottom) override;
  STDMETHODIMP Zoom(int Factor) override;
  STDMETHODIMP Pan(LONG X, LONG Y, int Mode) override;
  STDMETHODIMP Play() override;
  STDMETHODIMP Stop() override;
  STDMETHODIMP Back() override;
  STDMETHODIMP Forward() override;
  STDMETHODIMP Rewind() override;
  STDMETHODIMP StopPlay() override;
  STDMETHODIMP GotoFrame(LONG Frame) override;
  STDMETHODIMP CurrentFrame(LONG* Frame) override;
  STDMETHODIMP IsPlaying(VARIANT_BOOL* Playing) override;
  STDMETHODIMP PercentLoaded(LONG* Percent) override;
  STDMETHODIMP FrameLoaded(LONG Frame, VARIANT_BOOL* Loaded) override;
  STDMETHODIMP FlashVersion(LONG* Version) override;
  STDMETHODIMP LoadMovie(int Layer, BSTR Url) override;
  STDMETHODIMP TGotoFrame(BSTR Target, LONG Frame) override;
  STDMETHODIMP TGotoLabel(BSTR Target, BSTR Label) override;
  STDMETHODIMP TCurrentFrame(BSTR Target, LONG* Frame) override;
  STDMETHODIMP TCurrentLabel(BSTR Target, BSTR* Label) override;
  STDMETHODIMP TPlay(BSTR Target) override;
  STDMETHODIMP TStopPlay(BSTR Target) override;
  STDMETHODIMP SetVariable(BSTR Name, BSTR Value) override;
  STDMETHODIMP GetVariable(BSTR Name, BSTR* Value) override;
  STDMETHODIMP TSetProperty(BSTR Target, int Property, BSTR Value) override;
  STDMETHODIMP TGetProperty(BSTR Target, int Property, BSTR* Value) override;
  STDMETHODIMP TCallFrame(BSTR Target, int Frame) override;
  STDMETHODIMP TCallLabel(BSTR Target, BSTR Label) override;
  STDMETHODIMP TSetPropertyNum(BSTR Target, int Property, double Value) override;
  STDMETHODIMP TGetPropertyNum(BSTR Target, int Property, double* Value) override;
  STDMETHODIMP TGetPropertyAsNumber(BSTR Target, int Property, double* Value) override;
  STDMETHODIMP EnforceLocalSecurity() override;
  STDMETHODIMP CallFunction(BSTR Request, BSTR* Response) override;
  STDMETHODIMP SetReturnValue(BSTR Value) override;
  STDMETHODIMP DisableLocalSecurity() override;

  // ---- IvtFlashPlayer: stored properties (player_properties.cpp) ----
  STDMETHODIMP get_Quality(vtFlashQuality* Quality) override;
  STDMETHODIMP put_Quality(vtFlashQuality Quality) override;
  STDMETHODIMP get_ScaleMode(vtFlashScaleMode* Scale) override;
  STDMETHODIMP put_ScaleMode(vtFlashScaleMode Scale) override;
  STDMETHODIMP get_AlignMode(int* Align) override;
  STDMETHODIMP put_AlignMode(int Align) override;
  STDMETHODIMP get_BackgroundColor(LONG* Color) override;
  STDMETHODIMP put_BackgroundColor(LONG Color) override;
  STDMETHODIMP get_WMode(BSTR* Value) override;
  STDMETHODIMP put_WMode(BSTR Value) override;
  STDMETHODIMP get_SAlign(BSTR* Value) override;
  STDMETHODIMP put_SAlign(BSTR Value) override;
  STDMETHODIMP get_Menu(VARIANT_BOOL* Value) override;
  STDMETHODIMP put_Menu(VARIANT_BOOL Value) override;
  STDMETHODIMP get_Base(BSTR* Value) override;
  STDMETHODIMP put_Base(BSTR Value) override;
  STDMETHODIMP get_Scale(BSTR* Value) override;
  STDMETHODIMP put_Scale(BSTR Value) override;
  STDMETHODIMP get_DeviceFont(VARIANT_BOOL* Value) override;
  STDMETHODIMP put_DeviceFont(VARIANT_BOOL Value) override;
  STDMETHODIMP get_EmbedMovie(VARIANT_BOOL* Value) override;
  STDMETHODIMP put_EmbedMovie(VARIANT_BOOL Value) override;
  STDMETHODIMP get_BGColor(BSTR* Value) override;
  STDMETHODIMP put_BGColor(BSTR Value) override;
  STDMETHODIMP get_Quality2(BSTR* Value) override;
  STDMETHODIMP put_Quality2(BSTR Value) override;
  STDMETHODIMP get_SWRemote(BSTR* Value) override;
  STDMETHODIMP put_SWRemote(BSTR Value) override;
  STDMETHODIMP get_FlashVars(BSTR* Value) override;
  STDMETHODIMP put_FlashVars(BSTR Value) override;
  STDMETHODIMP get_AllowScriptAccess(BSTR* Value) override;
  STDMETHODIMP put_AllowScriptAccess(BSTR Value) override;
  STDMETHODIMP get_MovieData(BSTR* Value) override;
  STDMETHODIMP put_MovieData(BSTR Value) override;
  STDMETHODIMP get_InlineData(IUnknown** Value) override;
  STDMETHODIMP put_InlineData(IUnknown* Value) override;
  STDMETHODIMP get_SeamlessTabbing(VARIANT_BOOL* Value) override;
  STDMETHODIMP put_SeamlessTabbing(VARIANT_BOOL Value) override;
  STDMETHODIMP get_Profile(VARIANT_BOOL* Value) override;
  STDMETHODIMP put_Profile(VARIANT_BOOL Value) override;
  STDMETHODIMP get_ProfileAddress(BSTR* Value) override;
  STDMETHODIMP put_ProfileAddress(BSTR Value) override;
  STDMETHODIMP get_ProfilePort(LONG* Value) override;
  STDMETHODIMP put_ProfilePort(LONG Value) override;
  STDMETHODIMP get_AllowNetworking(BSTR* Value) override;
  STDMETHODIMP put_AllowNetworking(BSTR Value) override;
  STDMETHODIMP get_AllowFullScreen(BSTR* Value) override;
  STDMETHODIMP put_AllowFullScreen(BSTR Value) override;

  // ---- IOleObject (ole_object.cpp) ----
  STDMETHODIMP SetClientSite(IOleClientSite* Site) override;
  STDMETHODIMP GetClientSite(IOleClientSite** Site) override;
  STDMETHODIMP SetHostNames(LPCOLESTR App, LPCOLESTR Obj) override;
  STDMETHODIMP Close(DWORD SaveOption) override;
  STDMETHODIMP SetMoniker(DWORD Which, IMoniker* Mk) override;
  STDMETHODIMP GetMoniker(DWORD Assign, DWORD Which, IMoniker** Mk) override;
  STDMETHODIMP InitFromData(IDataObject* Data, BOOL Creation, DWORD Reserved) override;
  STDMETHODIMP GetClipboardData(DWORD Reserved, IDataObject** Data) override;
  STDMETHODIMP DoVerb(LONG Verb, LPMSG Msg, IOleClientSite* ActiveSite, LONG Index, HWND Parent,
                      LPCRECT PosRect) override;
  STDMETHODIMP EnumVerbs(IEnumOLEVERB** Verbs) override;
  STDMETHODIMP Update() override;
  STDMETHODIMP IsUpToDate() override;
  STDMETHODIMP GetUserClassID(CLSID* Clsid) override;
  STDMETHODIMP GetUserType(DWORD Form, LPOLESTR* Type) override;
  STDMETHODIMP SetExtent(DWORD Aspect, SIZEL* Size) override;
  STDMETHODIMP GetExtent(DWORD Aspect, SIZEL* Size) override;
  STDMETHODIMP Advise(IAdviseSink* Sink, DWORD* Cookie) override;
  STDMETHODIMP Unadvise(DWORD Cookie) override;
  STDMETHODIMP EnumAdvise(IEnumSTATDATA** Advises) override;
  STDMETHODIMP GetMiscStatus(DWORD Aspect, DWORD* Status) override;
  STDMETHODIMP SetColorScheme(LOGPALETTE* Pal) override;

  // ---- IOleControl (ole_object.cpp) ----
  STDMETHODIMP GetControlInfo(CONTROLINFO* Info) override;
  STDMETHODIMP OnMnemonic(MSG* Msg) override;
  STDMETHODIMP OnAmbientPropertyChange(DISPID Id) override;
  STDMETHODIMP FreezeEvents(BOOL Freeze) override;

  // ---- IPersistStreamInit (persistence.cpp) ----
  STDMETHODIMP GetClassID(CLSID* Clsid) override;
  STDMETHODIMP IsDirty() override;
  STDMETHODIMP Load(LPSTREAM Stream) override;
  STDMETHODIMP Save(LPSTREAM Stream, BOOL ClearDirty) override;
  STDMETHODIMP GetSizeMax(ULARGE_INTEGER* Size) override;
  STDMETHODIMP InitNew() override;

  // ---- IOleWindow, IOleInPlaceObject(Windowless), IOleInPlaceActiveObject (in_place.cpp) ----
  STDMETHODIMP GetWindow(HWND* Window) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL Enter) override;
  STDMETHODIMP InPlaceDeactivate() override;
  STDMETHODIMP UIDeactivate() override;
  STDMETHODIMP SetObjectRects(LPCRECT Pos, LPCRECT Clip) override;
  STDMETHODIMP ReactivateAndUndo() override;
  STDMETHODIMP OnWindowMessage(UINT Msg, WPARAM WParam, LPARAM LParam, LRESULT* Result) override;  // input.cpp
  STDMETHODIMP GetDropTarget(IDropTarget** Target) override;
  STDMETHODIMP TranslateAccelerator(LPMSG Msg) override;
  STDMETHODIMP OnFrameWindowActivate(BOOL Activate) override;
  STDMETHODIMP OnDocWindowActivate(BOOL Activate) override;
  STDMETHODIMP ResizeBorder(LPCRECT Border, IOleInPlaceUIWindow* Window, BOOL FrameWindow) override;
  STDMETHODIMP EnableModeless(BOOL Enable) override;

  // ---- IViewObject2 (view_object.cpp) ----
  STDMETHODIMP Draw(DWORD Aspect, LONG Index, void* Aspect2, DVTARGETDEVICE* Device, HDC TargetDc, HDC Dc,
                    LPCRECTL Bounds, LPCRECTL WBounds, BOOL(STDMETHODCALLTYPE* Continue)(ULONG_PTR),
                    ULONG_PTR ContinueArg) override;
  STDMETHODIMP GetColorSet(DWORD Aspect, LONG Index, void* Aspect2, DVTARGETDEVICE* Device, HDC TargetDc,
                           LOGPALETTE** Colors) override;
  STDMETHODIMP Freeze(DWORD Aspect, LONG Index, void* Aspect2, DWORD* Freeze) override;
  STDMETHODIMP Unfreeze(DWORD Freeze) override;
  STDMETHODIMP SetAdvise(DWORD Aspects, DWORD Flags, IAdviseSink* Sink) override;
  STDMETHODIMP GetAdvise(DWORD* Aspects, DWORD* Flags, IAdviseSink** Sink) override;
  STDMETHODIMP GetExtent(DWORD Aspect, LONG Index, DVTARGETDEVICE* Device, LPSIZEL Size) override;

  // ---- IConnectionPointContainer (connection_points.cpp) ----
  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** Points) override;
  STDMETHODIMP FindConnectionPoint(REFIID Riid, IConnectionPoint** Point) override;

  // ---- IPerPropertyBrowsing (property_browsing.cpp) ----
  STDMETHODIMP GetDisplayString(DISPID Id, BSTR* Text) override;
  STDMETHODIMP MapPropertyToPage(DISPID Id, CLSID* Page) override;
  STDMETHODIMP GetPredefinedStrings(DISPID Id, CALPOLESTR* Strings, CADWORD* Cookies) override;
  STDMETHODIMP GetPredefinedValue(DISPID Id, DWORD Cookie, VARIANT* Value) override;

  // ---- IProvideClassInfo (dispatch.cpp) ----
  STDMETHODIMP GetClassInfo(ITypeInfo** Info) override;

  // ---- MovieHost (host_calls.cpp) ----
  void RequestUrl(int RequestId, const std::string& Url, const std::string& PostData) override;
  void FSCommand(const std::string& Command, const std::string& Args) override;
  std::string CallExternal(const std::string& Name, const std::vector<swf::ExternalValue>& Args) override;
  void Invalidate(const swf::IntRect& Rect) override;
  void Log(const std::string& Text) override;
  swf::FontService* Fonts() override { return fonts_.get(); }

  // ---- from the frame timer and the bind callbacks ----
  void Tick();
  // Bytes of request Token; false when the request is gone or has failed.
  bool ReceiveData(uint64_t Token, const uint8_t* Data, size_t Size);
  void ReceiveExpectedSize(uint64_t Token, size_t Size);
  void CompleteRequest(uint64_t Token, bool Ok);

 private:
  // ---- loading (movie_loading.cpp) ----
  void LoadFirstMovie(const std::wstring& Url);
  void StartMovie(std::vector<uint8_t> Bytes);
  // FlashVars, then the variables set before the movie existed, in order.
  void ApplyFlashVars();
  void StartTimer();
  void StopTimer();
  // ---- requests (requests.cpp) ----
  void Fetch(bool FirstMovie, int EngineId, const std::wstring& Name);
  ContentRequest* FindRequest(uint64_t Token) const;
  bool FetchThroughBindHost(IBindHost* Host, uint64_t Token, const std::wstring& Name);
  void FetchFromFile(uint64_t Token, const std::wstring& Name);
  vt::TComPtr<IBindHost> BindHost() const;
  std::wstring ResolveFileName(const std::wstring& Request) const;
  // ---- events (events.cpp) ----
  void FireEvent(DISPID Id, vt::TDispArgs& Args);
  void SetReadyState(LONG State);
  void ReportProgress(const ContentRequest& R);
  void PropertyChanged(DISPID Id);
  // ---- in place (in_place.cpp) ----
  HRESULT ActivateInPlace(IOleClientSite* Site);
  // False when the size did not change.
  bool SetViewportFromPos();
  // ---- dispatch (dispatch.cpp) ----
  HRESULT LoadTypeInfo();
  void ReadAmbientProperties(DISPID Id);
  bool transparent() const;

  ControlProperties props_;
  // Variables set while no movie existed (UTF-8 name and value), for the
  // first movie to start with.
  std::vector<std::pair<std::string, std::string>> pendingVariables_;
  // The query of the first movie's URL ("a=1&b=2"): variables of the movie,
  // as a player sets them from the address it was given.
  std::wstring firstMovieQuery_;
  bool dirty_ = false;
  // Device fonts; declared before the movie, whose scene may point at its glyphs.
  std::unique_ptr<swf::FontService> fonts_ = swfwin::MakeGdiFontService();
  std::unique_ptr<swf::MovieInstance> movie_;
  std::wstring movieFolder_;  // the first movie's folder (relative names), when it came from a file
  LONG readyState_ = READYSTATE_UNINITIALIZED;
  LONG lastProgress_ = -1;

  vt::TComPtr<IOleClientSite> clientSite_;
  vt::TComPtr<IOleInPlaceSiteWindowless> inPlaceSite_;
  vt::TComPtr<IAdviseSink> viewSink_;
  DWORD viewAspects_ = 0, viewFlags_ = 0;
  vt::TComPtr<IUnknown> inlineData_;
  bool active_ = false;
  RECT pos_{};
  int32_t width_ = 0, height_ = 0;  // the viewport; 0 until a size is known
  swfwin::FrameLayer layer_;        // the transparent frame, kept until the movie changes
  UINT_PTR timer_ = 0;
  UINT frameInterval_ = 83;  // milliseconds
  swfwin::AnsiCharReader chars_;

  bool userMode_ = true;
  std::wstring displayName_;
  LONG freezeCount_ = 0;
  std::wstring* returnSlot_ = nullptr;  // the FlashCall event in progress

  vt::TComPtr<ITypeLib> typeLib_;
  vt::TComPtr<ITypeInfo> dispatchInfo_, vtableInfo_;

  ConnectionPoint events_, propertyNotify_;
  std::vector<std::unique_ptr<ContentRequest>> requests_;
};

}  // namespace flashctl
