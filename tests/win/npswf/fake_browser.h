#pragma once
// A tiny browser for the plug-in module: loads NPSWF32.dll, hands it a
// browser function table that records every call, serves requests from
// in-memory files the way the package's driver does (one stream: NewStream,
// Write, URLNotify, DestroyStream) and repaints inside NPN_InvalidateRect
// (SetWindow, then WM_PAINT clipped to the rectangle).

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "renderers/npapi/npapi.h"

namespace npswf_test {

struct Module {
  HMODULE handle = nullptr;
  NPPluginFuncs funcs{};
  NP_GetEntryPointsFunc getEntryPoints = nullptr;
  NP_InitializeFunc initialize = nullptr;
  NP_ShutdownFunc shutdown = nullptr;
  Flash_DisableLocalSecurityFunc disableLocalSecurity = nullptr;
};
// Loaded once per process; NP_GetEntryPoints already called.
Module& TheModule();

// A 32-bit DIB section selected into a memory device context.
class Surface {
 public:
  Surface(int Width, int Height, bool TopDown = true);
  ~Surface();
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;
  HDC dc() const { return dc_; }
  int width() const { return width_; }
  int height() const { return height_; }
  uint32_t Pixel(int X, int Y) const;  // 0xAARRGGBB, (0,0) the top left
  void Fill(uint32_t Pixel);

 private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  uint32_t* bits_ = nullptr;
  int width_, height_;
  bool topDown_;
};

class Browser;

// One plug-in instance created through the module's table.
class Plugin {
 public:
  Plugin(Browser& B, std::vector<std::pair<std::string, std::string>> Args);
  ~Plugin();  // NPP_Destroy unless already destroyed
  NPP npp() { return &npp_; }
  NPObject* script() const { return script_; }
  NPError Destroy();
  bool destroyed() const { return destroyed_; }
  // A drawable window on Surface (its size unless given).
  NPError SetWindow(Surface& S, int Width = -1, int Height = -1);
  int16_t Event(uint16_t Message, uintptr_t WParam = 0, uintptr_t LParam = 0);
  int16_t Paint() { return Event(WM_PAINT); }
  // Invokes Method on the scriptable object; Result is preset to void.
  bool Invoke(const char* Method, std::vector<NPVariant> Args, NPVariant* Result = nullptr);
  // Shortcuts that expect the invoke to succeed.
  int32_t Int(const char* Method);
  bool Bool(const char* Method);
  std::string Text(const char* Method, std::vector<NPVariant> Args);
  void LoadMovie(const std::string& Url, int Layer = 0);

 private:
  Browser& browser_;
  NPP_t npp_{};
  NPObject* script_ = nullptr;
  bool destroyed_ = false;
};

NPVariant IntArg(int32_t V);
NPVariant DoubleArg(double V);
NPVariant BoolArg(bool V);
NPVariant TextArg(const char* V);  // points at V: keep it alive

// The browser: one at a time (its functions are plain C functions).
class Browser {
 public:
  Browser();   // NP_Initialize with its table
  ~Browser();  // NP_Shutdown
  Browser(const Browser&) = delete;
  Browser& operator=(const Browser&) = delete;
  static Browser& Current();

  NPNetscapeFuncs table{};

  // ---- what the module did ----
  struct Request {
    NPP npp;
    std::string url;
    void* notifyData;
  };
  std::vector<Request> requests;                                // NPN_GetURLNotify, all of them
  std::vector<NPRect> invalidated;                              // NPN_InvalidateRect
  std::vector<std::pair<std::string, std::string>> fscommands;  // NPN_Invoke "_DoFSCommand"
  std::vector<std::string> scripts;                             // NPN_Evaluate
  std::vector<std::string> calls;                               // every browser call by name
  int windowHandedOut = 0, windowReleased = 0;
  int allocations = 0;

  // ---- how it answers ----
  std::map<std::string, std::vector<uint8_t>> files;  // served at once, in one stream
  std::string answer;                                 // to NPN_Evaluate
  Surface* surface = nullptr;                         // painted into inside NPN_InvalidateRect
  std::function<void(NPP)> onInvalidate, onFSCommand, onEvaluate;

  // Delivers Bytes as a stream for NotifyData: in one write, or as a
  // download (a URLNotify after every piece, then URLNotify and DestroyStream).
  void Deliver(NPP Npp, void* NotifyData, const std::vector<uint8_t>& Bytes, NPReason End = NPRES_DONE,
               size_t Piece = 0);

  NPObject window{};
};

// SWF bytes of a movie description.
std::vector<uint8_t> MovieBytes(const std::string& Description);
// Runs the thread's message loop for Milliseconds.
void PumpMessages(int Milliseconds);
// Runs it until Done holds (true) or TimeoutMs have passed (false).
bool PumpUntil(const std::function<bool()>& Done, int TimeoutMs = 3000);

}  // namespace npswf_test
