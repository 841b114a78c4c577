#include "database/TransactionChanges.h"

#include "database/EntityMaps.h"

void CTransactionChanges::AddChange(int transaction, int kind, std::shared_ptr<CDBEntity> row) {
  if (!row) return;
  CScopedLock hold(lock_);
  ChangeList& list = transactions_[transaction];
  if (kind == kUpdate) {
    for (Change& change : list) {
      if (!IsSameRow(*change.row, *row)) continue;
      if (change.kind == kAdd || change.kind == kUpdate) {
        row->CopyTo(change.row.get());
        return;
      }
      if (change.kind == kDelete) return;
    }
    list.push_back(Change{kind, std::move(row)});
    return;
  }
  if (kind == kDelete) {
    bool removedAdd = false;
    ChangeList kept;
    kept.reserve(list.size() + 1);
    for (Change& change : list) {
      if (IsSameRow(*change.row, *row)) {
        removedAdd = removedAdd || change.kind == kAdd;
      } else {
        kept.push_back(std::move(change));
      }
    }
    list.swap(kept);
    if (!removedAdd) list.push_back(Change{kind, std::move(row)});
    if (list.empty()) transactions_.erase(transaction);
    return;
  }
  list.push_back(Change{kind, std::move(row)});
}

std::shared_ptr<CDBEntity> CTransactionChanges::FindRecordedRow(int transaction, const CDBEntity& row) {
  CScopedLock hold(lock_);
  auto it = transactions_.find(transaction);
  if (it == transactions_.end()) return nullptr;
  for (const Change& change : it->second) {
    if (IsSameRow(*change.row, row)) return change.kind == kDelete ? nullptr : change.row;
  }
  return nullptr;
}

CTransactionChanges::ChangeList CTransactionChanges::GetChanges(int transaction) {
  CScopedLock hold(lock_);
  auto it = transactions_.find(transaction);
  return it == transactions_.end() ? ChangeList{} : it->second;
}

void CTransactionChanges::RemoveTransaction(int transaction) {
  CScopedLock hold(lock_);
  transactions_.erase(transaction);
}

void CTransactionChanges::Clear() {
  CScopedLock hold(lock_);
  transactions_.clear();
}
