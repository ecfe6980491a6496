// A loopback HTTP/1.1 server, plain or TLS, standing in for the outside services in
// tests. It answers through a handler, records every request in order, and can
// misbehave on purpose: stay silent, send a huge body, break off mid-body, or
// trickle a body a byte at a time.
#pragma once

#include "test_support.h"

#include <wx/string.h>

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

class wxConfigBase;

namespace veldrix::test {

using HttpHeaders = std::vector<std::pair<std::string, std::string>>;

struct HttpTestRequest {
  std::string method;
  std::string target;  // path with query, as sent
  HttpHeaders headers;  // in the order received
  std::string body;
  // First header of that name, compared ignoring case; empty when absent.
  std::string Header(const std::string& name) const;
  bool HasHeader(const std::string& name) const;
};

struct HttpTestResponse {
  int status = 200;
  HttpHeaders headers;
  std::string body;
};

class HttpTestServer {
 public:
  enum class Tls {
    None,
    Trusted,    // a server certificate for 127.0.0.1 and localhost signed by the test CA
    Untrusted,  // a self-signed certificate the test CA never signed
  };
  enum class Mode {
    Answer,       // the handler's response
    Silent,       // reads the request and never answers
    HugeBody,     // 200 with hugeBodyBytes of 'x' (Content-Length given)
    BrokenBody,   // announces hugeBodyBytes, sends half, then closes the connection
    Trickle,      // 200 announcing hugeBodyBytes, then one byte every trickleMs until
                  // all are sent, the client hangs up or the server stops
  };
  using Handler = std::function<HttpTestResponse(const HttpTestRequest&)>;

  explicit HttpTestServer(Handler handler = {}, Tls tls = Tls::None);
  ~HttpTestServer();
  HttpTestServer(const HttpTestServer&) = delete;
  HttpTestServer& operator=(const HttpTestServer&) = delete;

  void SetMode(Mode mode, std::size_t hugeBodyBytes = 0, int trickleMs = 0);
  // Body bytes sent in Trickle mode so far, over all connections.
  std::size_t TrickledBytes() const { return trickled_; }
  // While held, requests are read and recorded but not answered until released.
  void Hold(bool held);
  int port() const { return port_; }
  // "http://127.0.0.1:<port>" or "https://…"
  std::string BaseUrl() const;
  // The test CA's PEM file (TLS servers only): what "/Network/CaFile" should name.
  wxString CaFile() const { return caFile_; }
  std::vector<HttpTestRequest> Requests() const;

 private:
  struct TlsState;
  void AcceptLoop();
  void Serve(int fd);

  Handler handler_;
  Tls tls_;
  std::unique_ptr<TlsState> tlsState_;
  TempDir folder_;
  wxString caFile_;
  int listenFd_ = -1;
  int port_ = 0;
  int wakeFd_[2] = {-1, -1};
  std::atomic<bool> stopping_{false};
  std::atomic<Mode> mode_{Mode::Answer};
  std::atomic<std::size_t> hugeBodyBytes_{0};
  std::atomic<int> trickleMs_{0};
  std::atomic<std::size_t> trickled_{0};
  mutable std::mutex lock_;
  std::condition_variable released_;
  bool held_ = false;
  std::vector<HttpTestRequest> requests_;
  std::vector<int> openFds_;
  std::vector<std::thread> connections_;
  std::thread acceptThread_;
};

// Makes the process configuration name `caFile` under "/Network/CaFile" for the
// object's lifetime: on the installed configuration, else on a memory one it installs.
class ScopedCaFile {
 public:
  explicit ScopedCaFile(const wxString& caFile);
  ~ScopedCaFile();

 private:
  wxConfigBase* installed_ = nullptr;
  bool hadValue_ = false;
  wxString oldValue_;
};

}  // namespace veldrix::test
