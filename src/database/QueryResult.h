// The whole result of one query as the MariaDB client reads it: a column index
// (lower-case column name -> position) shared by all rows, and the rows'
// value texts in column order (NULL as ""). A CKeyValueData view over the
// index and one row gives that row by column name. A reader that needs no
// copies walks the rows as cells in place instead (ResultRowVisitor).
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "entities/base/KeyValueData.h"

using ColumnIndex = CKeyValueData::ColumnIndex;
using ResultRow = CKeyValueData::Values;
using ResultRows = std::vector<ResultRow>;
// Called with one row of a result: its `count` cells in column order, valid
// only during the call. Returns false to stop the walk.
using ResultRowVisitor = std::function<bool(const CKeyValueData::Cell* cells, size_t count)>;
