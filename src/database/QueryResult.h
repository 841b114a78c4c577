// The whole result of one query as the MariaDB client reads it: a column index
// (lower-case column name -> position) shared by all rows, and the rows'
// value texts in column order (NULL as ""). A CKeyValueData view over the
// index and one row gives that row by column name.
#pragma once

#include <vector>

#include "entities/base/KeyValueData.h"

using ColumnIndex = CKeyValueData::ColumnIndex;
using ResultRow = CKeyValueData::Values;
using ResultRows = std::vector<ResultRow>;
