#include <winsock2.h>
#include <ws2tcpip.h>

#include "inspector_server.h"

#include <charconv>
#include <string>
#include <string_view>

#include "engine_texts.h"
#include "page/html.h"
#include "utf.h"

namespace devengine::browser {
namespace {

constexpr std::size_t kLongestRequestHead = 16 * 1024;
constexpr DWORD kReadTimeoutMs = 5000;

// Started once and left running: cleaning up while the process unloads
// could wait on the network stack.
bool WinsockReady() {
  static const bool ready = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return ready;
}

// The path of "GET <path> HTTP/1.1"; empty for anything else.
std::string RequestPath(std::string_view head) {
  if (!head.starts_with("GET ")) return {};
  const std::size_t end = head.find(' ', 4);
  if (end == std::string_view::npos) return {};
  return std::string(head.substr(4, end - 4));
}

void SendAll(SOCKET connection, std::string_view bytes) {
  while (!bytes.empty()) {
    const int sent = send(connection, bytes.data(), static_cast<int>(bytes.size()), 0);
    if (sent <= 0) return;
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
}

void Respond(SOCKET connection, int status, std::wstring_view markup) {
  const std::string body = Utf16ToUtf8(markup);
  std::string head = "HTTP/1.1 ";
  head.append(status == 200 ? "200 OK" : "404 Not Found");
  head.append("\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: ");
  head.append(std::to_string(body.size()));
  head.append("\r\nConnection: close\r\n\r\n");
  SendAll(connection, head);
  SendAll(connection, body);
}

std::wstring Escaped(std::wstring_view text) { return page::MarkupFromText(text); }

}  // namespace

std::wstring DevToolsUrl(int port, int browserId, bool httpScheme) {
  return std::wstring(httpScheme ? L"http" : L"ws") + L"://127.0.0.1:" + std::to_wstring(port) +
         L"/devtools/" + std::to_wstring(browserId);
}

std::wstring InspectorPage(int browserId, const Browser::Inspected& page) {
  const auto line = [](EngineText pattern, std::wstring_view name, std::wstring_view value) {
    return Escaped(FillIn(LocalText(pattern), {{name, value}}));
  };
  return L"<html><head><title>" + line(EngineText::kInspectorPageTitle, L"title", page.title) +
         L"</title></head><body><h1>" +
         line(EngineText::kInspectorBrowser, L"id", std::to_wstring(browserId)) + L"</h1><p>" +
         line(EngineText::kInspectorAddress, L"address", page.url) + L"</p><p>" +
         line(EngineText::kInspectorTitleLine, L"title", page.title) + L"</p><h2>" +
         Escaped(LocalText(EngineText::kInspectorSource)) + L"</h2><pre>" + Escaped(page.source) +
         L"</pre></body></html>";
}

std::wstring InspectorIndex(const std::vector<int>& browsers) {
  std::wstring markup = L"<html><head><title>" + Escaped(LocalText(EngineText::kInspectorTitle)) +
                        L"</title></head><body><h1>" +
                        Escaped(LocalText(EngineText::kInspectorBrowsers)) + L"</h1><ul>";
  for (const int id : browsers) {
    const std::wstring text = std::to_wstring(id);
    markup += L"<li><a href=\"/devtools/" + text + L"\">" +
              Escaped(FillIn(LocalText(EngineText::kInspectorBrowser), {{L"id", text}})) +
              L"</a></li>";
  }
  return markup + L"</ul></body></html>";
}

std::unique_ptr<InspectorServer> InspectorServer::Start(int port, Pages pages) {
  if (!WinsockReady()) return nullptr;
  TSocketHandle listener(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  if (!listener) return nullptr;
  BOOL exclusive = TRUE;
  setsockopt(listener.get(), SOL_SOCKET, SO_EXCLUSIVEADDRUSE,
             reinterpret_cast<const char*>(&exclusive), sizeof exclusive);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (bind(listener.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener.get(), SOMAXCONN) != 0)
    return nullptr;
  return std::make_unique<InspectorServer>(Passkey(), std::move(listener), std::move(pages));
}

// The thread gets the socket's value, not the owner, which the destructor
// resets while the thread waits.
InspectorServer::InspectorServer(Passkey, TSocketHandle listener, Pages pages)
    : listener_(std::move(listener)),
      pages_(std::move(pages)),
      thread_([this, listening = listener_.get()] { Serve(listening); }) {}

InspectorServer::~InspectorServer() {
  // Closing the socket ends the accept the thread waits in.
  listener_.reset();
  thread_.join();
}

void InspectorServer::Serve(SOCKET listener) {
  for (;;) {
    const TSocketHandle connection(accept(listener, nullptr, nullptr));
    if (!connection) {
      if (WSAGetLastError() == WSAEINTR) continue;
      return;
    }
    Answer(connection.get());
  }
}

void InspectorServer::Answer(SOCKET connection) const {
  DWORD timeout = kReadTimeoutMs;
  setsockopt(connection, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout),
             sizeof timeout);
  std::string head;
  char buffer[2048];
  while (head.find("\r\n\r\n") == std::string::npos && head.size() < kLongestRequestHead) {
    const int read = recv(connection, buffer, sizeof buffer, 0);
    if (read <= 0) break;
    head.append(buffer, static_cast<std::size_t>(read));
  }
  const std::string path = RequestPath(head);
  constexpr std::string_view kPagePrefix = "/devtools/";
  if (path == "/" || path == "/json") {
    Respond(connection, 200, InspectorIndex(pages_.browsers()));
    return;
  }
  if (path.starts_with(kPagePrefix)) {
    const std::string_view digits = std::string_view(path).substr(kPagePrefix.size());
    int id = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), id);
    if (error == std::errc() && end == digits.data() + digits.size()) {
      if (const std::optional<Browser::Inspected> page = pages_.inspect(id)) {
        Respond(connection, 200, InspectorPage(id, *page));
        return;
      }
    }
  }
  Respond(
      connection, 404,
      L"<html><body>" + Escaped(LocalText(EngineText::kInspectorNoSuchPage)) + L"</body></html>");
}

}  // namespace devengine::browser
