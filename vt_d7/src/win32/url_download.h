#pragma once
// The pull download both drivers start for names they do not serve
// themselves.
#include <windows.h>
#include <urlmon.h>

#include <string>

namespace vt {

// Starts downloading Url asynchronously; the URL moniker library in UrlMon
// then reports to Callback through the thread's message loop. Uses
// URLOpenPullStreamW where the system implements it; where it is missing or
// answers E_NOTIMPL (as on Wine), a URL moniker bound to storage through an
// asynchronous bind context with Callback registered, which reports the
// same way. Once a download has started, the library stays loaded for the
// process, so no report arrives in unloaded code. False when no download
// could start.
bool StartPullDownload(HMODULE UrlMon, const std::wstring& Url, IBindStatusCallback* Callback);

}  // namespace vt
