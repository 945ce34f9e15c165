// The recording browser the module's tests drive it with.
#include "tests/win/npswf/fake_browser.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "tools/swfc/compile.h"

namespace npswf_test {
namespace {

Browser* g_current = nullptr;
const char kMime[] = "application/x-shockwave-flash";

NPError GetUrlNotify(NPP Npp, const char* Url, const char* Target, void* NotifyData) {
  Browser& b = Browser::Current();
  b.calls.push_back("geturlnotify");
  b.requests.push_back({Npp, Url ? Url : "", NotifyData});
  if (!Url || std::strstr(Url, "java")) return NPERR_INVALID_URL;
  if (Target) return NPERR_NO_ERROR;
  const auto it = b.files.find(Url);
  if (it == b.files.end()) return NPERR_NO_ERROR;  // nothing found: no answer at all
  const std::vector<uint8_t> bytes = it->second;
  b.Deliver(Npp, NotifyData, bytes);
  if (b.surface) {  // the window refresh after a delivery
    NPWindow w{};
    w.window = b.surface->dc();
    w.width = static_cast<uint32_t>(b.surface->width());
    w.height = static_cast<uint32_t>(b.surface->height());
    w.type = NPWindowTypeDrawable;
    TheModule().funcs.setwindow(Npp, &w);
    NPEvent paint{WM_PAINT, 0, 0};
    TheModule().funcs.event(Npp, &paint);
  }
  return NPERR_NO_ERROR;
}

NPError GetValue(NPP, NPNVariable Variable, void* Value) {
  Browser& b = Browser::Current();
  b.calls.push_back("getvalue");
  if (Variable == NPNVWindowNPObject) {
    b.window.referenceCount = 1;
    ++b.windowHandedOut;
    *static_cast<NPObject**>(Value) = &b.window;
  }
  return NPERR_NO_ERROR;
}

void InvalidateRect(NPP Npp, NPRect* Rect) {
  Browser& b = Browser::Current();
  b.calls.push_back("invalidaterect");
  b.invalidated.push_back(*Rect);
  if (b.onInvalidate) b.onInvalidate(Npp);
  if (b.surface) {
    SaveDC(b.surface->dc());
    IntersectClipRect(b.surface->dc(), Rect->left, Rect->top, Rect->right, Rect->bottom);
    NPEvent paint{WM_PAINT, 0, 0};
    TheModule().funcs.event(Npp, &paint);
    RestoreDC(b.surface->dc(), -1);
  }
}

void* MemAlloc(uint32_t Size) {
  ++Browser::Current().allocations;
  return std::calloc(1, Size ? Size : 1);
}

void MemFree(void* P) { std::free(P); }

NPIdentifier GetStringIdentifier(const NPUTF8* Name) { return const_cast<NPUTF8*>(Name); }

NPObject* RetainObject(NPObject* O) {
  if (O) ++O->referenceCount;
  return O;
}

void ReleaseObject(NPObject* O) {
  Browser& b = Browser::Current();
  b.calls.push_back("releaseobject");
  if (!O) return;
  if (O == &b.window) {
    ++b.windowReleased;
    if (O->referenceCount) --O->referenceCount;
    return;
  }
  if (--O->referenceCount == 0 && O->_class && O->_class->deallocate) O->_class->deallocate(O);
}

std::string Text(const NPVariant& V) {
  if (V.type != NPVariantType_String || !V.value.stringValue.UTF8Characters) return {};
  return std::string(V.value.stringValue.UTF8Characters, V.value.stringValue.UTF8Length);
}

bool Invoke(NPP Npp, NPObject*, NPIdentifier Method, const NPVariant* Args, uint32_t Count, NPVariant*) {
  Browser& b = Browser::Current();
  b.calls.push_back("invoke");
  if (std::strcmp(static_cast<const char*>(Method), "_DoFSCommand") == 0) {
    b.fscommands.emplace_back(Count > 0 ? Text(Args[0]) : "", Count > 1 ? Text(Args[1]) : "");
    if (b.onFSCommand) b.onFSCommand(Npp);
  }
  return true;
}

bool Evaluate(NPP Npp, NPObject*, NPString* Script, NPVariant* Result) {
  Browser& b = Browser::Current();
  b.calls.push_back("evaluate");
  b.scripts.emplace_back(Script->UTF8Characters, Script->UTF8Length);
  if (b.onEvaluate) b.onEvaluate(Npp);
  static std::string kept;  // readable after the call, as the package keeps its answer
  kept = b.answer;
  Result->type = NPVariantType_String;
  Result->value.stringValue = {kept.c_str(), static_cast<uint32_t>(kept.size())};
  return true;
}

}  // namespace

template <typename F>
F Proc(HMODULE Module, const char* Name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(Module, Name)));
}

Module& TheModule() {
  static Module m = [] {
    Module r;
    // The build's path; a Unix one is reached through Wine's drive for "/".
    std::string path = VT_NPSWF_PATH;
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    r.handle = LoadLibraryA(path.c_str());
    if (!r.handle) return r;
    r.getEntryPoints = Proc<NP_GetEntryPointsFunc>(r.handle, "NP_GetEntryPoints");
    r.initialize = Proc<NP_InitializeFunc>(r.handle, "NP_Initialize");
    r.shutdown = Proc<NP_ShutdownFunc>(r.handle, "NP_Shutdown");
    r.disableLocalSecurity = Proc<Flash_DisableLocalSecurityFunc>(r.handle, "Flash_DisableLocalSecurity");
    if (r.getEntryPoints) r.getEntryPoints(&r.funcs);
    return r;
  }();
  return m;
}

// ---- Surface ----

Surface::Surface(int Width, int Height, bool TopDown) : width_(Width), height_(Height), topDown_(TopDown) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = Width;
  info.bmiHeader.biHeight = TopDown ? -Height : Height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bits_ = static_cast<uint32_t*>(bits);
  dc_ = CreateCompatibleDC(nullptr);
  old_ = SelectObject(dc_, bitmap_);
}

Surface::~Surface() {
  SelectObject(dc_, old_);
  DeleteDC(dc_);
  DeleteObject(bitmap_);
}

uint32_t Surface::Pixel(int X, int Y) const {
  GdiFlush();
  const int row = topDown_ ? Y : height_ - 1 - Y;
  return bits_[row * width_ + X];
}

void Surface::Fill(uint32_t Pixel) {
  GdiFlush();
  for (int i = 0; i < width_ * height_; ++i) bits_[i] = Pixel;
}

// ---- Plugin ----

Plugin::Plugin(Browser& B, std::vector<std::pair<std::string, std::string>> Args) : browser_(B) {
  std::vector<char*> names, values;
  for (auto& [n, v] : Args) {
    names.push_back(n.data());
    values.push_back(v.data());
  }
  const NPError e =
      TheModule().funcs.newp(const_cast<char*>(kMime), &npp_, NP_EMBED, static_cast<int16_t>(Args.size()),
                             names.data(), values.data(), nullptr);
  EXPECT_EQ(e, NPERR_NO_ERROR);
  TheModule().funcs.getvalue(&npp_, NPPVpluginScriptableNPObject, &script_);
}

Plugin::~Plugin() {
  if (!destroyed_) Destroy();
}

NPError Plugin::Destroy() {
  destroyed_ = true;
  return TheModule().funcs.destroy(&npp_, nullptr);
}

NPError Plugin::SetWindow(Surface& S, int Width, int Height) {
  NPWindow w{};
  w.window = S.dc();
  w.width = static_cast<uint32_t>(Width < 0 ? S.width() : Width);
  w.height = static_cast<uint32_t>(Height < 0 ? S.height() : Height);
  w.type = NPWindowTypeDrawable;
  return TheModule().funcs.setwindow(&npp_, &w);
}

int16_t Plugin::Event(uint16_t Message, uintptr_t WParam, uintptr_t LParam) {
  NPEvent e{Message, WParam, LParam};
  return TheModule().funcs.event(&npp_, &e);
}

bool Plugin::Invoke(const char* Method, std::vector<NPVariant> Args, NPVariant* Result) {
  NPVariant dummy{};
  if (!Result) Result = &dummy;
  Result->type = NPVariantType_Void;
  if (!script_) return false;
  return script_->_class->invoke(script_, const_cast<char*>(Method), Args.data(),
                                 static_cast<uint32_t>(Args.size()), Result);
}

int32_t Plugin::Int(const char* Method) {
  NPVariant r{};
  EXPECT_TRUE(Invoke(Method, {}, &r)) << Method;
  EXPECT_EQ(r.type, NPVariantType_Int32) << Method;
  return r.value.intValue;
}

bool Plugin::Bool(const char* Method) {
  NPVariant r{};
  EXPECT_TRUE(Invoke(Method, {}, &r)) << Method;
  EXPECT_EQ(r.type, NPVariantType_Bool) << Method;
  return r.value.boolValue;
}

std::string Plugin::Text(const char* Method, std::vector<NPVariant> Args) {
  NPVariant r{};
  EXPECT_TRUE(Invoke(Method, std::move(Args), &r)) << Method;
  EXPECT_EQ(r.type, NPVariantType_String) << Method;
  std::string out = npswf_test::Text(r);
  if (r.type == NPVariantType_String) MemFree(const_cast<NPUTF8*>(r.value.stringValue.UTF8Characters));
  return out;
}

void Plugin::LoadMovie(const std::string& Url, int Layer) {
  EXPECT_TRUE(Invoke("LoadMovie", {IntArg(Layer), TextArg(Url.c_str())}));
}

NPVariant IntArg(int32_t V) {
  NPVariant r{};
  r.type = NPVariantType_Int32;
  r.value.intValue = V;
  return r;
}

NPVariant DoubleArg(double V) {
  NPVariant r{};
  r.type = NPVariantType_Double;
  r.value.doubleValue = V;
  return r;
}

NPVariant BoolArg(bool V) {
  NPVariant r{};
  r.type = NPVariantType_Bool;
  r.value.boolValue = V;
  return r;
}

NPVariant TextArg(const char* V) {
  NPVariant r{};
  r.type = NPVariantType_String;
  r.value.stringValue = {V, static_cast<uint32_t>(std::strlen(V))};
  return r;
}

// ---- Browser ----

Browser::Browser() {
  g_current = this;
  table.size = sizeof table;
  table.version = (NP_VERSION_MAJOR << 8) | NP_VERSION_MINOR;
  table.geturlnotify = GetUrlNotify;
  table.getvalue = GetValue;
  table.invalidaterect = InvalidateRect;
  table.memalloc = MemAlloc;
  table.memfree = MemFree;
  table.getstringidentifier = GetStringIdentifier;
  table.retainobject = RetainObject;
  table.releaseobject = ReleaseObject;
  table.invoke = Invoke;
  table.evaluate = Evaluate;
  static NPClass windowClass{};
  window._class = &windowClass;
  EXPECT_NE(TheModule().handle, nullptr) << VT_NPSWF_PATH;
  if (TheModule().initialize) {
    EXPECT_EQ(TheModule().initialize(&table), NPERR_NO_ERROR);
  }
}

Browser::~Browser() {
  if (TheModule().shutdown) TheModule().shutdown();
  g_current = nullptr;
}

Browser& Browser::Current() { return *g_current; }

void Browser::Deliver(NPP Npp, void* NotifyData, const std::vector<uint8_t>& Bytes, NPReason End,
                      size_t Piece) {
  const NPPluginFuncs& f = TheModule().funcs;
  static const char kUrl[] = "delivered";
  NPStream s{};
  s.url = kUrl;
  s.end = static_cast<uint32_t>(Bytes.size());
  s.notifyData = NotifyData;
  uint16_t type = NP_NORMAL;
  if (f.newstream(Npp, const_cast<char*>(kMime), &s, 1, &type) != NPERR_NO_ERROR) return;
  std::vector<uint8_t> copy = Bytes;
  if (Piece == 0) {
    f.write(Npp, &s, 0, static_cast<int32_t>(copy.size()), copy.data());
    f.urlnotify(Npp, kUrl, NPRES_DONE, NotifyData);
  } else {
    for (size_t at = 0; at < copy.size(); at += Piece) {
      f.write(Npp, &s, 0, static_cast<int32_t>(std::min(Piece, copy.size() - at)), copy.data() + at);
      f.urlnotify(Npp, kUrl, NPRES_DONE, NotifyData);
    }
    f.urlnotify(Npp, kUrl, End, NotifyData);
  }
  f.destroystream(Npp, &s, End);
}

std::vector<uint8_t> MovieBytes(const std::string& Description) { return swfc::Compile(Description); }

bool PumpUntil(const std::function<bool()>& Done, int TimeoutMs) {
  for (int waited = 0; waited < TimeoutMs; waited += 10) {
    if (Done()) return true;
    PumpMessages(10);
  }
  return Done();
}

void PumpMessages(int Milliseconds) {
  const DWORD end = GetTickCount() + static_cast<DWORD>(Milliseconds);
  while (static_cast<int>(end - GetTickCount()) > 0) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

}  // namespace npswf_test
