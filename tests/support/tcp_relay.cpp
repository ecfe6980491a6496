#include "tcp_relay.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <list>
#include <stdexcept>
#include <string>
#include <vector>

namespace veldrix::test {
namespace {

void SetNonBlocking(int fd) { fcntl(fd, F_SETFL, fcntl(fd, F_GETFL, 0) | O_NONBLOCK); }

sockaddr_in Address(const std::string& host, int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  inet_pton(AF_INET, host.c_str(), &address.sin_addr);
  return address;
}

// One relayed connection: each side with the bytes still to be written to it.
struct Side {
  int fd = -1;
  std::string out;
};
struct Pair {
  Side client;
  Side server;
  bool closed = false;
  // HoldOnceSent: the sender's last bytes, where a marker split between two reads
  // is found, and since when the client's bytes are held.
  std::string tail;
  bool held = false;
  std::chrono::steady_clock::time_point heldSince{};
};

// Whether the bytes just sent complete the marker.
bool SeesMarker(Pair& pair, const std::string& marker, const std::string& arrived) {
  pair.tail += arrived;
  const bool seen = pair.tail.find(marker) != std::string::npos;
  if (pair.tail.size() >= marker.size()) pair.tail.erase(0, pair.tail.size() - marker.size() + 1);
  return seen;
}

void Close(Pair& pair) {
  if (pair.closed) return;
  ::close(pair.client.fd);
  ::close(pair.server.fd);
  pair.closed = true;
}

// Reads what `from` holds into the bytes for `to`; false when the side has ended.
bool Pass(Side& from, Side& to) {
  char buffer[65536];
  const ssize_t got = recv(from.fd, buffer, sizeof buffer, 0);
  if (got > 0) {
    to.out.append(buffer, static_cast<std::size_t>(got));
    return true;
  }
  return got < 0 && (errno == EAGAIN || errno == EINTR);
}

bool Flush(Side& side) {
  const ssize_t sent = send(side.fd, side.out.data(), side.out.size(), MSG_NOSIGNAL);
  if (sent > 0) side.out.erase(0, static_cast<std::size_t>(sent));
  return sent >= 0 || errno == EAGAIN || errno == EINTR;
}

}  // namespace

TcpRelay::TcpRelay(const wxString& host, int port) : targetPort_(port), targetHost_(host.ToStdString()) {
  if (targetHost_ == "localhost") targetHost_ = "127.0.0.1";
  listener_ = socket(AF_INET, SOCK_STREAM, 0);
  const int on = 1;
  setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address = Address("127.0.0.1", 0);
  socklen_t length = sizeof address;
  if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener_, 16) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0 || pipe(wake_) != 0) {
    throw std::runtime_error("the relay cannot listen on loopback");
  }
  port_ = ntohs(address.sin_port);
  SetNonBlocking(listener_);
  thread_ = std::thread([this] { Run(); });
}

TcpRelay::~TcpRelay() {
  stop_ = true;
  Wake();
  thread_.join();
  ::close(listener_);
  ::close(wake_[0]);
  ::close(wake_[1]);
}

void TcpRelay::Wake() {
  const char byte = 0;
  (void)!write(wake_[1], &byte, 1);
}

void TcpRelay::SetAccepting(bool accepting) {
  std::lock_guard<std::mutex> guard(lock_);
  if (!accepting && accepting_ && forwarding_) heldSince_ = std::chrono::steady_clock::now();
  accepting_ = accepting;
  Wake();
}

void TcpRelay::SetForwarding(bool forwarding) {
  std::lock_guard<std::mutex> guard(lock_);
  if (!forwarding && accepting_ && forwarding_) heldSince_ = std::chrono::steady_clock::now();
  forwarding_ = forwarding;
  Wake();
}

void TcpRelay::HoldOnceSent(Sender sender, const std::string& marker) {
  std::lock_guard<std::mutex> guard(lock_);
  holdSender_ = sender;
  holdMarker_ = marker;
  Wake();
}

void TcpRelay::DropConnections() {
  std::lock_guard<std::mutex> guard(lock_);
  drop_ = true;
  Wake();
}

void TcpRelay::Run() {
  std::list<Pair> pairs;
  while (!stop_) {
    bool accepting;
    bool forwarding;
    bool drop;
    std::string marker;
    Sender markerSender;
    {
      std::lock_guard<std::mutex> guard(lock_);
      if ((!accepting_ || !forwarding_) && std::chrono::steady_clock::now() - heldSince_ > kHoldLimit) {
        accepting_ = forwarding_ = true;
      }
      accepting = accepting_;
      forwarding = forwarding_;
      drop = drop_;
      drop_ = false;
      marker = holdMarker_;
      markerSender = holdSender_;
    }
    if (drop) {
      for (Pair& pair : pairs) Close(pair);
    }
    pairs.remove_if([](const Pair& pair) { return pair.closed; });
    for (Pair& pair : pairs) {
      if (pair.held && std::chrono::steady_clock::now() - pair.heldSince > kHoldLimit) pair.held = false;
    }

    std::vector<pollfd> fds = {{wake_[0], POLLIN, 0}, {accepting ? listener_ : -1, POLLIN, 0}};
    for (Pair& pair : pairs) {
      for (Side* side : {&pair.client, &pair.server}) {
        Side& other = side == &pair.client ? pair.server : pair.client;
        const bool heldClient = side == &pair.client && pair.held;
        short events = other.out.empty() && !heldClient ? POLLIN : 0;
        if (!side->out.empty()) events |= POLLOUT;
        // A held connection is not looked at, not even for its end.
        fds.push_back({forwarding ? side->fd : -1, events, 0});
      }
    }
    if (poll(fds.data(), fds.size(), 200) <= 0) continue;
    if (fds[0].revents & POLLIN) {
      char bytes[64];
      (void)!read(wake_[0], bytes, sizeof bytes);
    }
    std::size_t index = 2;
    for (Pair& pair : pairs) {
      for (Side* side : {&pair.client, &pair.server}) {
        Side& other = side == &pair.client ? pair.server : pair.client;
        const short revents = fds[index++].revents;
        if (pair.closed) continue;
        bool alive = !(revents & (POLLERR | POLLNVAL));
        if (alive && (revents & (POLLIN | POLLHUP))) {
          const std::size_t before = other.out.size();
          alive = Pass(*side, other);
          const bool byServer = side == &pair.server;
          if (!marker.empty() && !pair.held && byServer == (markerSender == Sender::Server) &&
              SeesMarker(pair, marker, other.out.substr(before))) {
            pair.held = true;
            pair.heldSince = std::chrono::steady_clock::now();
            if (!byServer) other.out.resize(before);
          }
        }
        if (alive && (revents & POLLOUT)) alive = Flush(*side);
        if (!alive) Close(pair);
      }
    }
    // A connection that came after SetAccepting(false) returned waits in the
    // backlog, even when the poll began while the relay still accepted.
    bool stillAccepting = false;
    {
      std::lock_guard<std::mutex> guard(lock_);
      stillAccepting = accepting_;
    }
    if ((fds[1].revents & POLLIN) && stillAccepting) {
      const int client = accept(listener_, nullptr, nullptr);
      if (client < 0) continue;
      const int server = socket(AF_INET, SOCK_STREAM, 0);
      const sockaddr_in target = Address(targetHost_, targetPort_);
      if (connect(server, reinterpret_cast<const sockaddr*>(&target), sizeof target) != 0) {
        ::close(client);
        ::close(server);
        continue;
      }
      SetNonBlocking(client);
      SetNonBlocking(server);
      Pair pair;
      pair.client.fd = client;
      pair.server.fd = server;
      pairs.push_back(std::move(pair));
    }
  }
  for (Pair& pair : pairs) Close(pair);
}

}  // namespace veldrix::test
