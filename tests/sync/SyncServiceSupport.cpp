#include "SyncServiceSupport.h"

#include "NetPeers.h"
#include "support/TempDir.h"

std::string QueryRows(const TestDatabase& db, const std::string& database, const std::string& query) {
  TempDir dir;
  const std::string out = dir.Join("out.txt");
  if (RunCommand({"mariadb", "--no-defaults", "-h", db.host, "-P", std::to_string(db.port), "-u", db.user,
                  "-p" + db.password, "-N", "-B", database, "-e", query},
                 out) != 0) {
    return "<query failed> " + ReadTestFile(out);
  }
  std::string text = ReadTestFile(out);
  for (char& c : text) {
    if (c == '\t') c = '|';
  }
  return text;
}
