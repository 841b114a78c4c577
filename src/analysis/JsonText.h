// CJsonDocument: one JSON text that an analysis server sent, parsed into a
// RapidJSON document for the readers of this folder.
#pragma once

#include <stddef.h>

#include <rapidjson/document.h>

class CJsonDocument {
 public:
  CJsonDocument() : allocator_(firstBlock_, sizeof(firstBlock_)), document_(&allocator_) {}
  CJsonDocument(const CJsonDocument&) = delete;
  CJsonDocument& operator=(const CJsonDocument&) = delete;

  // Arrays and objects nested deeper than this are refused (real texts nest
  // a few levels), so that no text can exhaust a parser thread's stack.
  static constexpr int kMaxDepth = 256;

  // Parses the zero-terminated `text` (up to its first zero byte) as one JSON
  // value with optional white space around it; false when anything else is
  // there or the nesting is deeper than kMaxDepth. Call once per object.
  bool Parse(const char* text);
  // The parsed value (null before a successful Parse).
  const rapidjson::Value& Root() const { return document_; }

 private:
  // The values of a small text live in this first block, on the caller's
  // stack; larger texts take further blocks from the heap.
  static constexpr size_t kFirstBlockSize = 32 * 1024;
  alignas(16) char firstBlock_[kFirstBlockSize];
  rapidjson::MemoryPoolAllocator<> allocator_;
  rapidjson::Document document_;
};
