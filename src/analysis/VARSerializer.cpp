#include "analysis/VARSerializer.h"

#include <ctype.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <utility>

#include "analysis/JsonMembers.h"
#include "analysis/JsonText.h"
#include "foundation/Log.h"

using rapidjson::Value;
using var_json::Value;
using var_json::FindMember;
using var_json::IntMember;
using var_json::StringMember;
using var_json::ArrayMember;
using var_json::ObjectMember;
using var_json::RealMember;
using var_json::NonEmptyArrayMember;
using var_json::TakeInt;
using var_json::TakeString;
using var_json::IntOrZero;
using var_json::WrappingAdd;
using var_json::ReadObjectElements;

namespace {

// Key constants of the all-object count text.
constexpr char VARSERIALIZER_ALL_COUNT[] = "AC";
constexpr char VARSERIALIZER_CHANNEL_NO[] = "C";
constexpr char VARSERIALIZER_LINE_CROSS[] = "P";

int LineStateOf(const Value& text) {
  if (text.GetStringLength() != 1) return VAR_LINE_NONE;
  switch (text.GetString()[0]) {
    case 'S': return VAR_LINE_START;
    case 'O': return VAR_LINE_ON;
    case 'E': return VAR_LINE_END;
    default: return VAR_LINE_NONE;
  }
}

// Colours: every integer element from 0 to 10; the array [0] alone means none.
void ReadColors(const Value& array, std::vector<int>* out) {
  if (array.Size() == 1 && array[0].IsInt() && array[0].GetInt() == 0) return;
  for (const Value& element : array.GetArray()) {
    if (element.IsInt() && element.GetInt() >= 0 && element.GetInt() <= 10)
      out->push_back(element.GetInt());
  }
}

CVARObject ReadObject(const Value& item) {
  CVARObject object;
  if (const Value* box = ObjectMember(item, "b")) CVARSerializer::ReadBox(*box, &object.Box);
  if (const Value* codes = ArrayMember(item, "o")) CVARSerializer::ReadClasses(*codes, ArrayMember(item, "c"), &object.Classes);
  if (const Value* array = ArrayMember(item, "oR")) CVARSerializer::ReadIntArray(*array, &object.ROINumbers);
  if (const Value* face = ObjectMember(item, "FI")) {
    object.DetailKind = VAR_DETAIL_FACE;
    TakeInt(*face, "n", &object.DetailN);
    if (const Value* value = RealMember(*face, "c")) object.DetailC = value->GetFloat();
    TakeString(*face, "fm", &object.DetailFM);
  }
  if (const Value* plate = ObjectMember(item, "LP")) {
    // A plate is written over a face detail: nothing of the face stays.
    object.DetailKind = VAR_DETAIL_PLATE;
    object.DetailN = 0;
    object.DetailC = 0.0f;
    object.DetailFM.clear();
    TakeString(*plate, "n", &object.DetailText);
  }
  TakeInt(item, "tid", &object.ID);
  if (const Value* array = NonEmptyArrayMember(item, "cid")) ReadColors(*array, &object.Colors);
  TakeInt(item, "reid", &object.ReID);
  return object;
}

void ReadObjects(const Value& array, CVAR* result) { result->SetObjects(ReadObjectElements(array, &ReadObject), true); }

// "N" events. An item without an integer "o" or "t" carries 0 there.
void ReadEvents(const Value& array, CVAR* result) {
  std::vector<CVAREvent> events;
  events.reserve(array.Size());
  for (const Value& item : array.GetArray()) {
    if (!item.IsObject()) continue;
    CVAREvent event;
    event.Class = IntOrZero(item, "o");
    event.TrackID = IntOrZero(item, "t");
    if (const Value* regions = ArrayMember(item, "e")) {
      CVARSerializer::ReadIntArray(*regions, &event.ROINumbers);
      event.Levels.assign(event.ROINumbers.size(), 0);
    }
    events.push_back(std::move(event));
  }
  result->SetEvents(std::move(events));
}

void ReadEItems(const Value& array, CVAR* result) {
  std::vector<CVAREItem> items;
  items.reserve(array.Size());
  for (const Value& element : array.GetArray()) {
    if (!element.IsObject()) continue;
    CVAREItem item;
    item.Class = IntOrZero(element, "o");
    item.TrackID = IntOrZero(element, "t");
    if (const Value* numbers = ArrayMember(element, "e")) CVARSerializer::ReadIntArray(*numbers, &item.Numbers);
    items.push_back(std::move(item));
  }
  CScopedLock hold(result->Lock);
  result->EItems = std::move(items);
}

// Count entries of a line: class code -> (FC, BC); a later entry of a class wins.
CVARClassCounts ReadClassCounts(const Value& array) {
  CVARClassCounts counts;
  for (const Value& entry : array.GetArray()) {
    const Value* code = IntMember(entry, "o");
    const Value* forward = IntMember(entry, "FC");
    const Value* backward = IntMember(entry, "BC");
    if (code && forward && backward) counts[code->GetInt()] = {forward->GetInt(), backward->GetInt()};
  }
  return counts;
}

// A line event of class `code` and track `track` at `line`: joins the first
// event of that class, else becomes a new event.
void AddLineEvent(CVAR* result, int code, int track, int line) {
  for (CVAREvent& event : result->Events) {
    if (event.Class != code) continue;
    event.LineNumbers.push_back(line);
    if (event.TrackID == -1) event.TrackID = track;
    return;
  }
  CVAREvent event;
  event.Class = code;
  event.TrackID = track;
  event.LineNumbers.push_back(line);
  result->Events.push_back(std::move(event));
}

// Object entries of a line ("T"): the state, and with `takeCount` the count,
// of the object they name. Entries need an integer "t", a string "s" and an
// integer `countKey` ("ccw" on lines, "ec" on groups, where it is not used further).
template <size_t N>
void ReadLineObjects(const Value& array, const char (&countKey)[N], bool takeCount, CVAR* result) {
  for (const Value& entry : array.GetArray()) {
    const Value* track = IntMember(entry, "t");
    const Value* state = StringMember(entry, "s");
    const Value* count = IntMember(entry, countKey);
    if (!track || !state || !count) continue;
    CVARObject* object = result->FindObject(track->GetInt());
    if (!object) continue;
    object->LineState = LineStateOf(*state);
    if (takeCount) object->CCW = count->GetInt();
  }
}

// Event entries of a line ("E"): integer "o" and "t", and on lines a string "d".
void ReadLineEvents(const Value& array, int line, bool needsDirection, CVAR* result) {
  for (const Value& entry : array.GetArray()) {
    const Value* code = IntMember(entry, "o");
    const Value* track = IntMember(entry, "t");
    if (!code || !track) continue;
    if (needsDirection && !StringMember(entry, "d")) continue;
    AddLineEvent(result, code->GetInt(), track->GetInt(), line);
  }
}

void ReadLineCrossings(const Value& array, CVAR* result) {
  for (const Value& item : array.GetArray()) {
    const Value* number = IntMember(item, "I");
    if (!number) continue;
    int line = number->GetInt();
    if (const Value* counts = ArrayMember(item, "C")) result->LineCounts[line] = ReadClassCounts(*counts);
    if (const Value* objects = ArrayMember(item, "T")) ReadLineObjects(*objects, "ccw", true, result);
    if (const Value* events = ArrayMember(item, "E")) ReadLineEvents(*events, line, true, result);
  }
}

// Group items ("PG"): the group's line is the first element of "L".
void ReadLineGroups(const Value& array, CVAR* result) {
  for (const Value& item : array.GetArray()) {
    if (!IntMember(item, "I")) continue;
    const Value* lines = NonEmptyArrayMember(item, "L");
    if (!lines || !(*lines)[0].IsInt()) continue;
    int line = (*lines)[0].GetInt();
    if (const Value* objects = ArrayMember(item, "T")) ReadLineObjects(*objects, "ec", false, result);
    if (const Value* events = ArrayMember(item, "E")) ReadLineEvents(*events, line, false, result);
  }
}

// The event that a crowd-density or water-level reading raises.
void AddReadingEvent(CVAR* result, int region, int level) {
  CVAREvent event;
  event.Class = -1;
  event.ROINumbers.push_back(region);
  event.Levels.push_back(level);
  result->Events.push_back(std::move(event));
}

// A box of "l", "t", "w", "h" where a missing member reads 0.
CVARBox ReadZeroFilledBox(const Value& box) {
  int left = IntOrZero(box, "l");
  int top = IntOrZero(box, "t");
  return {left, top, WrappingAdd(left, IntOrZero(box, "w")), WrappingAdd(top, IntOrZero(box, "h"))};
}

void ReadCrowdDensities(const Value& array, CVAR* result) {
  for (const Value& item : array.GetArray()) {
    const Value* region = IntMember(item, "I");
    const Value* level = IntMember(item, "S");
    const Value* density = RealMember(item, "W");
    const Value* count = IntMember(item, "C");
    const Value* event = IntMember(item, "E");
    const Value* boxes = ArrayMember(item, "B");
    if (!region || !level || !density || !count || !event || !boxes) continue;
    CVARCrowdDensity reading;
    reading.ROINumber = region->GetInt();
    reading.Level = level->GetInt();
    reading.Density = density->GetFloat();
    reading.Count = count->GetInt();
    reading.Event = event->GetInt();
    reading.Boxes.reserve(boxes->Size());
    for (const Value& box : boxes->GetArray()) reading.Boxes.push_back(ReadZeroFilledBox(box));
    if (reading.Event != 0) AddReadingEvent(result, reading.ROINumber, reading.Level);
    result->CrowdDensities.push_back(std::move(reading));
  }
}

void ReadWaterLevels(const Value& array, CVAR* result) {
  for (const Value& item : array.GetArray()) {
    const Value* region = IntMember(item, "I");
    const Value* level = IntMember(item, "S");
    const Value* value = RealMember(item, "W");
    const Value* event = IntMember(item, "E");
    if (!region || !level || !value || !event) continue;
    CVARWaterLevel reading;
    reading.ROINumber = region->GetInt();
    reading.Level = level->GetInt();
    reading.Value = value->GetFloat();
    reading.Event = event->GetInt();
    if (reading.Event != 0) AddReadingEvent(result, reading.ROINumber, reading.Level);
    result->WaterLevels.push_back(reading);
  }
}

// The number after "t_size": as atol reads it (blanks, a sign, digits), within
// `end`; values beyond `limit` are reported as `limit` + 1.
long long ReadSize(const char* at, const char* end, long long limit) {
  while (at < end && isspace(static_cast<unsigned char>(*at))) ++at;
  bool negative = false;
  if (at < end && (*at == '+' || *at == '-')) negative = *at++ == '-';
  long long value = 0;
  for (; at < end && *at >= '0' && *at <= '9'; ++at) {
    value = value * 10 + (*at - '0');
    if (value > limit) return negative ? -1 : limit + 1;
  }
  return negative ? -value : value;
}

}  // namespace

bool CheckInt(const Value& object, const char* key) {
  const Value* value = FindMember(object, key, strlen(key));
  return value && value->IsInt();
}

bool CheckArray(const Value& object, const char* key) {
  const Value* value = FindMember(object, key, strlen(key));
  return value && value->IsArray();
}

void CVARSerializer::ReadBox(const Value& box, CVARBox* out) {
  if (const Value* value = IntMember(box, "l")) out->left = value->GetInt();
  if (const Value* value = IntMember(box, "t")) out->top = value->GetInt();
  if (const Value* value = IntMember(box, "w")) out->right = WrappingAdd(out->left, value->GetInt());
  if (const Value* value = IntMember(box, "h")) out->bottom = WrappingAdd(out->top, value->GetInt());
}

void CVARSerializer::ReadIntArray(const Value& array, std::vector<int>* out) {
  if (!array.IsArray()) return;
  for (const Value& element : array.GetArray()) {
    if (element.IsInt()) out->push_back(element.GetInt());
  }
}

void CVARSerializer::ReadFloatArray(const Value& array, std::vector<float>* out) {
  if (!array.IsArray()) return;
  for (const Value& element : array.GetArray()) {
    if (element.IsDouble()) out->push_back(element.GetFloat());
  }
}

void CVARSerializer::ReadClasses(const Value& codes, const Value* confidences, std::vector<std::pair<int, float>>* out,
                                 int (*mapCode)(int)) {
  if (!codes.IsArray()) return;
  const Value* confidence = confidences && confidences->IsArray() ? confidences->Begin() : nullptr;
  const Value* lastConfidence = confidence ? confidences->End() : nullptr;
  for (const Value& code : codes.GetArray()) {
    if (!code.IsInt()) continue;
    while (confidence != lastConfidence && !confidence->IsDouble()) ++confidence;
    float value = 0.0f;
    if (confidence != lastConfidence) value = (confidence++)->GetFloat();
    out->emplace_back(mapCode ? mapCode(code.GetInt()) : code.GetInt(), value);
  }
}

void CVARSerializer::ReadHeader(const Value& document, CVAR* result) {
  TakeString(document, "T", &result->Type);
  TakeInt(document, "w", &result->Width);
  TakeInt(document, "h", &result->Height);
  TakeInt(document, "C", &result->Channel);
  TakeString(document, "S", &result->Time);
}

int CVARSerializer::GetMessageType(const char* text) {
  if (!text) return VAR_MESSAGE_OTHER;
  const char* key = strstr(text, "\"T\":\"");
  if (!key) return VAR_MESSAGE_OTHER;
  const char* value = key + 5;
  // The whole value must be one character followed by its closing quote.
  if (value[0] == '\0' || value[1] != '"') return VAR_MESSAGE_OTHER;
  switch (value[0]) {
    case 'a': return VAR_MESSAGE_RESULT;
    case 'h': return VAR_MESSAGE_KEEPALIVE;
    case 'c': return VAR_MESSAGE_ALL_COUNT;
    default: return VAR_MESSAGE_OTHER;
  }
}

bool CVARSerializer::CutThumbnail(char* text, int length, CVAR* result) {
  static constexpr char kSizeKey[] = "\"t_size\":";
  static constexpr long long kSizeKeyLength = sizeof(kSizeKey) - 1;
  if (!text || !result || length < 10) return false;
  // The key must start within the last 28 characters.
  long long key = -1;
  for (long long at = length - kSizeKeyLength; at >= 0 && at > length - kSizeKeyLength - 20; --at) {
    if (memcmp(text + at, kSizeKey, kSizeKeyLength) == 0) {
      key = at;
      break;
    }
  }
  if (key < 0) return false;
  long long size = ReadSize(text + key + kSizeKeyLength, text + length, length);
  if (size <= 0) return false;
  // Expected: ,"X":"<size characters>","t_size":  with the comma at `comma`.
  long long comma = key - size - 8;
  if (comma < 0) return false;
  if (text[key - 1] != ',' || text[key - 2] != '"' || text[comma] != ',' || text[comma + 1] != '"' ||
      text[comma + 3] != '"' || text[comma + 4] != ':' || text[comma + 5] != '"')
    return false;
  result->Thumbnail.assign(text + comma + 6, static_cast<size_t>(size));
  text[key - 2] = '\0';
  text[comma] = '}';
  text[comma + 1] = '\0';
  return true;
}

bool CVARSerializer::Deserialize(char* text, int length, CVAR* result) {
  if (!text || !result) return false;
  CutThumbnail(text, length, result);
  CJsonDocument parsed;
  // A value other than an object is no analysis result: reported as a text
  // that does not parse, so that it shows in the log.
  if (!parsed.Parse(text) || !parsed.Root().IsObject()) {
    GATE_LOG_DEFAULT(" parse failed!!\n%s\n", text);
    return false;
  }
  const Value& document = parsed.Root();
  ReadHeader(document, result);
  TakeString(document, "ST", &result->ST);
  TakeString(document, "ET", &result->ET);
  TakeInt(document, "Gap", &result->Gap);
  if (const Value* array = ArrayMember(document, "DO")) ReadObjects(*array, result);
  if (const Value* array = ArrayMember(document, "N")) ReadEvents(*array, result);
  if (const Value* array = ArrayMember(document, "E")) ReadEItems(*array, result);
  if (const Value* array = NonEmptyArrayMember(document, "P")) ReadLineCrossings(*array, result);
  if (const Value* array = NonEmptyArrayMember(document, "PG")) ReadLineGroups(*array, result);
  if (const Value* array = NonEmptyArrayMember(document, "CWD")) ReadCrowdDensities(*array, result);
  if (const Value* array = NonEmptyArrayMember(document, "WL")) ReadWaterLevels(*array, result);
  return true;
}

bool CVARSerializer::DeserializeAllCount(const char* text, int /*length*/, CVARAllCounts* counts) {
  if (!text || !counts) return false;
  CJsonDocument parsed;
  if (!parsed.Parse(text) || !parsed.Root().IsObject()) {
    GATE_LOG_DEFAULT("ERROR - Object all count parsing failed!!\n%s\n", text);
    return false;
  }
  const Value& document = parsed.Root();
  const Value* channels = ArrayMember(document, VARSERIALIZER_ALL_COUNT);
  if (!channels) {
    GATE_LOG_DEFAULT("ERROR - CheckString() for VARSERIALIZER_ALL_COUNT failed.\r\n");
    return false;
  }
  for (const Value& item : channels->GetArray()) {
    const Value* channel = IntMember(item, VARSERIALIZER_CHANNEL_NO);
    if (!channel) {
      GATE_LOG_DEFAULT("ERROR - CheckInt() for VARSERIALIZER_CHANNEL_NO failed.\r\n");
      return false;
    }
    const Value* lines = ArrayMember(item, VARSERIALIZER_LINE_CROSS);
    if (!lines) {
      GATE_LOG_DEFAULT("ERROR - HasMember() for VARSERIALIZER_LINE_CROSS failed.\r\n");
      return false;
    }
    CVARLineCounts& channelCounts = (*counts)[channel->GetInt()];
    channelCounts.clear();
    for (const Value& line : lines->GetArray()) {
      const Value* number = IntMember(line, "I");
      const Value* entries = ArrayMember(line, "C");
      if (number && entries) channelCounts[number->GetInt()] = ReadClassCounts(*entries);
    }
  }
  return true;
}
