// The in-process server's entry points: the class factory and the counts
// behind DllCanUnloadNow. Registration is in registration.cpp.
#include <windows.h>
#include <ole2.h>

#include <atomic>

#include "renderers/com/com_call.h"
#include "renderers/flashctl/control.h"
#include "renderers/flashctl/module.h"

namespace flashctl {
namespace {

std::atomic<long> g_objects{0}, g_locks{0};

// The one class factory: a static object, so its references are not counted.
class ControlFactory final : public IClassFactory {
 public:
  STDMETHODIMP QueryInterface(REFIID Riid, void** Out) override {
    if (!Out) return E_POINTER;
    *Out = nullptr;
    if (Riid != IID_IUnknown && Riid != IID_IClassFactory) return E_NOINTERFACE;
    *Out = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP CreateInstance(IUnknown* Outer, REFIID Riid, void** Out) override {
    if (!Out) return E_POINTER;
    *Out = nullptr;
    if (Outer) return CLASS_E_NOAGGREGATION;
    return vt::ComCall([&]() -> HRESULT {
      FlashControl* control = new FlashControl();
      const HRESULT hr = control->QueryInterface(Riid, Out);
      control->Release();  // the creator's reference: the object goes if the interface was refused
      return hr;
    });
  }
  STDMETHODIMP LockServer(BOOL Lock) override {
    LockModule(Lock != FALSE);
    return S_OK;
  }
};

ControlFactory g_factory;

}  // namespace

HMODULE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

std::wstring ModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(ThisModule(), path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
}

void ObjectCreated() { ++g_objects; }
void ObjectDestroyed() { --g_objects; }
void LockModule(bool Lock) {
  if (Lock)
    ++g_locks;
  else if (g_locks > 0)
    --g_locks;
}
bool ModuleInUse() { return g_objects > 0 || g_locks > 0; }

}  // namespace flashctl

extern "C" HRESULT __stdcall DllGetClassObject(REFCLSID Clsid, REFIID Riid, void** Out) {
  if (!Out) return E_POINTER;
  *Out = nullptr;
  if (Clsid != CLSID_vtFlashPlayer) return CLASS_E_CLASSNOTAVAILABLE;
  return flashctl::g_factory.QueryInterface(Riid, Out);
}

extern "C" HRESULT __stdcall DllCanUnloadNow() { return flashctl::ModuleInUse() ? S_FALSE : S_OK; }

// How often the module's controls have rendered a frame, for tests that
// check a paint reuses the frame layer.
extern "C" uint64_t __stdcall StandInRenderCount() { return swfwin::RenderCount(); }
