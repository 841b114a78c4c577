// One camera's recording schedule (TBL_Record_Schedule), keyed by the camera's
// `no`: pre- and post-event recording times, audio and metadata recording,
// and the week's schedule, one character per hour (168 characters, "C" each
// by default). Deleted with its camera.
#pragma once

#include <string>

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_RECORD_SCHEDULE_COLUMNS(C)                  \
  C(Int, "camera_no", CameraNo, -1)                     \
  C(Int, "pre_time", PreTime, 10)                       \
  C(Int, "post_time", PostTime, 10)                     \
  C(Int, "audio_recording", AudioRecording, 0)          \
  C(String, "schedule", Schedule, kDefaultSchedule)     \
  C(Bool, "MetaRecording", MetaRecording, 0)
// clang-format on

// The columns and key of the table.
class CTBLRecordScheduleBase : public CDBEntity {
 public:
  // Hours in a week: the length of every schedule text.
  static constexpr size_t kScheduleLength = 168;
  // The schedule of a new row and of a row loaded with an empty schedule.
  static inline const std::string kDefaultSchedule = std::string(kScheduleLength, 'C');

  GATE_ENTITY_TABLE(CTBLRecordScheduleBase, "TBL_Record_Schedule", TBL_RECORD_SCHEDULE_COLUMNS, Plain, "camera_no",
                    kEntityNoFlags)
};

// The schedule always holds exactly 168 characters: a loaded or set text that
// is longer is cut, a shorter one is filled up with "C" (an empty one is the
// default schedule).
class CTBLRecordSchedule : public CTBLRecordScheduleBase {
 public:
  // `schedule` fitted to 168 characters.
  static std::string FitSchedule(const std::string& schedule);

  // Stores FitSchedule(`schedule`) and tells the subscribers of "schedule",
  // also when the text is unchanged; records no change.
  void SetSchedule(const std::string& schedule) override;
  // The columns; the schedule fitted to 168 characters. Under the row lock.
  void LoadFrom(CKeyValueData& row) override;
};
