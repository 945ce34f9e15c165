#pragma once
// Vt_driver_netscape: the driver that hosts the Flash plug-in module
// (npswf32.dll) through NPAPI, acting as its browser. The unit loads the
// module once per process and exchanges the function tables with it; each
// TvtFlashDriverNS owns one windowless plug-in instance that draws into the
// driver's frame buffer, receives the player's input, is fed its data as
// NPAPI streams and is scripted through the movie's scriptable object.

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "renderers/npapi/npapi.h"
#include "vt_d7/Vt_flashplayer.h"
#include "vt_d7/url_request.h"

namespace vt {

// Where the unit looks for the module, in this order of precedence: a file
// "npswf32.dll" in AppFolder, the string value "Path" of the key KeyPath
// under RegistryRoot (a key without that value yields an empty path), then
// DefaultPath.
struct TvtPluginLocation {
  std::wstring AppFolder;
  HKEY RegistryRoot = HKEY_LOCAL_MACHINE;
  std::wstring KeyPath;
  std::wstring DefaultPath;
};

// The real locations: the running executable's folder, HKLM
// SOFTWARE\MozillaPlugins\@adobe.com/FlashPlayer, and the system's Flash
// folder.
TvtPluginLocation DefaultPluginLocation();

// Code page of all 8-bit text exchanged with the module (URLs, names,
// strings); the system ANSI code page unless a test sets another.
extern unsigned NetscapeCodePage;

// Loads the module from the real locations once; does nothing while the unit
// is initialised. The first call registers FinalizeNetscapeDriverUnit with
// std::atexit. CheckFlashPlugins calls it.
void InitializeNetscapeDriverUnit();
// For tests: finalises the unit first, then loads from Location. Raises
// EInvalidOperation while plug-in drivers are alive.
void InitializeNetscapeDriverUnit(const TvtPluginLocation& Location);
// Shuts the module down (NP_Shutdown) and unloads it; deferred while plug-in
// drivers are alive, until the last one is destroyed.
void FinalizeNetscapeDriverUnit();

// What the unit holds, for inspection.
bool NetscapeUnitInitialized();
bool NetscapeModuleLoaded();
const std::string& NetscapeModulePath();
const NPNetscapeFuncs& NetscapeBrowserFuncs();
const NPPluginFuncs& NetscapePluginFuncs();
int NetscapeDriverCount();

// The plug-in driver. Every operation that reaches the module does nothing
// (or answers its empty value) while the module is not loaded.
class TvtFlashDriverNS : public TvtFlashDriver {
 public:
  NPP_t FInstance{};
  NPObject* FScriptObject = nullptr;
  std::wstring FReturnValue;
  NPWindow FWindow{};

  // Steps one and two of construction; Create adds the sizing and the
  // plug-in instance.
  explicit TvtFlashDriverNS(uint32_t ABackground);
  ~TvtFlashDriverNS() override;
  static std::unique_ptr<TvtFlashDriverNS> Create(int32_t AWidth, int32_t AHeight, uint32_t ABackground);

  // True when the module is loaded and filled NPP_New into its table.
  static bool PluginExists();
  std::wstring ClassName() const override { return L"TvtFlashDriverNS"; }
  const TvtFlashDriverClass& ClassType() const override;

  void ResizeBuffer() override;
  // A change of the background's alpha byte re-creates the buffers; the
  // module then gets the new device context at once.
  void SetBackground(uint32_t Value) override;
  void ForceUpdate() override;

  void MouseDown(vcl::TMouseButton Button, vcl::TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseMove(vcl::TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseUp(vcl::TMouseButton Button, vcl::TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseWheel(vcl::TShiftState Shift, int32_t X, int32_t Y, int32_t WheelDelta, bool& Handled) override;
  void KeyDown(uint16_t& Key, vcl::TShiftState Shift) override;
  void KeyPress(wchar_t& Key, vcl::TShiftState Shift) override;
  void KeyUp(uint16_t& Key, vcl::TShiftState Shift) override;

  void LoadMovie(const std::wstring& Movie) override;
  // Copies the whole of Stream (from its start) and starts the movie it
  // holds under a name with the copy's token; the copy waits, owned by the
  // driver, until the module requests that name, and is freed with the
  // driver when it never does.
  void LoadMovieFromStream(vcl::TStream* Stream) override;
  std::wstring GetVariable(const std::wstring& Name) override;
  void SetVariable(const std::wstring& Name, const std::wstring& Value) override;
  std::wstring CallFunction(const std::wstring& Request) override;
  void SetReturnValue(const std::wstring& Value) override { FReturnValue = Value; }
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

  // The plug-in instance: NPP_New with the embedding arguments and the
  // movie's scriptable object; NPP_Destroy.
  void CreatePlugin();
  void DestroyPlugin();
  // Serves one data request of the module (NPN_GetURLNotify without target):
  // a file, a stored movie, an application stream, a resource of the
  // package, or a download. Nothing reaches the module when nothing matches.
  void CreateStream(const std::wstring& URL, void* NotifyData);
  // Application streams waiting for their request.
  int PendingStreamCount() const { return static_cast<int>(pendingStreams_.size()); }

  // The plug-in instance exists and belongs to this driver.
  bool InstanceReady() const;
  // Counts the instances created: a download delivers only to the one it
  // was opened for.
  uint32_t InstanceGeneration() const { return generation_; }

  // Hands the module the frame buffer's device context and size, then
  // repaints everything.
  void RefreshWindow();
  // Paints ARect of the buffer through the module (NPN_InvalidateRect):
  // clamped to the buffer, rendered, reported through FOnPaint. Entered
  // again from inside the module's painting, the rectangle is painted once
  // the current pass has finished.
  void PaintRect(vcl::TRect ARect);

  // The driver an instance record belongs to, or nullptr when it names no
  // live plug-in driver.
  static TvtFlashDriverNS* FromInstance(NPP Instance);

  // Browser side of scripting (NPN_Invoke "_DoFSCommand", NPN_Evaluate).
  bool HandleInvoke(NPIdentifier MethodName, const NPVariant* Args, uint32_t ArgCount, NPVariant* Result);
  bool HandleEvaluate(NPString* Script, NPVariant* Result);

 private:
  bool Invoke(const char* Method, const NPVariant* Args, uint32_t ArgCount, NPVariant& Result);
  void InvokeVoid(const char* Method, const NPVariant* Args = nullptr, uint32_t ArgCount = 0);
  bool InvokeBool(const char* Method);
  int32_t InvokeInt(const char* Method);
  std::wstring InvokeString(const char* Method, const std::wstring& Argument);
  void InvokeLoadMovie(const std::wstring& URL);
  // The FLV player movie, pointed at the video at ContentPath through its
  // three variables; FFlvMode set once all went through.
  void LoadFlvPlayer(const std::wstring& ContentPath);
  void HandleEvent(uint16_t Event, uintptr_t WParam, uintptr_t LParam);
  void PaintPass(const vcl::TRect& R);
  bool RenderInto(HDC DC, const vcl::TRect& R);
  // Data requests, one step each (netscape_sources.cpp, netscape_streams.cpp).
  std::unique_ptr<vcl::TStream> FindSource(const std::wstring& URL);
  std::unique_ptr<vcl::TStream> TakePendingStream(const std::wstring& URL);
  void DeliverSource(const std::wstring& URL, vcl::TStream& Source, void* NotifyData, const TQueryPairs& Query);
  void StartDownload(const std::wstring& URL, void* NotifyData);

  // Copies made by LoadMovieFromStream, by token, until requested.
  std::map<uint32_t, std::unique_ptr<vcl::TMemoryStream>> pendingStreams_;
  uint32_t generation_ = 0;
  // The 8-bit answer to the last NPN_Evaluate, readable by the module
  // until the next one.
  std::string evaluateAnswer_;
};

// Class reference of the plug-in driver.
const TvtFlashDriverClass& TvtFlashDriverNSClass();

}  // namespace vt
