#include "analysis/VARSerializerSKTAI.h"

#include <ctype.h>
#include <math.h>

#include <charconv>
#include <utility>
#include <vector>

#include "analysis/JsonMembers.h"
#include "analysis/JsonText.h"
#include "analysis/NameCodes.h"
#include "analysis/VAREngineTime.h"
#include "foundation/Log.h"

using var_json::Value;
using var_json::IntMember;
using var_json::StringMember;
using var_json::ArrayMember;
using var_json::ObjectMember;
using var_json::NumberMember;
using var_json::StringOf;
using var_json::WrappingAdd;
using var_json::TruncateToInt;

namespace {

constexpr CNameCode kSktClasses[] = {{"person", 2002}, {"vehicle", 2003}};
constexpr int kSktFrame = 10000;

// The box of the first element of "bboxes_in_track", or false when the array
// is empty or that element lacks a numeric "x", "y", "w" or "h".
bool ReadFirstBox(const Value& boxes, CVARBox* out) {
  if (boxes.Empty()) return false;
  const Value& first = boxes[0];
  const Value* x = NumberMember(first, "x");
  const Value* y = NumberMember(first, "y");
  const Value* w = NumberMember(first, "w");
  const Value* h = NumberMember(first, "h");
  if (!x || !y || !w || !h) return false;
  double left = x->GetDouble();
  double top = y->GetDouble();
  *out = {TruncateToInt(left * kSktFrame), TruncateToInt(top * kSktFrame), TruncateToInt((left + w->GetDouble()) * kSktFrame),
          TruncateToInt((top + h->GetDouble()) * kSktFrame)};
  return true;
}

// One element of "objects": the object, and its events appended to `events`;
// false (nothing appended) when the element does not fit.
bool ReadSktObject(const Value& item, CVARObject* object, std::vector<CVAREvent>* events) {
  const Value* confidence = NumberMember(item, "confidence");
  const Value* name = StringMember(item, "class_name");
  const Value* track = IntMember(item, "track_id");
  const Value* list = ArrayMember(item, "event_list");
  const Value* boxes = ArrayMember(item, "bboxes_in_track");
  if (!confidence || !name || !track || !list || !boxes) return false;
  int code = CVARSerializerSKTAI::GetClassCode(StringOf(*name));
  if (code == 0 || !ReadFirstBox(*boxes, &object->Box)) return false;
  object->Classes.emplace_back(code, confidence->GetFloat());
  object->ID = track->GetInt();
  for (const Value& entry : list->GetArray()) {
    const Value* region = IntMember(entry, "event_roi_id");
    if (!StringMember(entry, "event_name") || !region) continue;
    CVAREvent event;
    event.Class = code;
    event.ROINumbers.push_back(WrappingAdd(region->GetInt(), 1));
    event.Levels.push_back(0);
    event.TrackID = object->ID;
    events->push_back(std::move(event));
  }
  return true;
}

}  // namespace

int CVARSerializerSKTAI::GetClassCode(std::string_view name) { return CodeOfName(kSktClasses, name, 0); }

double CVARSerializerSKTAI::ReadNumberText(std::string_view text) {
  size_t at = 0;
  while (at < text.size() && isspace(static_cast<unsigned char>(text[at]))) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  // A second sign is no number for atof either.
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) return 0.0;
  double value = 0.0;
  std::from_chars_result read = std::from_chars(text.data() + at, text.data() + text.size(), value);
  if (read.ec == std::errc::result_out_of_range) {
    value = HUGE_VAL;
  } else if (read.ec != std::errc()) {
    value = 0.0;
  }
  return negative ? -value : value;
}

bool CVARSerializerSKTAI::Deserialize(const char* text, int /*length*/, CVAR* result) {
  if (!text || !result) return false;
  CJsonDocument parsed;
  if (!parsed.Parse(text) || !parsed.Root().IsObject()) {
    GATE_LOG_DEFAULT(" parse failed!!\n%s\n", text);
    return false;
  }
  const Value& document = parsed.Root();
  const Value* source = ObjectMember(document, "source");
  const Value* items = ArrayMember(document, "objects");
  if (!source || !items) return false;
  const Value* channel = IntMember(*source, "channel_id");
  const Value* stamp = StringMember(*source, "camera_timestamp");
  if (!channel || !stamp) return false;

  std::vector<CVARObject> objects;
  std::vector<CVAREvent> events;
  for (const Value& item : items->GetArray()) {
    CVARObject object;
    if (ReadSktObject(item, &object, &events)) objects.push_back(std::move(object));
  }
  result->Channel = WrappingAdd(channel->GetInt(), 1);
  result->Type = "a";
  result->Width = kSktFrame;
  result->Height = kSktFrame;
  SetEngineTime(ReadNumberText(StringOf(*stamp)), result);
  result->SetObjects(std::move(objects), false);
  result->SetEvents(std::move(events));
  return true;
}
