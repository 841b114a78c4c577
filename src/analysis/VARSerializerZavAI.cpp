#include "analysis/VARSerializerZavAI.h"

#include <map>
#include <utility>

#include "analysis/JsonMembers.h"
#include "analysis/JsonText.h"
#include "analysis/NameCodes.h"
#include "analysis/VARSerializer.h"
#include "foundation/Log.h"

using var_json::Value;
using var_json::IntMember;
using var_json::StringMember;
using var_json::ArrayMember;
using var_json::ObjectMember;
using var_json::NonEmptyArrayMember;
using var_json::TakeInt;
using var_json::StringOf;
using var_json::ReadObjectElements;

namespace {

constexpr CNameCode kColors[] = {
    {"black", 1},  {"gray", 2},   {"white", 3},  {"red", 4},     {"orange", 5},  {"yellow", 6},  {"green", 7},
    {"blue", 8},   {"navy", 9},   {"purple", 10}, {"pink", 101}, {"brown", 102}, {"beige", 103},
};

// The colour code of the first element of `array` when that element is a
// string; false when there is none.
bool FirstColor(const Value* array, int* code) {
  if (!array || array->Empty() || !(*array)[0].IsString()) return false;
  *code = CVARSerializerZavAI::GetColorCode(StringOf((*array)[0]));
  return true;
}

// "clr": an object of colour-name arrays. A whole-body colour ("w") stands
// alone; otherwise the top ("t") and then the bottom ("b"), the bottom after
// a 0 when no top colour came first.
void ReadZavColors(const Value& colors, std::vector<int>* out) {
  int code = 0;
  if (const Value* whole = NonEmptyArrayMember(colors, "w")) {
    if (FirstColor(whole, &code)) out->push_back(code);
    return;
  }
  if (FirstColor(ArrayMember(colors, "t"), &code)) out->push_back(code);
  if (FirstColor(ArrayMember(colors, "b"), &code)) {
    if (out->empty()) out->push_back(0);
    out->push_back(code);
  }
}

// One "DO" or "N" item: box, classes with their confidences, track id.
CVARObject ReadZavObject(const Value& item) {
  CVARObject object;
  if (const Value* box = ObjectMember(item, "b")) CVARSerializer::ReadBox(*box, &object.Box);
  if (const Value* codes = ArrayMember(item, "o"))
    CVARSerializer::ReadClasses(*codes, ArrayMember(item, "c"), &object.Classes, &CVARSerializerZavAI::GetClassCode);
  TakeInt(item, "tid", &object.ID);
  return object;
}

void ReadZavObjects(const Value& array, CVAR* result) { result->SetObjects(ReadObjectElements(array, &ReadZavObject), true); }

// The entries that one (class, track) group of "N" items collected.
struct EventGroup {
  std::vector<int> regions;
  std::string name;  // the last non-empty name of an entry whose region id is above 0
};

// "N": the objects (they take the place of the "DO" objects) and the events,
// one per (first class code, track id) among the items that name a region id
// of 0 or more; an item without a class code joins the group of class -1.
void ReadObjectEvents(const Value& array, CVAR* result, std::vector<std::string>* eventNames) {
  std::vector<CVARObject> objects;
  objects.reserve(array.Size());
  std::map<std::pair<int, int>, EventGroup> groups;  // ascending class code, then track id
  for (const Value& item : array.GetArray()) {
    if (!item.IsObject()) continue;
    CVARObject object = ReadZavObject(item);
    int region = -1;
    if (const Value* rid = IntMember(item, "rid")) {
      region = rid->GetInt();
      object.ROINumbers.push_back(region);
    }
    if (const Value* colors = ObjectMember(item, "clr")) ReadZavColors(*colors, &object.Colors);
    if (region >= 0) {
      int code = object.Classes.empty() ? -1 : object.Classes.front().first;
      EventGroup& group = groups[{code, object.ID}];
      group.regions.push_back(region);
      const Value* name = StringMember(item, "evt");
      if (region > 0 && name && name->GetStringLength() > 0) group.name = StringOf(*name);
    }
    objects.push_back(std::move(object));
  }
  result->SetObjects(std::move(objects), true);
  std::vector<CVAREvent> events;
  events.reserve(groups.size());
  for (auto& [key, group] : groups) {
    CVAREvent event;
    event.Class = key.first;
    event.TrackID = key.second;
    event.Levels.assign(group.regions.size(), 0);
    event.ROINumbers = std::move(group.regions);
    events.push_back(std::move(event));
    if (eventNames) eventNames->push_back(std::move(group.name));
  }
  result->SetEvents(std::move(events));
}

}  // namespace

int CVARSerializerZavAI::GetMessageType(const char* text) {
  int type = CVARSerializer::GetMessageType(text);
  return type == VAR_MESSAGE_RESULT || type == VAR_MESSAGE_KEEPALIVE ? type : VAR_MESSAGE_OTHER;
}

int CVARSerializerZavAI::GetClassCode(int engineClass) {
  switch (engineClass) {
    case 10: return 2002;
    case 50:
    case 51: return 2003;
    case 70: return 2004;
    default: return -1;
  }
}

int CVARSerializerZavAI::GetColorCode(std::string_view name) { return CodeOfName(kColors, name, 0); }

bool CVARSerializerZavAI::Deserialize(char* text, int length, CVAR* result, std::vector<std::string>* eventNames) {
  if (!text || !result) return false;
  CVARSerializer::CutThumbnail(text, length, result);
  CJsonDocument parsed;
  if (!parsed.Parse(text) || !parsed.Root().IsObject()) {
    GATE_LOG_DEFAULT(" parse failed!!\n%s\n", text);
    return false;
  }
  const Value& document = parsed.Root();
  CVARSerializer::ReadHeader(document, result);
  if (const Value* array = NonEmptyArrayMember(document, "DO")) ReadZavObjects(*array, result);
  if (const Value* array = NonEmptyArrayMember(document, "N")) ReadObjectEvents(*array, result, eventNames);
  return true;
}
