#include <winsock2.h>
#include <ws2tcpip.h>

#include "test_http_server.h"

#include <stdexcept>

namespace {

bool WinsockReady() {
  static const bool ready = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return ready;
}

std::string HeaderOf(const std::string& head, const std::string& name) {
  std::size_t line = head.find("\r\n");
  while (line != std::string::npos && line + 2 < head.size()) {
    const std::size_t start = line + 2;
    const std::size_t end = head.find("\r\n", start);
    const std::string text = head.substr(start, end - start);
    const std::size_t colon = text.find(':');
    if (colon != std::string::npos && _stricmp(text.substr(0, colon).c_str(), name.c_str()) == 0) {
      const std::size_t value = text.find_first_not_of(' ', colon + 1);
      return value == std::string::npos ? std::string() : text.substr(value);
    }
    line = end;
  }
  return {};
}

void SendAll(SOCKET connection, const std::string& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const int now = send(connection, bytes.data() + sent, static_cast<int>(bytes.size() - sent), 0);
    if (now <= 0) return;
    sent += static_cast<std::size_t>(now);
  }
}

}  // namespace

TTestHttpServer::TTestHttpServer(std::map<std::string, TTestPage> pages)
    : FPages(std::move(pages)), FStopping(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  if (!WinsockReady()) throw std::runtime_error("no Winsock");
  const SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof address;
  if (listener == INVALID_SOCKET ||
      bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener, SOMAXCONN) != 0 ||
      getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
    throw std::runtime_error("cannot listen on 127.0.0.1");
  FListener = listener;
  FPort = ntohs(address.sin_port);
  FAcceptor = std::thread([this] { Accept(); });
}

TTestHttpServer::~TTestHttpServer() {
  SetEvent(FStopping.get());
  closesocket(static_cast<SOCKET>(FListener));
  FAcceptor.join();
  for (std::thread& connection : FConnections) connection.join();
}

std::wstring TTestHttpServer::Url(const std::string& path) const {
  return L"http://127.0.0.1:" + std::to_wstring(FPort) + std::wstring(path.begin(), path.end());
}

std::vector<TRecordedRequest> TTestHttpServer::Requests() const {
  const std::lock_guard lock(FMutex);
  return FRequests;
}

bool TTestHttpServer::Received(const std::string& path) const {
  for (const TRecordedRequest& request : Requests()) {
    if (request.Path == path) return true;
  }
  return false;
}

void TTestHttpServer::Accept() {
  for (;;) {
    const SOCKET connection = accept(static_cast<SOCKET>(FListener), nullptr, nullptr);
    if (connection == INVALID_SOCKET) return;
    const std::lock_guard lock(FMutex);
    FConnections.emplace_back([this, connection] { Answer(connection); });
  }
}

void TTestHttpServer::Answer(std::uintptr_t socket) {
  const SOCKET connection = static_cast<SOCKET>(socket);
  std::string head;
  char buffer[4096];
  while (head.find("\r\n\r\n") == std::string::npos) {
    const int read = recv(connection, buffer, sizeof buffer, 0);
    if (read <= 0) break;
    head.append(buffer, static_cast<std::size_t>(read));
  }
  const std::size_t method_end = head.find(' ');
  const std::size_t path_end = head.find(' ', method_end + 1);
  TRecordedRequest request;
  if (method_end != std::string::npos && path_end != std::string::npos) {
    request.Method = head.substr(0, method_end);
    request.Path = head.substr(method_end + 1, path_end - method_end - 1);
    request.Cookie = HeaderOf(head, "Cookie");
  }
  {
    const std::lock_guard lock(FMutex);
    FRequests.push_back(request);
  }
  const auto found = FPages.find(request.Path.substr(0, request.Path.find('?')));
  TTestPage page;
  if (found == FPages.end()) {
    page.Status = 404;
    page.Body = "<html><body>not found</body></html>";
  } else {
    page = found->second;
  }
  if (page.DelayMs > 0) WaitForSingleObject(FStopping.get(), page.DelayMs);
  std::string answer = "HTTP/1.1 " + std::to_string(page.Status) + " Status\r\n";
  for (const auto& [name, value] : page.Headers) answer += name + ": " + value + "\r\n";
  answer += "Content-Length: " + std::to_string(page.Body.size()) + "\r\nConnection: close\r\n\r\n";
  SendAll(connection, answer + page.Body);
  shutdown(connection, SD_SEND);
  closesocket(connection);
}
