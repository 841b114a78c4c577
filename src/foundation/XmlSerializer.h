// CXmlSerializer: the XML text form of the serialization tree, for the per-job
// status files and the status documents of the recording and analysis
// servers. The writer gives "<?xml version=\"1.0\"?>" and one line per element
// or value, indented by tabs, CR LF line ends, the text's bytes as they are
// (legacy code page, no encoding declared). Two readers: FromXml over the
// system's own parser for texts in memory, FromXmlFile over a pull reader
// (libxml2, no network, no DTD loading, no entity substitution) for files.
//
// All operations are static and may run on any thread.
#pragma once

#include <string>
#include <string_view>

#include "foundation/SerializationInfo.h"

class CXmlSerializer {
 public:
  // The XML text of the record.
  static std::string ToXml(const CSerializable& record);
  // The same as ToXml.
  static std::string Serialize(const CSerializable& record) { return ToXml(record); }
  // Replaces the file with the record's text through a temporary file in the
  // same folder (a crash leaves the old or the new file whole). Returns the
  // text written, or "" with the log line "ERROR - Can't create file.(...)"
  // when it cannot be written.
  static std::string ToXmlFile(const std::string& path, const CSerializable& record);

  // True when the text has a root element; then fills the record (when not
  // null) from a tree whose node and value names are lower-cased. Elements
  // without children become values; a document broken after its root tag
  // gives what was read before the break.
  static bool FromXml(std::string_view text, CSerializable* record);
  // True when the file was read and the reader set up (an empty file gives an
  // empty root); then fills the record (when not null) from a tree whose
  // value names are lower-cased and node names kept. The encoding comes from
  // a byte-order mark or the declaration; a file with neither that is not
  // valid UTF-8 is read in the legacy code page. Texts reach the record in the
  // legacy code page. A malformed part ends the walk; what was read stays.
  // False, with a log line, when the file cannot be opened or read.
  static bool FromXmlFile(const std::string& path, CSerializable* record);
};
