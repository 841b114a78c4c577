// A row class that no test code names: it reaches the registry only when the
// program links its library whole.
#include "entities/base/RowClass.h"

namespace {

#define TEST_UNNAMED_COLUMNS(C) C(Int, "UnnamedID", UnnamedID, 0)

class CTestUnnamed : public CDBEntity {
  GATE_ENTITY_TABLE(CTestUnnamed, "TBL_TestUnnamed", TEST_UNNAMED_COLUMNS, AutoIncrement, "UnnamedID",
                    kEntityNoFlags)
};

GATE_REGISTER_ENTITY(CTestUnnamed);

}  // namespace
