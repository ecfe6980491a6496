// A small stand-in for SQL Server on loopback: it speaks enough TDS 7.1 for a db-lib
// client to log in and run batches, and answers each batch by the text it holds.
// Tests of the FreeTDS connection use it where no real server can run.
#pragma once

#include "loopback_socket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace faketds {

using Bytes = std::string;

inline void PutU16(Bytes& out, unsigned value) {
  out += static_cast<char>(value & 0xff);
  out += static_cast<char>((value >> 8) & 0xff);
}
inline void PutU32(Bytes& out, uint32_t value) {
  PutU16(out, value & 0xffff);
  PutU16(out, value >> 16);
}
inline Bytes Ucs2(const std::string& ascii) {
  Bytes out;
  for (char c : ascii) {
    out += c;
    out += '\0';
  }
  return out;
}
inline Bytes BVarchar(const std::string& ascii) { return std::string(1, static_cast<char>(ascii.size())) + Ucs2(ascii); }

// DONE: status, and a row count when status has DONE_COUNT (0x10).
inline Bytes Done(unsigned status, uint32_t rows = 0) {
  Bytes out("\xFD");
  PutU16(out, status);
  PutU16(out, 0xC1);  // SELECT
  PutU32(out, rows);
  return out;
}

// ERROR (0xAA) or INFO (0xAB) token.
inline Bytes Message(bool error, uint32_t number, int severity, const std::string& text, int line = 1) {
  Bytes body;
  PutU32(body, number);
  body += static_cast<char>(1);  // state
  body += static_cast<char>(severity);
  PutU16(body, static_cast<unsigned>(text.size()));
  body += Ucs2(text);
  body += BVarchar("FAKE");
  body += BVarchar("");
  PutU16(body, static_cast<unsigned>(line));
  Bytes out(1, error ? '\xAA' : '\xAB');
  PutU16(out, static_cast<unsigned>(body.size()));
  return out + body;
}

// A column of a result set: its name, the type info that follows the user type and
// flags (type byte and, for some types, length and collation).
struct Column {
  std::string name;
  Bytes typeInfo;
};

// One result set whose cells come encoded as the type wants them.
inline Bytes Rows(const std::vector<Column>& columns, const std::vector<std::vector<Bytes>>& rows) {
  Bytes out("\x81");
  PutU16(out, static_cast<unsigned>(columns.size()));
  for (const Column& column : columns) {
    PutU16(out, 0);       // user type
    PutU16(out, 0x0001);  // nullable
    out += column.typeInfo;
    out += BVarchar(column.name);
  }
  for (const auto& row : rows) {
    out += '\xD1';
    for (const Bytes& cell : row) out += cell;
  }
  return out + Done(0x10, static_cast<uint32_t>(rows.size()));
}

// One result set of nullable INT columns; a value of INT32_MIN stands for NULL.
inline Bytes IntRows(const std::vector<std::string>& names, const std::vector<std::vector<int32_t>>& rows) {
  Bytes out("\x81");
  PutU16(out, static_cast<unsigned>(names.size()));
  for (const std::string& name : names) {
    PutU16(out, 0);       // user type
    PutU16(out, 0x0001);  // nullable
    out += '\x26';        // INTN
    out += '\x04';
    out += BVarchar(name);
  }
  for (const auto& row : rows) {
    out += '\xD1';
    for (int32_t value : row) {
      if (value == INT32_MIN) {
        out += '\0';
      } else {
        out += '\x04';
        PutU32(out, static_cast<uint32_t>(value));
      }
    }
  }
  return out + Done(0x10, static_cast<uint32_t>(rows.size()));
}

// The answer to a batch: the token stream, or `waitForCancel` to answer only an
// attention from the client. `hangUp` closes the connection instead of answering,
// `hangUpAfter` once the answer is sent, as a server that ends the session does.
struct Reply {
  Bytes tokens;
  bool waitForCancel = false;
  bool hangUp = false;
  bool hangUpAfter = false;
};

// The text the handler is asked with at a login: tokens in its reply refuse the login.
const char kLogin[] = "<login>";

class Server {
 public:
  using Handler = std::function<Reply(const std::string& batch)>;

  // loginDelayMs holds back the answer to each login, keeping the client in its open.
  explicit Server(Handler handler, int loginDelayMs = 0) : handler_(std::move(handler)), loginDelayMs_(loginDelayMs) {
    fd_ = BindLoopback(AF_INET, SOCK_STREAM, &port_);
    ok_ = fd_ >= 0 && listen(fd_, 4) == 0;
    if (ok_) thread_ = std::thread([this] { run(); });
  }
  ~Server() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    for (std::thread& client : clients_) client.join();
    if (fd_ >= 0) close(fd_);
  }
  bool ok() const { return ok_; }
  int port() const { return port_; }
  std::vector<std::string> batches() const {
    std::lock_guard<std::mutex> guard(lock_);
    return batches_;
  }
  int cancels() const { return cancels_; }

 private:
  // Reads one whole message (packets up to end-of-message); false when the peer left
  // or the server stops.
  bool readMessage(int client, int* type, Bytes* payload) {
    payload->clear();
    while (true) {
      Bytes header;
      if (!readExactly(client, 8, &header)) return false;
      *type = static_cast<unsigned char>(header[0]);
      const unsigned length = (static_cast<unsigned char>(header[2]) << 8) | static_cast<unsigned char>(header[3]);
      Bytes body;
      if (length < 8 || !readExactly(client, length - 8, &body)) return false;
      *payload += body;
      if (header[1] & 0x01) return true;
    }
  }
  bool readExactly(int client, std::size_t count, Bytes* out) {
    while (out->size() < count) {
      if (stop_) return false;
      pollfd waiting{client, POLLIN, 0};
      const int ready = poll(&waiting, 1, 50);
      if (ready <= 0) continue;
      char buffer[4096];
      const ssize_t got = recv(client, buffer, std::min(sizeof(buffer), count - out->size()), 0);
      if (got <= 0) return false;
      out->append(buffer, static_cast<std::size_t>(got));
    }
    return true;
  }
  void send(int client, int type, const Bytes& payload) {
    Bytes packet;
    packet += static_cast<char>(type);
    packet += '\x01';
    const unsigned length = static_cast<unsigned>(payload.size() + 8);
    packet += static_cast<char>((length >> 8) & 0xff);
    packet += static_cast<char>(length & 0xff);
    packet += std::string("\x00\x34\x01\x00", 4);
    packet += payload;
    ::send(client, packet.data(), packet.size(), MSG_NOSIGNAL);
  }
  void serve(int client) {
    int type = 0;
    Bytes payload;
    while (readMessage(client, &type, &payload)) {
      if (type == 0x12) {  // PRELOGIN: version, no encryption
        Bytes answer("\x00\x00\x0B\x00\x06\x01\x00\x11\x00\x01\xFF", 11);
        answer += std::string("\x0F\x00\x07\xD0\x00\x00", 6);
        answer += '\x02';
        send(client, 0x04, answer);
      } else if (type == 0x10) {  // LOGIN7
        if (loginDelayMs_ > 0) std::this_thread::sleep_for(std::chrono::milliseconds(loginDelayMs_));
        const Reply refusal = handler_(kLogin);
        if (!refusal.tokens.empty()) {
          send(client, 0x04, refusal.tokens);
          return;
        }
        Bytes ack;
        ack += '\x01';
        ack += std::string("\x71\x00\x00\x01", 4);
        ack += BVarchar("Fake SQL");
        ack += std::string("\x0F\x00\x07\xD0", 4);
        Bytes tokens("\xAD");
        PutU16(tokens, static_cast<unsigned>(ack.size()));
        send(client, 0x04, tokens + ack + Done(0));
      } else if (type == 0x01) {  // SQL batch, UCS-2
        std::string text;
        for (std::size_t i = 0; i + 1 < payload.size(); i += 2) text += payload[i];
        {
          std::lock_guard<std::mutex> guard(lock_);
          batches_.push_back(text);
        }
        const Reply reply = handler_(text);
        if (reply.hangUp) return;
        if (!reply.waitForCancel) {
          send(client, 0x04, reply.tokens);
          if (reply.hangUpAfter) return;
          continue;
        }
        int next = 0;
        Bytes ignored;
        if (!readMessage(client, &next, &ignored)) return;
        if (next == 0x06) {
          ++cancels_;
          send(client, 0x04, Done(0x20));  // DONE_ATTN
        }
      } else if (type == 0x06) {  // attention outside a batch
        ++cancels_;
        send(client, 0x04, Done(0x20));
      }
    }
  }
  void run() {
    // Bounded: polls every 50 ms and ends with the test. Each client is served on a
    // thread of its own, as a program may hold a second connection while one is open.
    while (!stop_) {
      pollfd waiting{fd_, POLLIN, 0};
      if (poll(&waiting, 1, 50) <= 0) continue;
      const int client = accept(fd_, nullptr, nullptr);
      if (client < 0) continue;
      clients_.emplace_back([this, client] {
        serve(client);
        close(client);
      });
    }
  }

  Handler handler_;
  int loginDelayMs_ = 0;
  int fd_ = -1;
  bool ok_ = false;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> cancels_{0};
  std::thread thread_;
  std::vector<std::thread> clients_;  // touched by the accepting thread, then joined
  mutable std::mutex lock_;
  std::vector<std::string> batches_;
};

}  // namespace faketds
