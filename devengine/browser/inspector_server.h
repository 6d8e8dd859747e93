// The engine's remote-debugging server: a small HTTP server on 127.0.0.1
// only, on the port the settings give, that serves an inspector page for
// each open browser (its address, title and source) at /devtools/<id> and a
// list of them at /. One thread accepts and answers, one request at a time;
// it reads browser state only through the two functions it is given.
#ifndef NIMBRA_DEVENGINE_BROWSER_INSPECTOR_SERVER_H
#define NIMBRA_DEVENGINE_BROWSER_INSPECTOR_SERVER_H

#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "browser.h"
#include "winhandle.h"

namespace devengine::browser {

class InspectorServer {
  struct Passkey {
    explicit Passkey() = default;
  };

 public:
  struct Pages {
    std::function<std::optional<Browser::Inspected>(int browserId)> inspect;
    std::function<std::vector<int>()> browsers;
  };

  // Null when the port cannot be listened on.
  static std::unique_ptr<InspectorServer> Start(int port, Pages pages);

  // `listener` is a listening socket the server takes over.
  InspectorServer(Passkey, TSocketHandle listener, Pages pages);
  InspectorServer(const InspectorServer&) = delete;
  InspectorServer& operator=(const InspectorServer&) = delete;
  // Stops listening and waits for the request being answered.
  ~InspectorServer();

 private:
  void Serve(SOCKET listener);
  void Answer(SOCKET connection) const;

  TSocketHandle listener_;
  Pages pages_;
  std::thread thread_;
};

// The pages themselves, apart from the server.
std::wstring InspectorPage(int browserId, const Browser::Inspected& page);
std::wstring InspectorIndex(const std::vector<int>& browsers);
std::wstring DevToolsUrl(int port, int browserId, bool httpScheme);

}  // namespace devengine::browser

#endif
