// The waits and periods of the metadata receiver and its clients, in one
// place so that tests can shorten them. The defaults are the system's.
#pragma once

struct CVasMetaTimings {
  int connectTimeoutMs = 2000;       // TCP connect and TLS handshake
  int requestTimeoutSec = 2;         // writing the stream request; a Digest challenge's reply
  int connectRetryPauseMs = 5000;    // after a failed connection attempt
  int receiveFailurePauseMs = 1000;  // after a receive failure or an expired keep-alive
  int headerWaitMs = 1000;           // one wait for a part header
  int bodyWaitMs = 3000;             // reading one part body, in all
  int frameWaitMs = 3000;            // an AI engine's message header, then its body, each in all
  int keepAliveSeconds = 60;         // longest silence (no part body) before reconnecting
  int flushSeconds = 60;             // file log flush period
  int clockCheckSeconds = 60;        // least time between two clock checks
  int clockDiffLimitSeconds = 30;    // server clock offsets above this are reported
  int receiverWaitMs = 1000;         // the receiver thread's wait for a result
  int stopCheckMs = 100;             // how often pauses look for a stop request (reads are woken)
};
