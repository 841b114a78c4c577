// What the synchronizer service tests share: a count of the runs a service
// reported, and the rows of a query as the mariadb client prints them.
#pragma once

#include <mutex>
#include <string>

#include "foundation/MessagePublisher.h"
#include "support/TestDatabase.h"

// Counts "MSG_DATASYNC_EXECUTED"; subscribe with the counter as context 1.
struct RunCounter {
  std::mutex lock;
  int count = 0;
  static void OnMessage(const IMessagePublisher::_message_t* message) {
    auto* runs = static_cast<RunCounter*>(message->context1);
    std::lock_guard<std::mutex> hold(runs->lock);
    if (message->message == "MSG_DATASYNC_EXECUTED") ++runs->count;
  }
  int Count() {
    std::lock_guard<std::mutex> hold(lock);
    return count;
  }
};

// The rows `query` gives on `database`, one line each, columns joined by "|";
// "<query failed> ..." with the client's message when it fails.
std::string QueryRows(const TestDatabase& db, const std::string& database, const std::string& query);
