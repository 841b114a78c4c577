#include "database/DbTestRows.h"

#include "entities/base/EntitySchema.h"

GATE_REGISTER_ENTITY(CDbTestCamera);
GATE_REGISTER_ENTITY(CDbTestEvent);
GATE_REGISTER_ENTITY(CDbTestSetting);
GATE_REGISTER_ENTITY(CDbTestLink);
GATE_REGISTER_ENTITY(CDbTestLog);
GATE_REGISTER_ENTITY(CDbTestStatus);

std::vector<std::string> DbTestTableStatements() {
  return {GetCreateTableText(CDbTestCamera::Descriptor()), GetCreateTableText(CDbTestEvent::Descriptor()),
          GetCreateTableText(CDbTestSetting::Descriptor()), GetCreateTableText(CDbTestLink::Descriptor()),
          GetCreateTableText(CDbTestLog::Descriptor())};
}
