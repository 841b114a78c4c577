#include "analysis/VARSerializerOGQ.h"

#include <utility>
#include <vector>

#include "analysis/JsonMembers.h"
#include "analysis/JsonText.h"
#include "analysis/NameCodes.h"
#include "analysis/VAREngineTime.h"
#include "foundation/Log.h"
#include "foundation/StringUtil.h"

using var_json::Value;
using var_json::IntMember;
using var_json::StringMember;
using var_json::RealMember;
using var_json::NonEmptyArrayMember;
using var_json::StringOf;
using var_json::TruncateToInt;

namespace {

constexpr CNameCode kOgqClasses[] = {{"person", 44}, {"flame", 42}, {"smoke", 43}, {"water", 2001}};
constexpr int kOgqFrame = 10000;

// A box with a known class and real coordinates (its confidence also to
// `score`), or false.
bool ReadBox(const Value& box, CVARObject* object, double* score) {
  const Value* name = StringMember(box, "class");
  const Value* confidence = RealMember(box, "confidence");
  const Value* xmin = RealMember(box, "xmin");
  const Value* ymin = RealMember(box, "ymin");
  const Value* xmax = RealMember(box, "xmax");
  const Value* ymax = RealMember(box, "ymax");
  if (!name || !confidence || !xmin || !ymin || !xmax || !ymax) return false;
  int code = CVARSerializerOGQ::GetClassCode(StringOf(*name));
  if (code == 0) return false;
  *score = confidence->GetDouble();
  object->Classes.emplace_back(code, confidence->GetFloat());
  object->Box = {TruncateToInt(xmin->GetDouble() * kOgqFrame), TruncateToInt(ymin->GetDouble() * kOgqFrame),
                 TruncateToInt(xmax->GetDouble() * kOgqFrame), TruncateToInt(ymax->GetDouble() * kOgqFrame)};
  return true;
}

}  // namespace

int CVARSerializerOGQ::GetClassCode(std::string_view name) { return CodeOfName(kOgqClasses, name, 0); }

bool CVARSerializerOGQ::Deserialize(const char* text, int /*length*/, CVAR* result, int* cameraId,
                                    std::string* eventName) {
  if (!text || !result) return false;
  CJsonDocument parsed;
  if (!parsed.Parse(text) || !parsed.Root().IsObject()) {
    GATE_LOG_DEFAULT(" parse failed!!\n%s\n", text);
    return false;
  }
  const Value& document = parsed.Root();
  const Value* camera = IntMember(document, "cameraId");
  const Value* name = StringMember(document, "eventName");
  const Value* status = StringMember(document, "status");
  const Value* time = RealMember(document, "time");
  if (!camera || !name || !status || !RealMember(document, "startTime") || !time ||
      !IntMember(document, "boxCount"))
    return false;

  std::vector<CVARObject> objects;
  const bool raisesEvent = StrEqualNoCase(StringOf(*status), "start");
  CVAREvent event;
  if (const Value* boxes = NonEmptyArrayMember(document, "boxes")) {
    for (const Value& box : boxes->GetArray()) {
      CVARObject object;
      double score = 0.0;
      if (!ReadBox(box, &object, &score)) continue;
      if (raisesEvent) {
        if (event.ROINumbers.empty()) event.ROINumbers.push_back(0);
        if (score > 0.0) event.Class = object.Classes[0].first;
      }
      objects.push_back(std::move(object));
    }
  }
  std::vector<CVAREvent> events;
  if (raisesEvent && !objects.empty()) events.push_back(std::move(event));

  result->Type = "a";
  result->Width = kOgqFrame;
  result->Height = kOgqFrame;
  SetEngineTime(time->GetDouble(), result);
  if (!events.empty()) {
    if (const Value* image = StringMember(document, "image")) result->Thumbnail = StringOf(*image);
  }
  result->SetObjects(std::move(objects), false);
  result->SetEvents(std::move(events));
  if (cameraId) *cameraId = camera->GetInt();
  if (eventName) *eventName = StringOf(*name);
  return true;
}
