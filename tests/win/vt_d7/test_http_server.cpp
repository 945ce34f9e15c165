#include "test_http_server.h"

#include <ws2tcpip.h>

#include <stdexcept>

namespace vt_test {

THttpServer::THttpServer(std::vector<std::string> Pieces, bool Held) : pieces_(std::move(Pieces)) {
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) throw std::runtime_error("WSAStartup failed");
  release_ = CreateEventW(nullptr, TRUE, Held ? FALSE : TRUE, nullptr);
  listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  if (listener_ == INVALID_SOCKET || bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener_, 4) != 0)
    throw std::runtime_error("the test server cannot listen");
  int length = sizeof address;
  getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Serve(); });
}

THttpServer::~THttpServer() {
  stop_ = true;
  SetEvent(release_);
  closesocket(listener_);
  thread_.join();
  CloseHandle(release_);
  WSACleanup();
}

std::string THttpServer::Url(const std::string& Path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + Path;
}

void THttpServer::Release() { SetEvent(release_); }

void THttpServer::Serve() {
  while (!stop_) {
    SOCKET client = accept(listener_, nullptr, nullptr);
    if (client == INVALID_SOCKET) return;
    std::string request;
    char buffer[1024];
    while (request.find("\r\n\r\n") == std::string::npos) {
      const int n = recv(client, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      request.append(buffer, static_cast<size_t>(n));
    }
    ++requests_;
    size_t length = 0;
    for (const auto& p : pieces_) length += p.size();
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Type: application/x-shockwave-flash\r\n"
                             "Cache-Control: no-store\r\nConnection: close\r\nContent-Length: " +
                             std::to_string(length) + "\r\n\r\n";
    send(client, head.data(), static_cast<int>(head.size()), 0);
    for (size_t i = 0; i < pieces_.size() && !stop_; ++i) {
      if (i == 1) WaitForSingleObject(release_, 10000);
      if (i > 0) Sleep(150);
      send(client, pieces_[i].data(), static_cast<int>(pieces_[i].size()), 0);
    }
    shutdown(client, SD_SEND);
    Sleep(50);
    closesocket(client);
  }
}

}  // namespace vt_test
