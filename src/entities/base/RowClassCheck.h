// Checks that registered row classes keep the rules of the row-class pattern,
// for the tests of each row folder: the registry builds them under any letter
// case, accessor names follow the naming rule (unless a column says
// IrregularAccessor), names are unique, the key fits its kind, the column list
// a row reports matches its declaration, and initial and loaded values survive
// WriteColumns/LoadFrom, CopyTo, Clone and Serialize/Deserialize.
#pragma once

#include <string>
#include <vector>

// The problems found in the class registered under `tableName`, one line
// each; empty when there are none. Builds a few rows of the class.
std::vector<std::string> CheckRowClass(const std::string& tableName);

// CheckRowClass of every registered table, plus tables registered twice.
std::vector<std::string> CheckRegisteredRowClasses();
