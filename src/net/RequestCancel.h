// CRequestCancel: lets one thread end the outgoing requests that others have
// in flight, for an owner's Stop. A request registers its connection for as
// long as it runs (CRequestCancel::Hold); Cancel stops every registered
// connection at once (its connect, write or read fails within milliseconds)
// and makes later requests fail before they connect, until Reset.
//
// Lock: lock_ guards the registered connections and the cancelled flag; it is
// held only while they change or are stopped (stopping never blocks).
#pragma once

#include <vector>

#include "foundation/Lock.h"

class CMyHttp;

class CRequestCancel {
 public:
  CRequestCancel() = default;
  CRequestCancel(const CRequestCancel&) = delete;
  CRequestCancel& operator=(const CRequestCancel&) = delete;

  // Stops the connections in flight and refuses new ones. Any thread; never blocks.
  void Cancel();
  // Lets requests run again (an owner's Start).
  void Reset();
  bool IsCancelled();

  // Registers `http` with `cancel` (when not null) for the life of the hold;
  // a connection registered after Cancel is stopped at once.
  class Hold {
   public:
    Hold(CRequestCancel* cancel, CMyHttp* http);
    ~Hold();
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

   private:
    CRequestCancel* const cancel_;
    CMyHttp* const http_;
  };

 private:
  CMutex lock_;
  std::vector<CMyHttp*> inFlight_ GUARDED_BY(lock_);
  bool cancelled_ GUARDED_BY(lock_) = false;
};
