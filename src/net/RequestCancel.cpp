#include "net/RequestCancel.h"

#include <algorithm>

#include "net/MyHttp.h"

void CRequestCancel::Cancel() {
  CMutexLock hold(lock_);
  cancelled_ = true;
  for (CMyHttp* http : inFlight_) http->Abort();
}

void CRequestCancel::Reset() {
  CMutexLock hold(lock_);
  cancelled_ = false;
}

bool CRequestCancel::IsCancelled() {
  CMutexLock hold(lock_);
  return cancelled_;
}

CRequestCancel::Hold::Hold(CRequestCancel* cancel, CMyHttp* http) : cancel_(cancel), http_(http) {
  if (cancel_ == nullptr) return;
  CMutexLock hold(cancel_->lock_);
  cancel_->inFlight_.push_back(http_);
  if (cancel_->cancelled_) http_->Abort();
}

CRequestCancel::Hold::~Hold() {
  if (cancel_ == nullptr) return;
  CMutexLock hold(cancel_->lock_);
  auto& list = cancel_->inFlight_;
  list.erase(std::remove(list.begin(), list.end(), http_), list.end());
}
