// CSqlWhereClause: the conditions of one query, added one by one, rendered as
// one condition text without the word WHERE. Each condition carries its
// connector to the one before it (1: OR, anything else: AND) and its nesting
// depth, the number of parentheses that enclose it. Texts are used unchanged:
// callers back-quote column names and quote values themselves (SqlQuote).
#pragma once

#include <string>
#include <vector>

#include "foundation/Lock.h"

class CSqlWhereClause {
 public:
  struct Condition {
    int join = 0;   // 1: OR with the condition before; other values: AND
    int depth = 0;  // parentheses around the condition; below 0 counts as 0
    std::string text;
  };

  CSqlWhereClause() = default;
  virtual ~CSqlWhereClause() = default;
  CSqlWhereClause(const CSqlWhereClause&) = delete;
  CSqlWhereClause& operator=(const CSqlWhereClause&) = delete;

  // Appends a copy of `condition`. Takes the lock.
  virtual void Add(const Condition& condition);
  // Formats the text by printf rules and appends {join, depth, text}.
  virtual void AddFormat(int join, int depth, const char* format, ...) __attribute__((format(printf, 4, 5)));
  // Removes every condition. Takes the lock.
  virtual void Clear();
  virtual bool IsEmpty();
  // The clause: " ) " closes levels before the connector, " ( " opens them
  // after it; an empty condition text suppresses the connector after it. An
  // empty list gives "". Takes the lock.
  virtual std::string ToString();

 private:
  CLock lock_;
  std::vector<Condition> conditions_ GUARDED_BY(lock_);
};

// `text` as an SQL text literal, the form every text value of a statement
// takes: backslashes doubled, apostrophes escaped with a backslash, enclosed in
// single quotes ("O'Neil\\x" gives 'O\'Neil\\x'). Safe in any statement of a
// connection whose sql_mode keeps backslash escapes, as the adapter's does.
std::string SqlQuote(const std::string& text);
