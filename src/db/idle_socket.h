// What the socket of an idle connection shows without waiting and without reading
// anything away. The MySQL and SQL Server drivers ask it before a statement: their
// servers send nothing unasked, so an idle socket that holds something has been
// written to by a server about to close it, or closed.
#pragma once

enum class IdleSocket {
  Quiet,   // nothing to read
  Unread,  // bytes wait to be read; whether the end follows them cannot be seen
  Closed,  // the peer has closed it, it failed, or there is no socket (fd < 0)
};

IdleSocket ProbeIdleSocket(int fd);
