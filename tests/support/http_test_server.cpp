#include "http_test_server.h"

#include "app/common/config_access.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <wx/config.h>
#include <wx/memconf.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <strings.h>

namespace veldrix::test {

namespace {

struct KeyFree { void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); } };
struct CertFree { void operator()(X509* cert) const { X509_free(cert); } };
using Key = std::unique_ptr<EVP_PKEY, KeyFree>;
using Cert = std::unique_ptr<X509, CertFree>;

void Require(bool ok, const char* what) {
  if (!ok) throw std::runtime_error(std::string("test server TLS set-up failed: ") + what);
}

void AddExtension(X509* cert, X509V3_CTX* context, int nid, const char* value) {
  X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, context, nid, value);
  Require(extension != nullptr && X509_add_ext(cert, extension, -1) == 1, "extension");
  X509_EXTENSION_free(extension);
}

// A certificate for `key` named `commonName`, signed by the issuer (itself when null).
Cert MakeCertificate(EVP_PKEY* key, const char* commonName, bool authority, X509* issuer, EVP_PKEY* issuerKey) {
  static std::atomic<long> serial{1};
  Cert cert(X509_new());
  Require(cert != nullptr, "certificate");
  X509_set_version(cert.get(), 2);
  ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), serial++);
  X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600);
  X509_gmtime_adj(X509_getm_notAfter(cert.get()), 86400);
  X509_set_pubkey(cert.get(), key);
  X509_NAME* name = X509_get_subject_name(cert.get());
  X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("Veldrix tests"), -1, -1, 0);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(commonName), -1, -1, 0);
  X509_set_issuer_name(cert.get(), issuer ? X509_get_subject_name(issuer) : name);

  X509V3_CTX context;
  X509V3_set_ctx_nodb(&context);
  X509V3_set_ctx(&context, issuer ? issuer : cert.get(), cert.get(), nullptr, nullptr, 0);
  AddExtension(cert.get(), &context, NID_basic_constraints, authority ? "critical,CA:TRUE" : "critical,CA:FALSE");
  AddExtension(cert.get(), &context, NID_key_usage,
               authority ? "critical,keyCertSign,cRLSign" : "critical,digitalSignature,keyEncipherment");
  AddExtension(cert.get(), &context, NID_subject_key_identifier, "hash");
  if (!authority) {
    AddExtension(cert.get(), &context, NID_subject_alt_name, "IP:127.0.0.1,DNS:localhost");
    AddExtension(cert.get(), &context, NID_ext_key_usage, "serverAuth");
  }
  Require(X509_sign(cert.get(), issuerKey ? issuerKey : key, EVP_sha256()) > 0, "signature");
  return cert;
}

Key NewKey() {
  Key key(EVP_EC_gen("P-256"));
  Require(key != nullptr, "key");
  return key;
}

bool StartsWithNoCase(const std::string& text, const char* prefix) {
  return strncasecmp(text.c_str(), prefix, std::strlen(prefix)) == 0;
}

const char* Reason(int status) {
  switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    default: return "Status";
  }
}

}  // namespace

std::string HttpTestRequest::Header(const std::string& name) const {
  for (const auto& [key, value] : headers) {
    if (strcasecmp(key.c_str(), name.c_str()) == 0) return value;
  }
  return std::string();
}

bool HttpTestRequest::HasHeader(const std::string& name) const {
  return std::any_of(headers.begin(), headers.end(),
                     [&](const auto& header) { return strcasecmp(header.first.c_str(), name.c_str()) == 0; });
}

struct HttpTestServer::TlsState {
  SSL_CTX* context = nullptr;
  ~TlsState() { SSL_CTX_free(context); }
};

namespace {

// One accepted connection, plain or TLS.
struct Connection {
  int fd;
  SSL* ssl = nullptr;

  ~Connection() {
    if (ssl) SSL_free(ssl);
  }
  long Read(char* buffer, std::size_t size) {
    if (ssl) return SSL_read(ssl, buffer, static_cast<int>(size));
    return recv(fd, buffer, size, 0);
  }
  bool Write(const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
      const long sent = ssl ? SSL_write(ssl, data.data() + done, static_cast<int>(data.size() - done))
                            : send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
      if (sent <= 0) return false;
      done += static_cast<std::size_t>(sent);
    }
    return true;
  }

  // Reads one request; false when the peer closed or sent something unreadable.
  bool ReadRequest(HttpTestRequest* request) {
    std::string data;
    char buffer[16384];
    std::size_t headEnd;
    while ((headEnd = data.find("\r\n\r\n")) == std::string::npos) {
      if (data.size() > (1 << 20)) return false;
      const long got = Read(buffer, sizeof buffer);
      if (got <= 0) return false;
      data.append(buffer, static_cast<std::size_t>(got));
    }
    const std::string head = data.substr(0, headEnd);
    std::string rest = data.substr(headEnd + 4);
    std::size_t lineEnd = head.find("\r\n");
    const std::string requestLine = head.substr(0, lineEnd);
    const std::size_t firstSpace = requestLine.find(' ');
    const std::size_t lastSpace = requestLine.rfind(' ');
    if (firstSpace == std::string::npos || lastSpace == firstSpace) return false;
    request->method = requestLine.substr(0, firstSpace);
    request->target = requestLine.substr(firstSpace + 1, lastSpace - firstSpace - 1);
    while (lineEnd != std::string::npos) {
      const std::size_t start = lineEnd + 2;
      lineEnd = head.find("\r\n", start);
      const std::string line = head.substr(start, lineEnd == std::string::npos ? std::string::npos : lineEnd - start);
      const std::size_t colon = line.find(':');
      if (colon == std::string::npos) continue;
      std::string value = line.substr(colon + 1);
      value.erase(0, value.find_first_not_of(" \t"));
      request->headers.emplace_back(line.substr(0, colon), value);
    }
    if (StartsWithNoCase(request->Header("Expect"), "100-continue") && !Write("HTTP/1.1 100 Continue\r\n\r\n")) {
      return false;
    }
    const std::string length = request->Header("Content-Length");
    const std::size_t wanted = length.empty() ? 0 : std::stoul(length);
    while (rest.size() < wanted) {
      const long got = Read(buffer, sizeof buffer);
      if (got <= 0) return false;
      rest.append(buffer, static_cast<std::size_t>(got));
    }
    request->body = rest.substr(0, wanted);
    return true;
  }
};

}  // namespace

HttpTestServer::HttpTestServer(Handler handler, Tls tls) : handler_(std::move(handler)), tls_(tls) {
  std::signal(SIGPIPE, SIG_IGN);  // a client that hangs up must not end the test run
  if (tls_ != Tls::None) {
    tlsState_ = std::make_unique<TlsState>();
    Key caKey = NewKey();
    Cert ca = MakeCertificate(caKey.get(), "Veldrix Test CA", true, nullptr, nullptr);
    Key serverKey = NewKey();
    Cert server = tls_ == Tls::Trusted ? MakeCertificate(serverKey.get(), "127.0.0.1", false, ca.get(), caKey.get())
                                       : MakeCertificate(serverKey.get(), "Self-signed 127.0.0.1", false, nullptr, nullptr);
    caFile_ = folder_.file("test-ca.pem");
    FILE* out = std::fopen(caFile_.fn_str(), "w");
    Require(out != nullptr, "CA file");
    const bool written = PEM_write_X509(out, ca.get()) == 1;
    std::fclose(out);
    Require(written, "CA file");
    tlsState_->context = SSL_CTX_new(TLS_server_method());
    Require(tlsState_->context != nullptr, "context");
    SSL_CTX_set_min_proto_version(tlsState_->context, TLS1_2_VERSION);
    Require(SSL_CTX_use_certificate(tlsState_->context, server.get()) == 1 &&
                SSL_CTX_use_PrivateKey(tlsState_->context, serverKey.get()) == 1,
            "server certificate");
  }

  listenFd_ = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (listenFd_ < 0 || bind(listenFd_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length) != 0 || listen(listenFd_, 16) != 0 ||
      pipe(wakeFd_) != 0) {
    throw std::runtime_error("test server cannot listen on loopback");
  }
  port_ = ntohs(address.sin_port);
  acceptThread_ = std::thread([this] { AcceptLoop(); });
}

HttpTestServer::~HttpTestServer() {
  Hold(false);
  stopping_ = true;
  if (write(wakeFd_[1], "x", 1) < 0) {
  }
  acceptThread_.join();
  {
    std::lock_guard<std::mutex> guard(lock_);
    for (int fd : openFds_) shutdown(fd, SHUT_RDWR);
  }
  for (std::thread& connection : connections_) connection.join();
  close(listenFd_);
  close(wakeFd_[0]);
  close(wakeFd_[1]);
}

void HttpTestServer::SetMode(Mode mode, std::size_t hugeBodyBytes, int trickleMs) {
  hugeBodyBytes_ = hugeBodyBytes;
  trickleMs_ = trickleMs;
  mode_ = mode;
}

void HttpTestServer::Hold(bool held) {
  std::lock_guard<std::mutex> guard(lock_);
  held_ = held;
  released_.notify_all();
}

std::string HttpTestServer::BaseUrl() const {
  return (tls_ == Tls::None ? "http://127.0.0.1:" : "https://127.0.0.1:") + std::to_string(port_);
}

std::vector<HttpTestRequest> HttpTestServer::Requests() const {
  std::lock_guard<std::mutex> guard(lock_);
  return requests_;
}

void HttpTestServer::AcceptLoop() {
  while (!stopping_) {
    pollfd watched[2] = {{listenFd_, POLLIN, 0}, {wakeFd_[0], POLLIN, 0}};
    if (poll(watched, 2, -1) < 0 || (watched[1].revents & POLLIN)) continue;
    const int fd = accept(listenFd_, nullptr, nullptr);
    if (fd < 0) continue;
    std::lock_guard<std::mutex> guard(lock_);
    openFds_.push_back(fd);
    connections_.emplace_back([this, fd] { Serve(fd); });
  }
}

void HttpTestServer::Serve(int fd) {
  {
    Connection connection{fd};
    HttpTestRequest request;
    bool readable = true;
    if (tlsState_) {
      connection.ssl = SSL_new(tlsState_->context);
      SSL_set_fd(connection.ssl, fd);
      readable = SSL_accept(connection.ssl) == 1;
      if (!readable) ERR_clear_error();
    }
    if (readable && connection.ReadRequest(&request)) {
      {
        std::unique_lock<std::mutex> guard(lock_);
        requests_.push_back(request);
        released_.wait(guard, [this] { return !held_; });
      }
      const Mode mode = mode_;
      const std::size_t huge = hugeBodyBytes_;
      if (mode == Mode::Silent) {
        // Wait for the client to give up or the server to stop.
        pollfd watched[2] = {{fd, POLLIN, 0}, {wakeFd_[0], POLLIN, 0}};
        while (!stopping_ && poll(watched, 2, -1) >= 0 && !(watched[1].revents & POLLIN)) {
          char discard[4096];
          if ((watched[0].revents & (POLLIN | POLLHUP | POLLERR)) && recv(fd, discard, sizeof discard, 0) <= 0) break;
        }
      } else if (mode == Mode::HugeBody || mode == Mode::BrokenBody) {
        const std::size_t toSend = mode == Mode::HugeBody ? huge : huge / 2;
        bool ok = connection.Write("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(huge) +
                                   "\r\nConnection: close\r\n\r\n");
        const std::string chunk(65536, 'x');
        for (std::size_t sent = 0; ok && sent < toSend; sent += chunk.size()) {
          ok = connection.Write(chunk.substr(0, std::min(chunk.size(), toSend - sent)));
        }
        if (ok && mode == Mode::HugeBody && connection.ssl) SSL_shutdown(connection.ssl);
      } else if (mode == Mode::Trickle) {
        bool ok = connection.Write("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(huge) +
                                   "\r\nConnection: close\r\n\r\n");
        // The wait is cut short only by the server stopping; a client that hung
        // up makes the next write fail.
        pollfd wake = {wakeFd_[0], POLLIN, 0};
        for (std::size_t sent = 0; ok && sent < huge && poll(&wake, 1, trickleMs_) == 0; ++sent) {
          ok = connection.Write(" ");
          if (ok) ++trickled_;
        }
      } else {
        HttpTestResponse response = handler_ ? handler_(request) : HttpTestResponse();
        std::string text = "HTTP/1.1 " + std::to_string(response.status) + " " + Reason(response.status) + "\r\n";
        bool hasLength = false;
        for (const auto& [name, value] : response.headers) {
          hasLength |= strcasecmp(name.c_str(), "Content-Length") == 0;
          text += name + ": " + value + "\r\n";
        }
        if (!hasLength) text += "Content-Length: " + std::to_string(response.body.size()) + "\r\n";
        text += "Connection: close\r\n\r\n" + response.body;
        if (connection.Write(text) && connection.ssl) SSL_shutdown(connection.ssl);
      }
    }
  }
  std::lock_guard<std::mutex> guard(lock_);
  openFds_.erase(std::remove(openFds_.begin(), openFds_.end(), fd), openFds_.end());
  close(fd);
}

ScopedCaFile::ScopedCaFile(const wxString& caFile) {
  {
    ConfigAccess config;
    if (config) {
      hadValue_ = config->Read("/Network/CaFile", &oldValue_);
      config->Write("/Network/CaFile", caFile);
      return;
    }
  }
  installed_ = new wxMemoryConfig;
  installed_->Write("/Network/CaFile", caFile);
  delete InstallConfig(installed_);
}

ScopedCaFile::~ScopedCaFile() {
  if (installed_) {
    delete InstallConfig(nullptr);
    return;
  }
  ConfigAccess config;
  if (!config) return;
  if (hadValue_) {
    config->Write("/Network/CaFile", oldValue_);
  } else {
    config->DeleteEntry("/Network/CaFile");
  }
}

}  // namespace veldrix::test
