// A loopback TCP relay between a test and a server, standing for the network in
// between: it can stop accepting (new connections then wait unanswered in its
// backlog, as at a host that is gone), stop forwarding on the connections it holds
// (as a server that hangs or a network gone silent), and drop them. It runs on a
// thread of its own; a switch that holds traffic lets go by itself after
// kHoldLimit, so that no test waits on it without bound.
#pragma once

#include <wx/string.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>

namespace veldrix::test {

class TcpRelay {
 public:
  static constexpr std::chrono::seconds kHoldLimit{30};

  // Relays connections to host:port (an IPv4 address); port() is its own.
  TcpRelay(const wxString& host, int port);
  ~TcpRelay();
  TcpRelay(const TcpRelay&) = delete;
  TcpRelay& operator=(const TcpRelay&) = delete;

  int port() const { return port_; }
  void SetAccepting(bool accepting);
  void SetForwarding(bool forwarding);
  enum class Sender { Client, Server };
  // Once one side of a connection has sent these bytes, the relay passes nothing
  // more from that client to the server, as a server or pooler that lets the login
  // through (the server's end of it) or takes a statement (the client's text, which
  // is not passed on) and then answers nothing. An empty marker: no such hold.
  void HoldOnceSent(Sender sender, const std::string& marker);
  // Closes every relayed connection on both sides.
  void DropConnections();

 private:
  void Run();
  void Wake();

  int listener_ = -1;
  int wake_[2] = {-1, -1};
  int port_ = 0;
  int targetPort_ = 0;
  std::string targetHost_;
  std::mutex lock_;
  bool accepting_ = true;
  bool forwarding_ = true;
  bool drop_ = false;
  std::string holdMarker_;
  Sender holdSender_ = Sender::Server;
  std::chrono::steady_clock::time_point heldSince_{};
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace veldrix::test
