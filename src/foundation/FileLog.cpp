#include "foundation/FileLog.h"

CFileLog::~CFileLog() { Reset(); }

void CFileLog::Reset() {
  if (file) fclose(file);
  file = nullptr;
  folder.clear();
  prefix.clear();
  fileName.clear();
  date.clear();
  path.clear();
}
