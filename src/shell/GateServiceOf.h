// CGateServiceOf: the part of IGateService that every service with typed job
// records shares. A service gives copies of its jobs and their run statuses
// (taken under its own lock); the rows of the job list come from its kind's
// job and status views.
#pragma once

#include <map>
#include <vector>

#include "shell/GateService.h"

template <class Item, class Status>
class CGateServiceOf : public IGateService {
 public:
  using Kind = TGateServiceKind<Item, Status>;

  // `kind` must outlive the service (descriptors are static).
  explicit CGateServiceOf(const Kind& kind) : kind_(kind) {}

  const CGateServiceKind& GetKind() const override { return kind_; }

  // Copies of the jobs by ID.
  virtual std::map<int, Item> GetItems() = 0;
  // A copy of job `id`, or a job whose ID is 0.
  virtual Item GetItem(int id) = 0;
  // A copy of job `id`'s run status, or a status whose ID is 0.
  virtual Status GetItemStatus(int id) = 0;

  std::vector<int> GetItemIDs() override {
    std::vector<int> ids;
    for (const auto& entry : GetItems()) ids.push_back(entry.first);
    return ids;
  }
  bool HasItem(int id) override { return GetItem(id).GetID() > 0; }
  bool GetJobRow(int id, const ILangTexts* texts, CJobRow* row) override {
    Status status = GetItemStatus(id);
    if (status.GetID() <= 0) return false;
    *row = kind_.MakeRow(GetItem(id), status, texts);
    return true;
  }

 private:
  const Kind& kind_;
};
