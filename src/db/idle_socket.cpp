#include "db/idle_socket.h"

#include <poll.h>
#include <sys/socket.h>

#include <cerrno>

IdleSocket ProbeIdleSocket(int fd) {
  if (fd < 0) return IdleSocket::Closed;
  pollfd socket{fd, POLLIN, 0};
  if (poll(&socket, 1, 0) <= 0) return IdleSocket::Quiet;
  if (socket.revents & (POLLERR | POLLHUP | POLLNVAL)) return IdleSocket::Closed;
  char byte = 0;
  const ssize_t got = recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
  if (got > 0) return IdleSocket::Unread;
  if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return IdleSocket::Quiet;
  return IdleSocket::Closed;
}
