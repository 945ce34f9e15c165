#pragma once
// Vt_driver_activex: the driver that hosts the Flash ActiveX control. Each
// TvtFlashDriverActiveX creates one instance of the control, activates it in
// place and windowless through an OLE site of its own (client site, control
// site, windowless in-place site, frame, ambient properties), and talks to
// it through its dual interface IvtFlashPlayer and its events.
//
// The control calls back into the site from inside the driver's own calls
// (activation, property writes, drawing, events); the site and the event
// sink are COM objects of their own that outlive the driver while the
// control still holds them, and answer as for a failure once their driver
// is gone.

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>
#include <urlmon.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "renderers/com/com_object.h"
#include "renderers/flashocx/flash_player.h"
#include "vt_d7/Vt_flashplayer.h"

namespace vt {

// {D27CDB6E-AE6D-11CF-96B8-444553540000}: the control's class.
extern const CLSID CLASS_vtFlashPlayer;

// ---- the control description shared by all drivers ----

// One member of an enumerated property: its value and its name without
// leading underscores.
struct TEnumValue {
  int32_t MemberValue = 0;
  std::string MemberName;
};
using TEnumValueList = std::vector<TEnumValue>;

// A property of the control whose type is an enumeration, with its members
// read from the control's type information.
class TEnumPropDesc {
 public:
  // Reads Count members of the enumeration EnumType; raises EOleException
  // when the type information fails.
  TEnumPropDesc(DISPID DispId, int32_t Count, ITypeInfo* EnumType);

  DISPID FPropDispId;
  int32_t FMemberCount;
  TEnumValueList FMembers;

  // "value - name" of each member, in order.
  void GetStrings(const std::function<void(const std::string&)>& Callback) const;
  // "value - name" of the member with Value, or Value in decimal.
  std::string ValueToString(int32_t Value) const;
  // A leading number ("-" and digits) names a member value; otherwise a
  // member name in any letter case. Raises EConvertError for a malformed
  // number and EOleException when nothing matches.
  int32_t StringToValue(const std::string& S) const;
};
using TEnumPropDescList = std::vector<std::unique_ptr<TEnumPropDesc>>;

struct TFlashControlData {
  CLSID ClassId;
  IID EventInterfaceId;
  uint32_t EventCount;
  const DISPID* EventDispIds;
  uint32_t Flags;
  uint32_t Version;
  uint32_t FontCount;
  const DISPID* FontIds;
  uint32_t PictureCount;
  const DISPID* PictureIds;
  uint32_t Reserved;
  // Live drivers that use this description.
  uint32_t InstanceCount;
  // Built by CreateEnumPropDescs; freed with the last driver.
  std::unique_ptr<TEnumPropDescList> EnumPropDescs;
  // Index of the first of the four event slots in a driver's slot table.
  uint32_t FirstEventOffset;
};
extern TFlashControlData FlashControlData;

// The control's event DISPIDs in slot order: ready-state change, progress,
// FSCommand, FlashCall.
inline constexpr DISPID kFlashEventDispIds[4] = {-609, 1958, 150, 197};

// ---- unit state ----

// Set once the probe has run, whatever its outcome.
extern bool FlashActiveXChecked;
// Set when the probe could create the control.
extern bool FlashActiveXAvailable;

// One-time probe: creates the control (in-process or local server) for
// IOleObject and releases it at once. A failure is silent and final for the
// process. COM need not be initialised: the probe then uses a short-lived
// apartment of its own.
void CheckFlashActiveX();

// Forgets the probe's result, so tests can try other machine setups. The
// second form also names the class the probe and the drivers create: a class
// nobody registered makes the machine look as if no control were installed;
// a test's own class object (CoRegisterClassObject) stands in for the control.
void InitializeActiveXDriverUnit();
void InitializeActiveXDriverUnit(const CLSID& ControlClass);

// Code page of the characters KeyPress hands the control; the system ANSI
// code page unless a test sets another.
extern unsigned ActiveXCodePage;

// The key-state flags of mouse messages for a shift state: Ctrl, Shift, Alt
// (0x20), the left and right buttons.
WPARAM ShiftToKeyFlags(vcl::TShiftState Shift);

// Event method types of the control's events (the driver is ASender).
using TvtFlashPlayerOnReadyStateChange = std::function<void(vcl::TObject* ASender, int32_t newState)>;
using TvtFlashPlayerOnProgress = std::function<void(vcl::TObject* ASender, int32_t percentDone)>;
using TvtFlashPlayerFSCommand =
    std::function<void(vcl::TObject* ASender, const std::wstring& command, const std::wstring& args)>;
using TvtFlashPlayerFlashCall = std::function<void(vcl::TObject* ASender, const std::wstring& request)>;
// One event slot, by its index in the slot table plus one (the first two
// share a type); monostate for a DISPID that has no slot.
using TvtFlashEventMethod = std::variant<std::monostate, TvtFlashPlayerOnReadyStateChange, TvtFlashPlayerOnProgress,
                                         TvtFlashPlayerFSCommand, TvtFlashPlayerFlashCall>;

// A method call through the control's IDispatch: its DISPID, the call type
// (DISPATCH_METHOD, DISPATCH_PROPERTYGET, ...) and the type the result is
// stored as (VT_EMPTY: no result).
struct TCallDesc {
  DISPID DispId = 0;
  WORD CallType = DISPATCH_METHOD;
  VARTYPE ResultType = VT_EMPTY;
};

// A display string of a property and the cookie the control gave it.
struct TPropDisplayString {
  std::string Text;
  DWORD Cookie = 0;
};

class TActiveXSite;
class TEventDispatch;
class TBindHost;
class TBindForwarder;

// The ActiveX driver. A driver whose control could not be created exists
// without one (FFlashNotAvailable) and does nothing.
class TvtFlashDriverActiveX : public TvtFlashDriver {
 public:
  TFlashControlData* FControlData = nullptr;
  // The event sink; detached from the driver when it is destroyed.
  TComPtr<TEventDispatch> FEventDispatch;
  HGLOBAL FObjectData = nullptr;
  TComPtr<IOleObject> FOleObject;
  TComPtr<IPersistStreamInit> FPersistStream;
  TComPtr<IDispatch> FControlDispatch;
  TComPtr<IPerPropertyBrowsing> FPropBrowsing;
  TComPtr<IViewObject> FViewObject;
  DWORD FPropConnection = 0;
  DWORD FEventsConnection = 0;
  DWORD FMiscStatus = 0;
  TComPtr<IOleInPlaceObjectWindowless> FOleInPlaceObjectWindowless;
  TComPtr<IOleControl> FOleControl;
  TComPtr<IOleWindow> FOleWindow;
  TComPtr<IOleInPlaceObject> FOleInPlaceObject;
  TComPtr<IOleInPlaceActiveObject> FOleInPlaceActiveObject;
  bool FFlashNotAvailable = false;
  // One-shot permission for the windowless site's GetWindow.
  bool FLendParentWindow = false;
  TvtFlashPlayerOnReadyStateChange FOnReadyStateChange;
  TvtFlashPlayerOnProgress FOnProgress;
  TvtFlashPlayerFSCommand FOnControlFSCommand;
  TvtFlashPlayerFlashCall FOnControlFlashCall;
  std::wstring FBindUrl;
  TComPtr<IvtFlashPlayer> FControlInterface;

  // Steps one to three of construction; Create adds the sizing and the
  // control. A constructed driver without control is inert.
  explicit TvtFlashDriverActiveX(uint32_t ABackground);
  ~TvtFlashDriverActiveX() override;
  // The whole construction. Raises EOleException when the control fails a
  // step; nothing of the half-made driver is left then.
  static std::unique_ptr<TvtFlashDriverActiveX> Create(int32_t AWidth, int32_t AHeight, uint32_t ABackground);

  static bool PluginExists() { return FlashActiveXAvailable; }
  std::wstring ClassName() const override { return L"TvtFlashDriverActiveX"; }
  const TvtFlashDriverClass& ClassType() const override;
  // Renames the driver and tells the control its display name changed.
  void SetName(const std::wstring& NewName) override;

  // IvtFlash and IUnknown as every driver answers them; the site's
  // interfaces (client site, in-place site, frame, ...) from its site.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
  // The site's interfaces, for the control (and tests): S_OK with the view of
  // Iid, or E_NOINTERFACE.
  HRESULT SiteQueryInterface(REFIID Iid, void** Object);
  // The bind host's interfaces (IBindHost, IMoniker and its bases), which
  // the site hands out as the bind-host service.
  HRESULT BindHostQueryInterface(REFIID Iid, void** Object);
  // References the control holds on the site and the sink.
  ULONG SiteRefCount() const;

  bool GetIsFlashAvailable() const { return !FFlashNotAvailable; }
  void InitControlData();
  void CreateInstance();
  // Initialises the control on first use (client site, persistence,
  // interfaces, connections) and casts it to IvtFlashPlayer; idempotent.
  void CreateControl();
  void DestroyControl();
  void CreateStorage();
  void DestroyStorage();
  // The control's dual interface (a new reference; nil without control).
  TComPtr<IvtFlashPlayer> GetControlInterface();
  // The control's IDispatch, as a variant or an interface; raises
  // EIntfCastError when the control has none.
  void GetOleObject(VARIANT& Result);
  TComPtr<IDispatch> GetDefaultDispatch();

  // ---- properties by DISPID; failures raise EOleException ----
  void GetProperty(DISPID DispId, VARIANT& Value);
  void SetProperty(DISPID DispId, const VARIANT& Value);
  int32_t GetIntegerProp(DISPID DispId);
  void SetIntegerProp(DISPID DispId, int32_t Value);
  uint16_t GetWordProp(DISPID DispId);
  void SetWordProp(DISPID DispId, uint16_t Value);
  float GetSingleProp(DISPID DispId);
  void SetSingleProp(DISPID DispId, float Value);
  VARIANT_BOOL GetOleBoolProp(DISPID DispId);
  void SetOleBoolProp(DISPID DispId, bool Value);
  bool GetWordBoolProp(DISPID DispId);
  void SetWordBoolProp(DISPID DispId, bool Value);
  std::wstring GetWideStringProp(DISPID DispId);
  void SetWideStringProp(DISPID DispId, const std::wstring& Value);
  std::string GetStringProp(DISPID DispId);
  void SetStringProp(DISPID DispId, const std::string& Value);
  TComPtr<IDispatch> GetIDispatchProp(DISPID DispId);
  void SetIDispatchProp(DISPID DispId, IDispatch* Value);
  TComPtr<IUnknown> GetIUnknownProp(DISPID DispId);
  void SetIUnknownProp(DISPID DispId, IUnknown* Value);
  // Automation-compatible variants pass through; Result is cleared first.
  void GetOleVariantProp(DISPID DispId, VARIANT& Result);
  void SetOleVariantProp(DISPID DispId, const VARIANT& Value);
  // Any variant: turned into an automation-compatible one first.
  void GetVariantProp(DISPID DispId, VARIANT& Result);
  void SetVariantProp(DISPID DispId, const VARIANT& Value);
  // Calls a method of the control with Args in declared order; Result (when
  // given) is cleared and receives the answer coerced to the descriptor's
  // result type.
  void InvokeMethod(const TCallDesc& Desc, const std::vector<VARIANT>& Args, VARIANT* Result);

  std::string GetPropDisplayString(DISPID DispId);
  void GetPropDisplayStrings(DISPID DispId, std::vector<TPropDisplayString>& Strings);
  void SetPropDisplayString(DISPID DispId, const std::string& S);
  // The shared enumerated-property descriptors; a second call keeps the list.
  void CreateEnumPropDescs();
  static void DestroyEnumPropDescs();
  // True for the framework's OLE errors; a hook for descendants.
  virtual bool SuppressException(const std::exception& E);

  // ---- events ----
  // Called by the sink for every event of the control.
  virtual void InvokeEvent(DISPID DispId, const DISPPARAMS& Params);
  TvtFlashEventMethod GetEventMethod(DISPID DispId) const;
  void IntfFSCommand(vcl::TObject* Sender, const std::wstring& command, const std::wstring& args);
  void IntfFlashPlayerFlashCall(vcl::TObject* Sender, const std::wstring& request);
  // The two IPropertyNotifySink methods.
  virtual HRESULT OnChanged(DISPID DispId);
  virtual HRESULT OnRequestEdit(DISPID DispId);

  // ---- drawing and input ----
  // Sizes the control to the new buffer and repaints it whole.
  void CreateBuffer() override;
  void ResizeBuffer() override;
  void ForceUpdate() override;
  // Paints ARect (clipped to the buffer) through the control's view object:
  // over the player's background, or, with a transparent background, over
  // black and over white with alpha recovered from the two; then reports it
  // through FOnPaint, also when nothing could be drawn. Entered again from
  // inside the control's drawing, the rectangle is painted once the current
  // pass has finished.
  void Repaint(const vcl::TRect& ARect);
  // Input reaches the control as window messages; ignored while the control
  // is not active windowless.
  void MouseDown(vcl::TMouseButton Button, vcl::TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseMove(vcl::TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseUp(vcl::TMouseButton Button, vcl::TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseWheel(vcl::TShiftState Shift, int32_t X, int32_t Y, int32_t WheelDelta, bool& Handled) override;
  // A key the control takes (S_OK) is cleared.
  void KeyDown(uint16_t& Key, vcl::TShiftState Shift) override;
  void KeyPress(wchar_t& Key, vcl::TShiftState Shift) override;
  void KeyUp(uint16_t& Key, vcl::TShiftState Shift) override;

  // ---- loading ----
  // Has the control load Url under the placeholder prefix, so that it asks
  // the driver for the data; a name containing ".flv" loads the player movie
  // pointed at it. Raises EOleException when the control refuses the load.
  void LoadMovie(const std::wstring& Url) override;
  // Has the control load Stream by a token that names it; the stream is read
  // when the control asks for it (from its start, as often as asked), so the
  // application keeps it alive and unchanged while the movie plays. A stream
  // starting with "FLV" is played through the player movie.
  void LoadMovieFromStream(vcl::TStream* Stream) override;
  // IBindHost.CreateMoniker as the driver answers it: the name resolved into
  // FBindUrl, and the driver's moniker (S_OK), or no moniker (E_NOTIMPL) for
  // a name the driver does not serve.
  HRESULT CreateMoniker(const std::wstring& Name, IMoniker** Moniker);
  // IMoniker.BindToStorage: delivers what FBindUrl names to the status
  // callback the bind context holds under "_BSCB_Holder_" (local sources at
  // once and whole, URLs through the URL moniker library); E_FAIL when there
  // is no such callback or nothing to deliver. Object is always set to nil.
  HRESULT BindToStorage(IBindCtx* Context, void** Object);
  // Application streams the driver can still serve by token.
  size_t StreamCount() const { return streams_.size(); }
  // URL downloads still delivering to the control.
  size_t DownloadCount() const;

  // ---- driver operations ----
  std::wstring GetVariable(const std::wstring& Name) override;
  void SetVariable(const std::wstring& Name, const std::wstring& Value) override;
  std::wstring CallFunction(const std::wstring& Request) override;
  void SetReturnValue(const std::wstring& Value) override;
  void Play() override;
  void StopPlay() override;
  void Rewind() override;
  void Forward() override;
  void Back() override;
  bool GetLoop() override;
  bool GetIsPlaying() override;
  int32_t GetCurrentFrame() override;
  int32_t GetTotalFrames() override;
  void SetLoop(bool Value) override;
  void SetCurrentFrame(int32_t Value) override;

  // The driver is being destroyed: events are dropped.
  bool Destroying() const { return destroying_; }

 private:
  friend class TActiveXSite;
  // Steps four to fifteen of construction.
  void ConstructControl();
  // Gives the control the driver's client site unless it has one.
  void GiveClientSiteIfNone();
  // FControlInterface's FlashVersion major version is at least 8.
  bool VersionAtLeast8(IvtFlashPlayer* Control);

  // Drawing (activex_drawing.cpp) and input (activex_input.cpp).
  void PaintPass(const vcl::TRect& R);
  bool DrawControl(HDC DC, const vcl::TRect& R);
  HRESULT SendWindowMessage(UINT Message, WPARAM WParam, LPARAM LParam);
  void SendMouseMessage(UINT Message, WPARAM WParam, LPARAM LParam);
  // Loading (activex_loading.cpp).
  void ControlLoadMovie(const std::wstring& Url);
  // Sets each variable in turn; false once the driver is gone.
  bool SetVariables(const std::weak_ptr<char>& Alive,
                    std::initializer_list<std::pair<const wchar_t*, std::wstring>> Variables);
  void DeliverStream(vcl::TStream& Source, IBindStatusCallback* Callback);
  HRESULT StartDownload(const std::wstring& Url, IBindStatusCallback* Callback);

  TComPtr<TActiveXSite> site_;
  TComPtr<TBindHost> bindHost_;
  // Application streams by token: the stream of the current movie only, not
  // owned.
  std::map<uint32_t, vcl::TStream*> streams_;
  uint32_t lastToken_ = 0;
  std::vector<TComPtr<TBindForwarder>> downloads_;
  bool destroying_ = false;
};

// Class reference of the ActiveX driver.
const TvtFlashDriverClass& TvtFlashDriverActiveXClass();

}  // namespace vt
