// The names of the job services' status files in the Data folder and the
// listing that lets Start remove the files of jobs that no longer exist.
// A status file is "<prefix>_<key>_Status_<ID>.dat"; its job ID is the last
// "_"-separated piece of the name without its extension.
#pragma once

#include <map>
#include <string>
#include <vector>

// The host of `url` as the URL parser gives it, every "." replaced by "_";
// "" for an empty URL.
std::string StatusFileHostKey(const std::string& url);
// `format` ("AIEvent_%s_Status_%d.dat") with the host key of `url` and `id`.
std::string MakeUrlStatusFileName(const char* format, const std::string& url, int id);
// The job ID a status file name carries: the name without its extension,
// split at "_" (empty pieces dropped), the last piece read as a decimal
// number (its leading digits; 0 when it has none or there is no piece).
int StatusFileJobID(const std::string& fileName);
// The files of `folder` (not its sub-folders) matching `pattern` ("AIEvent_*.dat",
// any letter case), by the job ID of their names, paths in name order.
// An unreadable folder gives an empty map.
std::map<int, std::vector<std::string>> ListStatusFiles(const std::string& folder, const std::string& pattern);
