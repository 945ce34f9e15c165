// Requests and the streams that answer them. The browser's notify data is a
// request's token; a stream nobody asked for (or one for a request gone
// since) is accepted and its data dropped. A request completes when its stream ends with
// NPRES_DONE (or on NPRES_DONE notification once its stream has ended), fails
// with any other reason or when it grows beyond kMaxStreamBytes.
#include <algorithm>

#include "renderers/npswf/browser.h"
#include "renderers/npswf/instance.h"

namespace npswf {
namespace {

uintptr_t g_lastToken = 0;

void* NotifyDataOf(const StreamRequest* Request) { return reinterpret_cast<void*>(Request->token); }

}  // namespace

StreamRequest* PluginInstance::FindRequest(const void* NotifyData) const {
  if (!NotifyData) return nullptr;
  for (const auto& r : requests_)
    if (NotifyDataOf(r.get()) == NotifyData) return r.get();
  return nullptr;
}

StreamRequest* PluginInstance::AddRequest(StreamRequest::Kind Kind, int EngineId) {
  auto r = std::make_unique<StreamRequest>();
  r->token = ++g_lastToken;
  r->kind = Kind;
  r->engineId = EngineId;
  requests_.push_back(std::move(r));
  return requests_.back().get();
}

bool PluginInstance::SendRequest(StreamRequest* Request, const std::string& Url) {
  // The browser may deliver the whole stream (and more) before it returns.
  void* token = NotifyDataOf(Request);
  const NPError result = browser::GetURLNotify(npp_, Url.c_str(), token);
  if (result == NPERR_NO_ERROR) return true;
  if (StreamRequest* still = FindRequest(token)) FinishRequest(still, false);
  return false;
}

void PluginInstance::FinishRequest(StreamRequest* Request, bool Ok) {
  const auto it =
      std::find_if(requests_.begin(), requests_.end(), [&](const auto& r) { return r.get() == Request; });
  if (it == requests_.end()) return;
  // Out of the table before anything runs: what follows may re-enter and change it.
  const std::unique_ptr<StreamRequest> done = std::move(*it);
  requests_.erase(it);
  const bool ok = Ok && !done->failed;
  if (done->kind == StreamRequest::Kind::Engine) {
    if (movie_) movie_->FinishRequest(done->engineId, ok);
  } else if (ok && !destroyed()) {
    StartMovie(std::move(done->data));
  }
}

void PluginInstance::NewStream(NPStream* Stream) {
  StreamRequest* r = FindRequest(Stream->notifyData);
  if (!r) return;
  r->streamOpen = true;
  // The size when the browser knows it (0 when not): a video stream's bytesTotal.
  if (Stream->end && r->kind == StreamRequest::Kind::Engine && movie_) movie_->SetRequestSize(r->engineId, Stream->end);
}

int32_t PluginInstance::Write(NPStream* Stream, int32_t Len, const void* Buffer) {
  if (Len < 0 || (Len > 0 && !Buffer)) return -1;
  StreamRequest* r = FindRequest(Stream->notifyData);
  if (!r) return Len;  // nobody's: accepted and dropped
  if (r->failed) return -1;
  const size_t len = static_cast<size_t>(Len);
  if (len > kMaxStreamBytes - r->received) {
    r->failed = true;
    r->data = {};
    return -1;
  }
  r->received += len;
  const auto* bytes = static_cast<const uint8_t*>(Buffer);
  if (r->kind == StreamRequest::Kind::FirstMovie)
    r->data.insert(r->data.end(), bytes, bytes + len);
  else if (movie_)
    movie_->DeliverData(r->engineId, bytes, len);  // may re-enter; r is not used after
  return Len;
}

void PluginInstance::UrlNotify(NPReason Reason, void* NotifyData) {
  StreamRequest* r = FindRequest(NotifyData);
  if (!r) return;
  if (Reason != NPRES_DONE)
    FinishRequest(r, false);
  else if (!r->streamOpen)
    FinishRequest(r, true);
  // Otherwise a download's piece has arrived: the end of its stream completes it.
}

void PluginInstance::DestroyStream(NPStream* Stream, NPReason Reason) {
  StreamRequest* r = FindRequest(Stream->notifyData);
  if (!r) return;
  r->streamOpen = false;
  FinishRequest(r, Reason == NPRES_DONE);
}

}  // namespace npswf
