#include "database/SqlWhereClause.h"

#include <cstdarg>

#include "entities/base/ColumnValue.h"
#include "foundation/StringUtil.h"

void CSqlWhereClause::Add(const Condition& condition) {
  CScopedLock hold(lock_);
  conditions_.push_back(condition);
}

void CSqlWhereClause::AddFormat(int join, int depth, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = StrFormatV(format ? format : "", args);
  va_end(args);
  Add(Condition{join, depth, std::move(text)});
}

void CSqlWhereClause::Clear() {
  CScopedLock hold(lock_);
  conditions_.clear();
}

bool CSqlWhereClause::IsEmpty() {
  CScopedLock hold(lock_);
  return conditions_.empty();
}

std::string CSqlWhereClause::ToString() {
  CScopedLock hold(lock_);
  std::string out;
  int current = 0;
  bool pending = false;
  for (const Condition& c : conditions_) {
    // A negative depth would leave parentheses unbalanced; it counts as 0.
    const int depth = c.depth < 0 ? 0 : c.depth;
    for (int level = depth; level < current; ++level) out += " ) ";
    if (pending) out += c.join == 1 ? " OR " : " AND ";
    while (current < depth) {
      out += " ( ";
      ++current;
    }
    out += c.text;
    current = depth;
    pending = !c.text.empty();
  }
  for (int level = 0; level < current; ++level) out += " ) ";
  return out;
}

std::string SqlQuote(const std::string& text) {
  return CColumnValue("", text, kColumnKindString).GetSqlValueText();
}
