// CHeaderWaitSet: the accepted connections of a server whose request header
// has not yet fully arrived, watched with epoll on the accept thread, so that
// a connection that sends nothing, or drips its header, holds no worker
// thread. The set also watches the listening socket.
//
// A connection leaves the set when its header block is complete (it is handed
// back to be served), when its header can never fit (also handed back, so the
// reader reports it), when the peer closes or fails (closed), when its
// deadline passes (closed, as a request whose header did not arrive in time),
// or when the set is full and it is nearest its deadline (closed to make room).
//
// Not thread-safe: the accept thread alone uses it.
#pragma once

#include <stddef.h>

#include <chrono>
#include <list>
#include <string>
#include <unordered_map>
#include <vector>

#include "net/Sock.h"

class CHeaderWaitSet {
 public:
  struct Connection {
    SOCKET socket = INVALID_SOCKET;
    std::string address;
    unsigned short port = 0;
  };

  // `capacity`: most connections waiting at once; `headerArea`: the largest
  // header block (empty line included) a reader accepts, + 1.
  CHeaderWaitSet(size_t capacity, int headerArea);
  // Closes every connection still waiting and the epoll descriptor.
  ~CHeaderWaitSet();
  CHeaderWaitSet(const CHeaderWaitSet&) = delete;
  CHeaderWaitSet& operator=(const CHeaderWaitSet&) = delete;

  // Creates the epoll descriptor and watches `listenSocket` (not owned) for
  // connections. False (logged) when epoll cannot be set up.
  bool Open(SOCKET listenSocket);

  // Watches an accepted connection (the set owns it from here) until its
  // header is complete or `timeoutMs` has passed. When the set is full the
  // connection nearest its deadline is closed first.
  void Add(SOCKET socket, const std::string& address, unsigned short port, int timeoutMs);

  // Waits at most `waitMs` (less when a deadline comes sooner) for activity.
  // Appends the connections whose header block is complete to `ready` (the
  // caller owns them from here) and closes those that closed, failed or
  // timed out. Returns true when the listening socket has connections to accept.
  bool Poll(int waitMs, std::vector<Connection>* ready);

  // Connections waiting now.
  size_t size() const { return waiting_.size(); }

  // Closes every waiting connection.
  void CloseAll();

 private:
  using Clock = std::chrono::steady_clock;
  struct Waiting {
    Connection connection;
    Clock::time_point deadline;
  };
  using Order = std::list<Waiting>;

  // What a peek at a waiting connection shows.
  enum class Peek { kWaiting, kComplete, kGone };
  Peek Look(SOCKET socket);
  // Stops watching the entry and closes its socket when `close`.
  void Remove(Order::iterator entry, bool close);
  // Closes the connections whose deadline has passed.
  void Expire();

  const size_t capacity_;
  const int headerArea_;
  int epoll_ = -1;
  SOCKET listenSocket_ = INVALID_SOCKET;
  Order waiting_;                                      // earliest deadline first
  std::unordered_map<SOCKET, Order::iterator> index_;  // socket -> its entry
  std::vector<char> peek_;                             // room for one peek
};
