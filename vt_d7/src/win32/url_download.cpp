#include "url_download.h"

#include "renderers/com/com_object.h"

namespace vt {

namespace {

using URLOpenPullStreamWFunc = HRESULT(WINAPI*)(LPUNKNOWN, LPCWSTR, DWORD, LPBINDSTATUSCALLBACK);
using CreateURLMonikerExFunc = HRESULT(WINAPI*)(LPMONIKER, LPCWSTR, LPMONIKER*, DWORD);
using CreateAsyncBindCtxFunc = HRESULT(WINAPI*)(DWORD, IBindStatusCallback*, IEnumFORMATETC*, IBindCtx**);

template <class F>
F Entry(HMODULE Module, const char* Name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(Module, Name)));
}

void KeepLibrary(HMODULE Module) {
  HMODULE pinned = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                     reinterpret_cast<LPCWSTR>(GetProcAddress(Module, "CreateURLMonikerEx")), &pinned);
}

bool StartWithMoniker(HMODULE UrlMon, const std::wstring& Url, IBindStatusCallback* Callback) {
  const auto createMoniker = Entry<CreateURLMonikerExFunc>(UrlMon, "CreateURLMonikerEx");
  const auto createContext = Entry<CreateAsyncBindCtxFunc>(UrlMon, "CreateAsyncBindCtx");
  if (!createMoniker || !createContext) return false;
  TComPtr<IMoniker> moniker;
  if (FAILED(createMoniker(nullptr, Url.c_str(), moniker.Receive(), URL_MK_UNIFORM)) || !moniker) return false;
  TComPtr<IBindCtx> context;
  if (FAILED(createContext(0, Callback, nullptr, context.Receive())) || !context) return false;
  TComPtr<IStream> stream;
  return SUCCEEDED(
      moniker->BindToStorage(context.Get(), nullptr, IID_IStream, reinterpret_cast<void**>(stream.Receive())));
}

}  // namespace

bool StartPullDownload(HMODULE UrlMon, const std::wstring& Url, IBindStatusCallback* Callback) {
  if (!UrlMon || !Callback) return false;
  KeepLibrary(UrlMon);
  if (const auto pull = Entry<URLOpenPullStreamWFunc>(UrlMon, "URLOpenPullStreamW")) {
    const HRESULT hr = pull(nullptr, Url.c_str(), 0, Callback);
    if (hr != E_NOTIMPL) return SUCCEEDED(hr);
  }
  return StartWithMoniker(UrlMon, Url, Callback);
}

}  // namespace vt
