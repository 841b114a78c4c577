// CTransactionChanges: the changes that open transactions of an entity store
// must bring to its cache on commit. Each transaction id has a list of records
// (kind and the store's own copy of the row) in recording order; records of one
// row (IsSameRow: same table and full key, or the same two key values) are merged so that a commit applies the row's net
// effect. The list never touches the database or the cache.
//
// One lock guards every list; the store takes it innermost, after its table
// and store locks.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "entities/base/DBEntity.h"
#include "foundation/Lock.h"

class CTransactionChanges {
 public:
  enum Kind : int { kAdd = 0, kUpdate = 1, kDelete = 2 };
  struct Change {
    int kind = kAdd;
    std::shared_ptr<CDBEntity> row;  // shared with whoever passed it in
  };
  using ChangeList = std::vector<Change>;

  CTransactionChanges() = default;
  virtual ~CTransactionChanges() = default;
  CTransactionChanges(const CTransactionChanges&) = delete;
  CTransactionChanges& operator=(const CTransactionChanges&) = delete;

  // Records a change of `row` under `transaction`, merging with the records of
  // the same row: an update folds into an earlier add or update of the row (its
  // values copied there) and is dropped after a delete; a delete removes every
  // record of the row and is itself dropped when one of them was an add. A null
  // row is ignored. Takes the lock.
  void AddChange(int transaction, int kind, std::shared_ptr<CDBEntity> row);
  // The row recorded for `row`'s table and id under `transaction` by an add
  // or update (shared); null when there is none or the row's record is a
  // delete. Takes the lock.
  std::shared_ptr<CDBEntity> FindRecordedRow(int transaction, const CDBEntity& row);
  // A copy of the transaction's records (rows shared); empty when it has none.
  ChangeList GetChanges(int transaction);
  // Drops the transaction's records.
  void RemoveTransaction(int transaction);
  // Drops every transaction's records.
  void Clear();

 private:
  CLock lock_;
  std::map<int, ChangeList> transactions_ GUARDED_BY(lock_);
};
