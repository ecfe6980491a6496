// Sockets bound to a free port on the loopback address, for the stand-in servers of
// the SQL Server tests.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

// A socket of `type` (SOCK_STREAM or SOCK_DGRAM) bound to 127.0.0.1 or ::1 on a
// port the system picks; *port receives it. -1 when the address is not available.
inline int BindLoopback(int family, int type, int* port) {
  const int fd = socket(family, type, 0);
  if (fd < 0) return -1;
  sockaddr_storage address{};
  socklen_t length;
  if (family == AF_INET6) {
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&address);
    v6->sin6_family = AF_INET6;
    v6->sin6_addr = in6addr_loopback;
    length = sizeof(sockaddr_in6);
  } else {
    auto* v4 = reinterpret_cast<sockaddr_in*>(&address);
    v4->sin_family = AF_INET;
    v4->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    length = sizeof(sockaddr_in);
  }
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    close(fd);
    return -1;
  }
  *port = ntohs(family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&address)->sin6_port
                                   : reinterpret_cast<sockaddr_in*>(&address)->sin_port);
  return fd;
}
