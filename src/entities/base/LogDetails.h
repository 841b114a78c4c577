// ILogDetails: a log row with three detail texts. Reached by converting the row
// (dynamic_cast), not through CDBEntity::GetInterface.
#pragma once

#include <string>

class ILogDetails {
 public:
  // The "Detail1", "Detail2" and "Detail3" columns.
  virtual std::string GetDetail1() const = 0;
  virtual std::string GetDetail2() const = 0;
  virtual std::string GetDetail3() const = 0;

 protected:
  ~ILogDetails() = default;
};
