// The movie's calls to its host, passed on to the browser: requests, FSCommand,
// ExternalInterface calls and repaints. After NPP_Destroy they do nothing.
#include <algorithm>

#include "renderers/npswf/browser.h"
#include "renderers/npswf/instance.h"

namespace npswf {
namespace {

constexpr const char* kDoFSCommand = "_DoFSCommand";

NPVariant TextVariant(const std::string& Ansi) {
  NPVariant v{};
  v.type = NPVariantType_String;
  v.value.stringValue.UTF8Characters = Ansi.c_str();
  v.value.stringValue.UTF8Length = static_cast<uint32_t>(Ansi.size());
  return v;
}

uint16_t Clamp16(int32_t V) { return static_cast<uint16_t>(std::clamp<int32_t>(V, 0, 65535)); }

}  // namespace

void PluginInstance::RequestUrl(int RequestId, const std::string& Url, const std::string&) {
  // The browser only gets: a posted form goes out as a plain request.
  if (destroyed()) {
    if (movie_) movie_->FinishRequest(RequestId, false);
    return;
  }
  SendRequest(AddRequest(StreamRequest::Kind::Engine, RequestId), Utf8ToAnsi(Url));
}

void PluginInstance::FSCommand(const std::string& Command, const std::string& Args) {
  if (destroyed()) return;
  NPP npp = npp_;
  NPObject* window = browser::WindowObject(npp);
  if (!window) return;
  const std::string command = Utf8ToAnsi(Command), args = Utf8ToAnsi(Args);
  const NPVariant argv[2] = {TextVariant(command), TextVariant(args)};
  NPVariant result{};
  result.type = NPVariantType_Void;
  // The application's handler runs inside: it may destroy this instance.
  browser::Invoke(npp, window, browser::StringIdentifier(kDoFSCommand), argv, 2, &result);
  browser::ReleaseObject(window);
}

std::string PluginInstance::CallExternal(const std::string& Name,
                                         const std::vector<swf::ExternalValue>& Args) {
  if (destroyed()) return {};
  std::string script;
  try {
    script = Utf8ToAnsi(swf::BuildExternalCallScript(Name, Args));
  } catch (const swf::FormatError&) {
    return {};  // arguments nested too deep to write
  }
  NPP npp = npp_;
  NPObject* window = browser::WindowObject(npp);
  if (!window) return {};
  NPString text{script.c_str(), static_cast<uint32_t>(script.size())};
  NPVariant result{};
  result.type = NPVariantType_Void;
  const bool ok = browser::Evaluate(npp, window, &text, &result);
  browser::ReleaseObject(window);
  // The browser keeps the answer's text; the engine reads the value from it.
  if (!ok || result.type != NPVariantType_String || !result.value.stringValue.UTF8Characters) return {};
  return AnsiToUtf8(
      std::string_view(result.value.stringValue.UTF8Characters, result.value.stringValue.UTF8Length));
}

void PluginInstance::Invalidate(const swf::IntRect& Rect) {
  layer_.Invalidate(Rect);  // whether or not the browser hears of it
  if (destroyed()) return;
  NPRect r;
  r.left = Clamp16(Rect.left);
  r.top = Clamp16(Rect.top);
  r.right = Clamp16(Rect.right);
  r.bottom = Clamp16(Rect.bottom);
  if (r.right <= r.left || r.bottom <= r.top) return;
  browser::InvalidateRect(npp_, &r);  // the browser repaints inside
}

}  // namespace npswf
