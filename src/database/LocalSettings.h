// CLocalSettings: a settings file held in memory. Values are texts addressed
// by a category number and a name; the whole file is written back when a
// value changes (auto-save), or once at the end of a batch of changes
// (BeginUpdate ... EndUpdate), and once more when the object ends.
//
// The file: root Settings, one Setting element per value with Category, Name
// and Value, sorted by category, then by name (byte order); tab indentation,
// CR LF line ends, no XML declaration, texts XML-escaped and trimmed.
//
// Every operation takes the object's lock (re-entrant), file reads and writes
// included, so a save always writes a consistent set of values.
#pragma once

#include <map>
#include <string>
#include <thread>

#include "database/ISettingManager.h"
#include "foundation/Lock.h"

class CLocalSettings : public ISettingManager {
 public:
  // No values, no path, auto-save on.
  CLocalSettings() = default;
  // Saves once more (this class's Save) when auto-save is on and a path is known.
  ~CLocalSettings() override;
  CLocalSettings(const CLocalSettings&) = delete;
  CLocalSettings& operator=(const CLocalSettings&) = delete;

  // GetValue and SetValue.
  std::string GetText(int category, const std::string& key) override { return GetValue(category, key); }
  bool SetText(int category, const std::string& key, const std::string& text) override {
    return SetValue(category, key, text);
  }

  // Empties the values and remembers `path` (also when the file is missing).
  // False, holding no values, when the file is missing (nothing logged) or
  // cannot be read whole. A file that exists with content the reader cannot take whole
  // (no root, or broken XML after what was read) is first renamed aside to
  // "<path>.unreadable-YYYYMMDD-hhmmss" (logged): at once when auto-save is
  // on, else just before the first save to that path, so that no save
  // overwrites the only copy of what it held.
  // True after reading every Setting (an empty Name is skipped; a later
  // duplicate wins), even when there was none.
  virtual bool Load(const std::string& path);
  // Writes every value to `path` through a temporary file and a rename. False
  // for an empty path (nothing written) and when the write fails (logged).
  virtual bool Save(const std::string& path);

  // The value text; "" when absent.
  std::string GetValue(int category, const std::string& name);
  bool HasValue(int category, const std::string& name);
  // Stores the text. When auto-save is on and no thread is inside a batch:
  // false with a path not yet known (the value stays in memory), else the
  // result of Save(path). Otherwise true, nothing written.
  bool SetValue(int category, const std::string& name, const std::string& text);

  // Opens a batch on the calling thread (batches nest per thread).
  void BeginUpdate();
  // Closes one level of the calling thread's batch; when that leaves no
  // thread inside a batch and a path is known, saves (auto-save or not).
  // A thread without an open batch changes nothing.
  void EndUpdate();
  // Whether any thread is inside a batch.
  bool IsUpdating();

  void SetAutoSave(bool autoSave);
  bool GetAutoSave();
  // The path of the last Load; "" before the first.
  std::string GetPath();
  // How many values are held.
  size_t GetValueCount();

 protected:
  CLock& GetLock() RETURN_CAPABILITY(lock_) { return lock_; }

 private:
  void SetAsideUnreadableFile(const std::string& path) REQUIRES(lock_);

  CLock lock_;
  std::map<int, std::map<std::string, std::string>> values_ GUARDED_BY(lock_);  // category -> name -> text
  std::string path_ GUARDED_BY(lock_);
  // The file at path_ could not be read whole and is not yet set aside.
  bool unreadable_ GUARDED_BY(lock_) = false;
  bool autoSave_ GUARDED_BY(lock_) = true;
  std::map<std::thread::id, int> updating_ GUARDED_BY(lock_);  // thread -> nesting count
};
