// The field rules of the recording-server status records: the shared record
// field kinds and list macros (foundation/RecordFields.h) under the names the
// records use, and the reading of the servers' channel lists.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "foundation/RecordFields.h"

using ZavInt = RecordInt;
using ZavUInt = RecordUInt;
using ZavInt64 = RecordInt64;
using ZavFloat = RecordFloat;
using ZavFlag = RecordFlag;
using ZavText = RecordText;
using ZavGroupWriter = CRecordGroupWriter;

inline bool ZavIsNamed(const CSerializationInfo& node, std::string_view name) { return RecordIsNamed(node, name); }

#define ZAV_DECLARE_FIELDS RECORD_DECLARE_FIELDS
#define ZAV_READ_FIELDS RECORD_READ_FIELDS
#define ZAV_WRITE_FIELDS RECORD_WRITE_FIELDS
#define ZAV_DECLARE_GROUP_FIELDS RECORD_DECLARE_GROUP_FIELDS
#define ZAV_READ_GROUP_FIELDS RECORD_READ_GROUP_FIELDS
#define ZAV_WRITE_GROUP_FIELDS RECORD_WRITE_GROUP_FIELDS
#define ZAV_DECLARE_INNER_FIELDS RECORD_DECLARE_INNER_FIELDS
#define ZAV_READ_INNER_FIELDS RECORD_READ_INNER_FIELDS
#define ZAV_WRITE_INNER_FIELDS RECORD_WRITE_INNER_FIELDS

// The numbers of a comma-separated channel list: empty pieces are skipped,
// each piece is read as strtol reads it (0 when it has no digits).
std::vector<int32_t> ZavChannelList(const std::string& text);
