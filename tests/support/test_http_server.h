// A small HTTP server on 127.0.0.1 for tests: serves a table of paths, each
// with a status, headers, a body and an optional delay before the answer,
// and records every request with its Cookie header. It listens on a free
// port of its own; every connection is answered on a thread of its own, so
// a slow page holds up no other. Destroying it cuts delays short.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "winhandle.h"

struct TTestPage {
  int Status = 200;
  std::vector<std::pair<std::string, std::string>> Headers = {{"Content-Type", "text/html"}};
  std::string Body;
  DWORD DelayMs = 0;
};

struct TRecordedRequest {
  std::string Method;
  std::string Path;  // with its query
  std::string Cookie;
};

class TTestHttpServer {
 public:
  // Paths are matched without their query; others answer 404.
  explicit TTestHttpServer(std::map<std::string, TTestPage> pages);
  TTestHttpServer(const TTestHttpServer&) = delete;
  TTestHttpServer& operator=(const TTestHttpServer&) = delete;
  ~TTestHttpServer();

  int Port() const { return FPort; }
  std::wstring Url(const std::string& path) const;
  std::vector<TRecordedRequest> Requests() const;
  // Whether a request for `path` (query included) has come.
  bool Received(const std::string& path) const;

 private:
  void Accept();
  void Answer(std::uintptr_t connection);

  std::map<std::string, TTestPage> FPages;
  std::uintptr_t FListener;
  int FPort = 0;
  TKernelHandle FStopping;
  mutable std::mutex FMutex;
  std::vector<TRecordedRequest> FRequests;
  std::vector<std::thread> FConnections;
  std::thread FAcceptor;
};
