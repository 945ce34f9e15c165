#pragma once
// A small HTTP server on 127.0.0.1 for download tests: it answers one
// request at a time with a body sent in pieces, each piece after the test
// releases it (or at once), and stops with the object.
#include <winsock2.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace vt_test {

class THttpServer {
 public:
  // Pieces: the body, sent in this many writes. Held: the pieces after the
  // first wait for Release.
  explicit THttpServer(std::vector<std::string> Pieces, bool Held = false);
  ~THttpServer();
  THttpServer(const THttpServer&) = delete;
  THttpServer& operator=(const THttpServer&) = delete;

  // "http://127.0.0.1:<port>" followed by Path.
  std::string Url(const std::string& Path) const;
  // Lets the held pieces go.
  void Release();
  int Requests() const { return requests_; }

 private:
  void Serve();
  std::vector<std::string> pieces_;
  SOCKET listener_ = INVALID_SOCKET;
  int port_ = 0;
  HANDLE release_ = nullptr;
  std::atomic<bool> stop_{false};
  std::atomic<int> requests_{0};
  std::thread thread_;
};

}  // namespace vt_test
