// CBIoTReply: the evaluation of one reply of the building-IoT platform, the
// step every platform operation runs after its request: the HTTP status must
// be 200 and the body (converted from UTF-8 to the legacy code page) one JSON
// document, whose keys the operation then reads. A key counts as absent when
// it is missing or holds another JSON type than the one the operation needs,
// so a reply of the wrong shape fails as "key absent", never otherwise.
#pragma once

#include <string>

#include "analysis/JsonText.h"

// Outcomes of the evaluation (the adapter's ErrorStatus values 4 and 5).
constexpr int kBIoTReplyOk = 0;
constexpr int kBIoTReplyHttpStatus = 4;
constexpr int kBIoTReplyNotJson = 5;

class CBIoTReply {
 public:
  // Evaluates the reply text (header block and body as received): 0 when the
  // status is 200 and the body parses, 4 for another status (StatusCode()
  // holds it; the body is not examined), 5 for a body that is no JSON (an
  // empty one included). Call once per object.
  int Evaluate(const std::string& replyText);

  int StatusCode() const { return statusCode_; }
  // The body in the legacy code page (set once the status was 200).
  const std::string& Body() const { return body_; }
  // The parsed document; a null value unless Evaluate returned 0.
  const rapidjson::Value& Root() const { return document_.Root(); }

  // The member `key` of `object` when it is a string (its text in `text`).
  static bool GetText(const rapidjson::Value& object, const char* key, std::string* text);
  // The member `key` of `object` when it is an object, else null.
  static const rapidjson::Value* GetObject(const rapidjson::Value& object, const char* key);
  // The member `key` of `object` when it is an array, else null.
  static const rapidjson::Value* GetArray(const rapidjson::Value& object, const char* key);

 private:
  int statusCode_ = 0;
  std::string body_;
  CJsonDocument document_;
};
