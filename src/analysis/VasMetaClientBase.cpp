#include "analysis/VasMetaClientBase.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/socket.h>

#include <chrono>
#include <new>
#include <thread>

#include "analysis/VasMetaReceiver.h"
#include "foundation/FileLogger.h"
#include "foundation/Log.h"
#include "foundation/StringUtil.h"

CVasMetaClientBase::CVasMetaClientBase(const CVasConnInfo& info, CVasMetaReceiver* receiver)
    : receiver_(receiver),
      connInfo_(info),
      label_(GetLabel(info)),
      clock_(receiver->GetClock()),
      timings_(receiver->GetTimings()) {}

CVasMetaClientBase::~CVasMetaClientBase() {
  RequestStop();
  StopClient();
}

std::string CVasMetaClientBase::GetLabel(const CVasConnInfo& info) {
  return StrFormat("%s %s:%d", info.Type == kVasKindOgq ? "OGQ" : "Torvane", info.Address.c_str(), info.Port);
}

bool CVasMetaClientBase::Run() {
  if (IsRunning()) return false;
  int workers = static_cast<int>(connInfo_.Channels.size()) / 20 + 2;
  parserPool_.Start(StrFormat("VAS_META_PARSERS-ID_%d", connInfo_.VasID), workers);
  Start(StrFormat("CVasMetaClientBase-%d", connInfo_.VasID));
  return true;
}

bool CVasMetaClientBase::RequestStop() {
  CThread::Stop();
  // A read waiting on the connection ends at once rather than at its time-out.
  CScopedLock hold(socketLock_);
  if (wakeSocket_ != INVALID_SOCKET) shutdown(wakeSocket_, SHUT_RDWR);
  return true;
}

bool CVasMetaClientBase::OpenConnection() {
  sock_.tls = connInfo_.UseSecure ? 1 : 0;
  if (!sock_.Connect(connInfo_.Address, static_cast<unsigned short>(connInfo_.Port), timings_.connectTimeoutMs)) {
    GATE_LOG(1, "ERROR - [%s] VAS connection failed..\r\n", label_.c_str());
    return false;
  }
  return true;
}

void CVasMetaClientBase::CloseConnection() {
  {
    CScopedLock hold(socketLock_);
    wakeSocket_ = INVALID_SOCKET;
  }
  sock_.Close();
}

bool CVasMetaClientBase::StopClient() {
  EndThread();
  parserPool_.Stop(false, 30);
  CScopedLock hold(pendingLock_);
  pending_.clear();
  return true;
}

SystemTime CVasMetaClientBase::GetLastClockCheck() {
  CScopedLock hold(clockLock_);
  return lastClockCheck_;
}

void CVasMetaClientBase::SetLastClockCheck(const SystemTime& time) {
  CScopedLock hold(clockLock_);
  lastClockCheck_ = time;
}

void CVasMetaClientBase::OnConnected(bool byLabel) {
  {
    CScopedLock hold(socketLock_);
    wakeSocket_ = sock_.socket;
    if (IsStopRequested()) shutdown(wakeSocket_, SHUT_RDWR);
  }
  lastReceive_ = lastFlush_ = clock_->NowSeconds();
  if (byLabel) {
    FileLog(3, "Meta Client has connected to a server [%s]\n", label_.c_str());
  } else {
    FileLog(3, "Meta Client has connected to a server %s:%d\n", connInfo_.Address.c_str(), connInfo_.Port);
  }
  SetLastClockCheck(SystemTime());
}

bool CVasMetaClientBase::PauseUntilStop(int ms) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!IsStopRequested()) {
    auto left = end - std::chrono::steady_clock::now();
    if (left <= std::chrono::steady_clock::duration::zero()) return true;
    std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
        left, std::chrono::milliseconds(timings_.stopCheckMs)));
  }
  return false;
}

void CVasMetaClientBase::FileLog(int level, const char* format, ...) {
  CFileLogger* logger = receiver_->GetFileLogger();
  if (!logger || !logger->IsOpen()) return;
  va_list args;
  va_start(args, format);
  std::string text = StrFormatV(format, args);
  va_end(args);
  logger->Write(level, text);
}

bool CVasMetaClientBase::DoJob() {
  if (!IsConnected() && !ConnectToServer()) {
    PauseUntilStop(timings_.connectRetryPauseMs);
    return true;
  }
  CVasMetaMessage message;
  if (!ReceiveMeta(&message)) {
    CloseConnection();
    PauseUntilStop(timings_.receiveFailurePauseMs);
    return true;
  }
  if (message.type != META_NONE) QueueMessage(std::move(message));
  if (UsesKeepAlive()) {
    CheckKeepAlive();
    int64_t now = clock_->NowSeconds();
    if (now < lastFlush_ || now - lastFlush_ > timings_.flushSeconds) {
      lastFlush_ = now;
      if (CFileLogger* logger = receiver_->GetFileLogger()) logger->Flush();
    }
  }
  return true;
}

void CVasMetaClientBase::CheckKeepAlive() {
  int64_t now = clock_->NowSeconds();
  int64_t silence = now - lastReceive_;
  if (now >= lastReceive_ && silence <= timings_.keepAliveSeconds) return;
  CloseConnection();
  PauseUntilStop(timings_.receiveFailurePauseMs);
  GATE_LOG(1, "%s(%s) has expired keep alive time %d seconds. diff=%d\r\n", GetKindName(), label_.c_str(),
           timings_.keepAliveSeconds, static_cast<int>(silence));
  FileLog(1, "%s(%s) has expired keep alive time %d seconds.. diff=%d\n", GetKindName(), label_.c_str(),
          timings_.keepAliveSeconds, static_cast<int>(silence));
}

void CVasMetaClientBase::OnExitInstance() {
  CloseConnection();
  FileLog(3, "Meta Client has disconnected from a server %s:%d\n", connInfo_.Address.c_str(), connInfo_.Port);
  if (CFileLogger* logger = receiver_->GetFileLogger()) logger->Flush();
}

void CVasMetaClientBase::QueueMessage(CVasMetaMessage message) {
  try {
    CScopedLock hold(pendingLock_);
    pending_.push_back(std::move(message));
  } catch (const std::bad_alloc&) {
    GATE_LOG(1, "ERROR - memory allocation for META_BUFFER failed.\r\n");
    FileLog(1, "memory allocation for META_BUFFER failed.\n");
    return;
  }
  parserPool_.AddJob(&CVasMetaClientBase::ParserJob, this, 0);
}

void CVasMetaClientBase::ParserJob(void* context, intptr_t /*argument*/) {
  static_cast<CVasMetaClientBase*>(context)->ParsePending();
}

void CVasMetaClientBase::ParsePending() {
  std::vector<CVasMetaMessage> batch;
  {
    CScopedLock hold(pendingLock_);
    // One batch at a time keeps the server's results in arrival order: the
    // worker in flight takes what came meanwhile once its batch is done.
    if (parsing_) return;
    parsing_ = true;
  }
  for (;;) {
    {
      CScopedLock hold(pendingLock_);
      batch.swap(pending_);
      if (batch.empty() || IsStopRequested()) {
        // After a stop the rest is freed unparsed by StopClient.
        if (!batch.empty()) pending_.swap(batch);
        parsing_ = false;
        return;
      }
    }
    for (CVasMetaMessage& message : batch) {
      if (message.type == META_RESULT) {
        HandleResult(message);
      } else {
        HandleOtherMessage(message);
      }
    }
    batch.clear();
  }
}

void CVasMetaClientBase::HandleResult(CVasMetaMessage& message) {
  std::unique_ptr<CVAR> result;
  if (!MakeVasMetaStream(message, &result)) {
    GATE_LOG(1, "ERROR - [%s] Error raised when make vas meta stream\r\n", label_.c_str());
    return;
  }
  if (!result) return;
  CVAR* handed = result.release();
  if (!receiver_->PushResult(handed)) {
    delete handed;
    FileLog(1, "[%s] Error raised when push a meta to queue.\n", label_.c_str());
  }
}

bool CVasMetaClientBase::MakeVasMetaStream(CVasMetaMessage& message, std::unique_ptr<CVAR>* result) {
  auto made = std::make_unique<CVAR>();
  ReadOutcome outcome = ReadResult(message.text.data(), static_cast<int>(message.text.size()), made.get());
  if (outcome == READ_DROPPED) return false;
  if (outcome != READ_DONE) {
    GATE_LOG(1, "ERROR - [%s] Error raised when json deserialize the meta stream\r\n", label_.c_str());
    FileLog(1, "[%s] Error raised when json deserialize the meta stream.\n", label_.c_str());
    return false;
  }
  if (made->Channel < 0) return true;
  made->Reserved = connInfo_.Reserved;
  made->VasID = connInfo_.VasID;
  CheckClock(*made);
  *result = std::move(made);
  return true;
}

void CVasMetaClientBase::CheckClock(const CVAR& result) {
  if (!receiver_->GetFileLogger()) return;
  SystemTime now = platform::ToLocalDateTime(clock_->NowMicros());
  SystemTime last = GetLastClockCheck();
  if (last.year == 0) {
    SetLastClockCheck(now);
    return;
  }
  int64_t nowSeconds = SystemTimeToTime(now);
  if (nowSeconds - SystemTimeToTime(last) <= timings_.clockCheckSeconds) return;
  SetLastClockCheck(now);
  SystemTime resultTime = result.GetTimestamp();
  int64_t diff = nowSeconds - SystemTimeToTime(resultTime);
  if (llabs(diff) <= timings_.clockDiffLimitSeconds) return;
  FileLog(1, "[%s] time diff between ZMS&VAS is too great. time diff = %d sec. sys=%s, sync date time=%s\n",
          label_.c_str(), static_cast<int>(diff), FormatDateTime(now, kDateOrderSystem).c_str(),
          FormatDateTime(resultTime, kDateOrderSystem).c_str());
}
