// A service of the tests' own behind IGateService: its jobs and run statuses
// are set by the test, and every call is written to a journal shared by the
// services of one test ("Start 3" for kind 3), so the order across services shows.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "shell/GateService.h"

class TestGateService : public IGateService {
 public:
  TestGateService(GateServiceKind kind, std::shared_ptr<std::vector<std::string>> journal)
      : kind_(kind), journal_(std::move(journal)) {}

  // Adds a job with its status (status ID = job ID unless given).
  void AddJob(const CGateServiceItem& item, CGateServiceItemStatus status) {
    items[item.id] = item;
    statuses[item.id] = status;
  }

  std::map<int, CGateServiceItem> items;
  std::map<int, CGateServiceItemStatus> statuses;
  CGateServiceHiddenSettings hidden;           // as last applied
  CGateServiceHiddenSettings initializedWith;  // as applied when Initialize ran
  bool configured = true;
  bool running = false;

  GateServiceKind GetServiceKind() const override { return kind_; }
  void ApplyHiddenSettings(const CGateServiceHiddenSettings& settings) override { hidden = settings; }
  void Initialize() override {
    Note("Initialize");
    initializedWith = hidden;
  }
  void OnFinalStop() override { Note("FinalStop"); }
  void Start() override {
    Note("Start");
    running = true;
  }
  void Stop() override {
    Note("Stop");
    running = false;
  }
  bool IsConfigured() override {
    Note("IsConfigured");
    return configured;
  }
  std::map<int, CGateServiceItem> GetItems() override { return items; }
  CGateServiceItem GetItem(int id) override {
    auto it = items.find(id);
    return it == items.end() ? CGateServiceItem() : it->second;
  }
  CGateServiceItemStatus GetItemStatus(int id) override {
    auto it = statuses.find(id);
    return it == statuses.end() ? CGateServiceItemStatus() : it->second;
  }

 private:
  void Note(const char* what) {
    if (journal_) journal_->push_back(std::string(what) + " " + std::to_string(static_cast<int>(kind_)));
  }

  GateServiceKind kind_;
  std::shared_ptr<std::vector<std::string>> journal_;
};
