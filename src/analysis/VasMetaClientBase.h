// CVasMetaClientBase: what the metadata clients of every analysis-server kind
// share. A client keeps one long-lived connection (plain or TLS) to one
// analysis server on its own thread, reads the messages the server streams,
// and hands each kept message to its parser pool, which turns it into an
// analysis result (CVAR) for the metadata receiver's queue. The base holds
// the thread's pass (connect, receive, keep-alive, flush), the pending list,
// the parser jobs, the result rule and the clock check; a kind adds its
// request, its framing and its reader.
//
// Threads: the owner (the receiver) calls Run, RequestStop, StopClient and
// the destructor; the client thread runs the passes and alone uses the
// connection; parser workers run the parser jobs. Results of one server are
// handed on in the order their messages arrived: one batch is parsed at a time.
#pragma once

#include <stdint.h>

#include <memory>
#include <string>
#include <vector>

#include "analysis/VAR.h"
#include "analysis/VasConnInfo.h"
#include "analysis/VasMetaTimings.h"
#include "foundation/DateTimeUtil.h"
#include "foundation/Lock.h"
#include "foundation/SimpleThreadPool.h"
#include "foundation/Thread.h"
#include "net/SecureSock.h"
#include "platform/Clock.h"

class CVasMetaReceiver;

// One received message waiting for a parser: its body and its kind.
struct CVasMetaMessage {
  int type = 0;  // 0 not kept, 1 analysis result, 3 all-object counts
  std::string text;
};

class CVasMetaClientBase : public CThread {
 public:
  enum MessageType : int { META_NONE = 0, META_RESULT = 1, META_ALL_COUNT = 3 };

  // Copies the record; the receiver (not owned) must outlive the client and
  // gives it its queues, clock, timings and file logger.
  CVasMetaClientBase(const CVasConnInfo& info, CVasMetaReceiver* receiver);
  // Ends the thread and the parser pool (StopClient).
  ~CVasMetaClientBase() override;

  // Set by the receiver before Run.
  int Thumbnail = 0;          // ask for thumbnails
  int ThumbnailInterval = 1;  // thumbnail interval of the request
  int UseChannelFilter = 1;   // send the channel list with the request

  // Starts the parser pool "VAS_META_PARSERS-ID_<VasID>" with (channels / 20)
  // + 2 workers and the client thread "CVasMetaClientBase-<VasID>". False when
  // the client runs already.
  virtual bool Run();
  // Asks the thread to stop after its current step and wakes a read that
  // waits on the connection (shutdown of the socket); does not wait. True.
  virtual bool RequestStop();
  // Waits for the thread to end (after RequestStop a read ends at once, a
  // pause within stopCheckMs, a connect attempt within connectTimeoutMs and a
  // Digest exchange within requestTimeoutSec), stops the parser pool and frees
  // the messages no parser took. True. Safe to call again.
  bool StopClient();

  // The time of the last clock check (all zero: none since the connection was
  // made). Take the clock lock.
  SystemTime GetLastClockCheck();
  void SetLastClockCheck(const SystemTime& time);

  // "Torvane <address>:<port>" ("OGQ ..." for an OGQ server): the label of log lines.
  static std::string GetLabel(const CVasConnInfo& info);
  const CVasConnInfo& GetConnInfo() const { return connInfo_; }
  std::string GetParserPoolName() { return parserPool_.GetName(); }
  int GetParserWorkerCount() { return parserPool_.GetWorkerCount(); }

 protected:
  // ---- what a kind supplies ----

  // The class name in the keep-alive lines ("CVasMetaClientTorvane").
  virtual const char* GetKindName() const = 0;
  // Opens the connection and sends the kind's request (only called while not
  // connected); on success calls OnConnected. False: logged, nothing left open.
  virtual bool ConnectToServer() = 0;
  // Reads at most one message within the kind's waits. False on a receive
  // failure (logged; the pass closes the connection). True with
  // message->type META_NONE when no message is to be kept.
  virtual bool ReceiveMeta(CVasMetaMessage* message) = 0;
  // What ReadResult made of a text.
  enum ReadOutcome : int {
    READ_REFUSED = 0,  // the text does not parse: the base logs the deserialize lines
    READ_DONE = 1,     // the result is filled
    READ_DROPPED = 2,  // the kind dropped the result and logged why
  };
  // Fills `result` from a message text (writable, zero-terminated).
  virtual ReadOutcome ReadResult(char* text, int length, CVAR* result) = 0;
  // Handles a kept message of another type than META_RESULT (parser worker).
  virtual void HandleOtherMessage(CVasMetaMessage& /*message*/) {}
  // False for kinds whose silent connections are kept open.
  virtual bool UsesKeepAlive() const { return true; }

  // ---- for the kinds ----

  bool IsConnected() const { return sock_.IsUsable(); }
  // Connects to the record's address and port, over TLS when UseSecure is
  // set, within connectTimeoutMs. False with the "VAS connection failed" line.
  bool OpenConnection();
  // Ends TLS and closes the socket.
  void CloseConnection();
  // A connection was made: the last receive and flush are now, no clock check
  // yet, RequestStop may wake reads on it; the connect line goes to the file
  // log, naming the server by address and port, or with `byLabel` by its label.
  void OnConnected(bool byLabel = false);
  // A message body arrived: renews the keep-alive.
  void OnBodyReceived() { lastReceive_ = clock_->NowSeconds(); }
  // Sleeps up to `ms` in steps of stopCheckMs; false as soon as a stop is requested.
  bool PauseUntilStop(int ms);
  // Writes one line to the receiver's file log (level 1 error, 3 information).
  void FileLog(int level, const char* format, ...) __attribute__((format(printf, 3, 4)));

  CVasMetaReceiver* const receiver_;
  const CVasConnInfo connInfo_;
  const std::string label_;
  const std::shared_ptr<platform::Clock> clock_;
  const CVasMetaTimings timings_;
  CSecureSock sock_;  // used by the client thread alone

 private:
  bool DoJob() override;
  void OnExitInstance() override;

  void QueueMessage(CVasMetaMessage message);
  static void ParserJob(void* context, intptr_t argument);
  void ParsePending();
  void HandleResult(CVasMetaMessage& message);
  // The result of an analysis text: false when the reader refused it; true
  // with no result when its channel is negative.
  bool MakeVasMetaStream(CVasMetaMessage& message, std::unique_ptr<CVAR>* result);
  void CheckClock(const CVAR& result);
  void CheckKeepAlive();

  // Client thread only.
  int64_t lastReceive_ = 0;  // wall-clock seconds of the last body (or the connect)
  int64_t lastFlush_ = 0;

  CLock socketLock_;  // guards wakeSocket_
  SOCKET wakeSocket_ = INVALID_SOCKET;  // the open connection's socket, for RequestStop

  CLock clockLock_;  // guards lastClockCheck_
  SystemTime lastClockCheck_;

  CLock pendingLock_;  // guards pending_ and parsing_
  std::vector<CVasMetaMessage> pending_;
  bool parsing_ = false;  // a parser worker is working through the pending messages

  CSimpleThreadPool parserPool_;
};
