#include "db/sql_server_resolution.h"

#include "db/sql_server_address.h"

#include <wx/arrstr.h>

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kInstanceNamesKey[] = "SOFTWARE\\Microsoft\\Microsoft SQL Server\\Instance Names\\SQL";
const char kServerKeyPrefix[] = "SOFTWARE\\Microsoft\\Microsoft SQL Server\\";
const char* const kAliasKeys[] = {"SOFTWARE\\Microsoft\\MSSQLServer\\Client\\ConnectTo",
                                  "SOFTWARE\\Microsoft\\Microsoft SQL Server\\Client\\ConnectTo"};

wxString Trimmed(const wxString& text) {
  wxString result(text);
  result.Trim(true).Trim(false);
  return result;
}

void SetError(wxString* error, const wxString& text) {
  if (error) *error = text;
}

class Socket {
 public:
  explicit Socket(int fd) : fd_(fd) {}
  ~Socket() { close(); }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  int fd() const { return fd_; }
  void close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

// The first IPv4 address of the host, else its first IPv6 address.
bool ResolveBrowserAddress(const wxString& host, int browserPort, sockaddr_storage* address, socklen_t* length) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_DGRAM;
  hints.ai_protocol = IPPROTO_UDP;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.utf8_str().data(), nullptr, &hints, &found) != 0 || !found) return false;
  const addrinfo* chosen = nullptr;
  for (const addrinfo* entry = found; entry; entry = entry->ai_next) {
    if (entry->ai_family == AF_INET) {
      chosen = entry;
      break;
    }
    if (entry->ai_family == AF_INET6 && !chosen) chosen = entry;
  }
  const bool ok = chosen && chosen->ai_addrlen <= sizeof(sockaddr_storage);
  if (ok) {
    std::memset(address, 0, sizeof(*address));
    std::memcpy(address, chosen->ai_addr, chosen->ai_addrlen);
    *length = static_cast<socklen_t>(chosen->ai_addrlen);
    const uint16_t port = htons(static_cast<uint16_t>(browserPort));
    if (chosen->ai_family == AF_INET) {
      reinterpret_cast<sockaddr_in*>(address)->sin_port = port;
    } else {
      reinterpret_cast<sockaddr_in6*>(address)->sin6_port = port;
    }
  }
  freeaddrinfo(found);
  return ok;
}

// Waits up to timeoutMs for one datagram; the count of bytes read, or -1.
ssize_t ReceiveReply(int fd, char* buffer, std::size_t size, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (true) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    if (left <= 0) return -1;
    pollfd waiting{fd, POLLIN, 0};
    const int ready = poll(&waiting, 1, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return -1;
    const ssize_t received = recvfrom(fd, buffer, size, MSG_DONTWAIT, nullptr, nullptr);
    if (received < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) continue;
    return received;
  }
}

// The Browser question. `prefixable` tells whether the caller may put the local
// registry's error in front of the text (every failure but the socket's).
bool AskBrowser(const wxString& host, const wxString& instance, int browserPort, int timeoutMs, int* port,
                wxString* error, bool* prefixable) {
  *prefixable = true;
  const wxString target = host + "\\" + instance;
  sockaddr_storage address;
  socklen_t addressLength = 0;
  if (!ResolveBrowserAddress(host, browserPort, &address, &addressLength)) {
    SetError(error, wxString::Format("Cannot resolve host '%s' for SQL Browser.", host));
    return false;
  }
  Socket socket(::socket(address.ss_family, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP));
  if (socket.fd() < 0) {
    *prefixable = false;
    SetError(error, "Cannot create UDP socket for SQL Browser.");
    return false;
  }
  timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
  setsockopt(socket.fd(), SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof(limit));

  // CLNT_UCAST_INST: 0x04 and the instance name, no terminating zero.
  std::string request(1, '\x04');
  const wxScopedCharBuffer name = instance.utf8_str();
  request.append(name.data(), name.length());
  const ssize_t sent = sendto(socket.fd(), request.data(), request.size(), 0,
                              reinterpret_cast<const sockaddr*>(&address), addressLength);
  if (sent != static_cast<ssize_t>(request.size())) {
    SetError(error, wxString::Format("Cannot query SQL Browser for instance '%s'.", target));
    return false;
  }
  std::vector<char> reply(4096, 0);
  const ssize_t received = ReceiveReply(socket.fd(), reply.data(), reply.size() - 1, timeoutMs);
  socket.close();
  if (received <= 0) {
    SetError(error, wxString::Format(
                        "Cannot resolve SQL Server instance '%s'. Check SQL Server Browser service or specify host,port.",
                        target));
    return false;
  }
  // SVR_RESP: 0x05, a 16-bit length, then the text. Anything shorter, or with
  // another code, is no answer of a Browser.
  if (received < 3 || static_cast<unsigned char>(reply[0]) != 0x05) {
    SetError(error, wxString::Format("SQL Browser sent an invalid reply for instance '%s'.", target));
    return false;
  }
  const wxString text = wxString::FromUTF8(reply.data() + 3, static_cast<std::size_t>(received - 3));
  const int marker = text.Lower().Find("tcp;");
  if (marker == wxNOT_FOUND) {
    SetError(error,
             wxString::Format("SQL Browser did not return TCP port for instance '%s'. Specify host,port.", target));
    return false;
  }
  const wxString portText = text.Mid(static_cast<std::size_t>(marker) + 4).BeforeFirst(';');
  int value = 0;
  if (!ParsePortNumber(portText, &value)) {
    SetError(error, wxString::Format("SQL Browser returned invalid TCP port for instance '%s'.", target));
    return false;
  }
  if (port) *port = value;
  return true;
}

}  // namespace

bool ReadInstanceTcpPort(const IRegistryReader& registry, const wxString& keyPath, int* port) {
  for (const char* valueName : {"TcpPort", "TcpDynamicPorts"}) {
    wxString text;
    if (ReadMachineRegistryString(registry, keyPath, valueName, &text) && ParsePortText(text, port)) return true;
  }
  return false;
}

bool FindPortInTcpSubkeys(const IRegistryReader& registry, const wxString& keyPath, int* port) {
  for (RegistryView view : {RegistryView::Registry64, RegistryView::Registry32, RegistryView::Default}) {
    std::vector<wxString> names;
    if (!registry.subKeyNames(RegistryRoot::LocalMachine, view, keyPath, &names)) continue;
    for (const wxString& name : names) {
      if (name.IsSameAs("IPAll", false)) continue;
      if (ReadInstanceTcpPort(registry, keyPath + "\\" + name, port)) return true;
    }
  }
  return false;
}

bool ResolveSqlServerInstance(const wxString& instance, int* port, wxString* error, const SqlServerLookup& lookup) {
  if (port) *port = 0;
  const wxString name = Trimmed(instance);
  if (name.empty()) {
    SetError(error, "Invalid SQL Server instance name.");
    return false;
  }
  const IRegistryReader& registry = lookup.registryReader();
  wxString id;
  if (!ReadMachineRegistryString(registry, kInstanceNamesKey, name, &id)) {
    SetError(error, wxString::Format("SQL Server instance '%s' was not found in the local registry.", name));
    return false;
  }
  const wxString tcpKey = wxString(kServerKeyPrefix) + id + "\\MSSQLServer\\SuperSocketNetLib\\Tcp";
  int found = 0;
  if (ReadInstanceTcpPort(registry, tcpKey + "\\IPAll", &found) || FindPortInTcpSubkeys(registry, tcpKey, &found)) {
    if (port) *port = found;
    return true;
  }
  SetError(error, wxString::Format("SQL Server instance '%s' was found in the local registry, but no TCP port is "
                                   "configured under SuperSocketNetLib\\\\Tcp.",
                                   name));
  return false;
}

bool ResolveSqlServerEndpoint(const wxString& host, const wxString& instance, int* port, wxString* error,
                              const SqlServerLookup& lookup) {
  if (port) *port = 0;
  const wxString server = NormalizeSqlHost(host);
  const wxString name = Trimmed(instance);
  if (server.empty() || name.empty()) {
    SetError(error, "Invalid SQL Server instance name.");
    return false;
  }
  wxString registryError;
  if (IsLocalSqlHost(server)) {
    if (ResolveSqlServerInstance(name, port, &registryError, lookup)) return true;
  }
  wxString browserError;
  bool prefixable = true;
  if (AskBrowser(server, name, lookup.browserPort, lookup.browserTimeoutMs, port, &browserError, &prefixable)) {
    return true;
  }
  SetError(error, prefixable && !registryError.empty() ? registryError + " " + browserError : browserError);
  return false;
}

bool QuerySqlBrowser(const wxString& host, const wxString& instance, int browserPort, int timeoutMs, int* port,
                     wxString* error) {
  bool prefixable = true;
  return AskBrowser(host, instance, browserPort, timeoutMs, port, error, &prefixable);
}

bool ResolveSqlServerAlias(const wxString& alias, wxString* host, int* port, wxString* error,
                           const SqlServerLookup& lookup) {
  if (host) host->clear();
  if (port) *port = 0;
  const IRegistryReader& registry = lookup.registryReader();
  wxString value;
  bool found = false;
  for (const char* key : kAliasKeys) {
    found = ReadMachineRegistryString(registry, key, alias, &value);
    for (RegistryView view : {RegistryView::Registry64, RegistryView::Registry32, RegistryView::Default}) {
      if (found) break;
      found = ReadRegistryString(registry, RegistryRoot::CurrentUser, key, alias, view, &value);
    }
    if (found) break;
  }
  if (!found) return false;
  const wxArrayString parts = wxSplit(value, ',', '\\');
  if (parts.empty()) return false;
  const wxString protocol = Trimmed(parts[0]).Upper();
  if (protocol != "DBMSSOCN") {
    SetError(error, wxString::Format("SQL Server alias '%s' is configured as %s (%s).\nThe FreeTDS driver uses "
                                     "TCP/IP. Change the alias to TCP/IP or enter the real server as host,port.",
                                     alias, protocol, value));
    return true;
  }
  if (parts.size() < 2 || Trimmed(parts[1]).empty()) {
    SetError(error, wxString::Format("SQL Server TCP alias '%s' has an invalid registry value: %s", alias, value));
    return true;
  }
  if (host) *host = Trimmed(parts[1]);
  int aliasPort = 0;
  if (parts.size() > 2 && ParsePortNumber(parts[2], &aliasPort) && port) *port = aliasPort;
  return true;
}
