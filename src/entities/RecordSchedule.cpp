#include "entities/RecordSchedule.h"

std::string CTBLRecordSchedule::FitSchedule(const std::string& schedule) {
  std::string fitted = schedule.substr(0, kScheduleLength);
  fitted.resize(kScheduleLength, 'C');
  return fitted;
}

void CTBLRecordSchedule::SetSchedule(const std::string& schedule) {
  std::string fitted = FitSchedule(schedule);
  {
    CScopedLock hold(GetRowLock());
    columnSchedule_.swap(fitted);
  }
  RaisePropertyChanged("schedule");
}

void CTBLRecordSchedule::LoadFrom(CKeyValueData& row) {
  CScopedLock hold(GetRowLock());
  CTBLRecordScheduleBase::LoadFrom(row);
  columnSchedule_ = FitSchedule(columnSchedule_);
}

GATE_REGISTER_ENTITY(CTBLRecordSchedule);
