// CVAR: one analysis result, what one analysis server reported about one of
// its channels at one moment: detected objects, raised events, crowd-density
// and water-level readings per region, line-crossing counts, the result time
// and an optional thumbnail.
//
// A metadata client's parser job makes a new CVAR per message, lets the reader
// of its server kind fill it (the readers write the members directly), stamps
// VasID and Reserved and queues it; whoever takes it from the queue owns it
// and deletes it. The records below are plain values copied into and out of
// the lists; they hold no pointers.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "foundation/DateTimeUtil.h"
#include "foundation/Lock.h"

// A bounding box in the result's Width x Height frame.
struct CVARBox {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool operator==(const CVARBox&) const = default;
};

// What the detail members of a CVARObject hold.
enum VARDetailKind : int {
  VAR_DETAIL_NONE = 0,
  VAR_DETAIL_FACE = 1,   // an "FI" detail: DetailN, DetailC, DetailFM
  VAR_DETAIL_PLATE = 2,  // an "LP" detail: DetailText
};

// Line states of an object on a crossed line ("S", "O", "E"; 0 for any other text).
enum VARLineState : int {
  VAR_LINE_NONE = 0,
  VAR_LINE_START = 1,
  VAR_LINE_ON = 2,
  VAR_LINE_END = 3,
};

// One detected object.
struct CVARObject {
  std::vector<std::pair<int, float>> Classes;  // (class code, confidence) candidates
  std::vector<int> ROINumbers;                 // regions the object lies in
  CVARBox Box;
  int ID = 0;    // track id; the key of CVAR::ObjectIndex
  int ReID = 0;
  std::vector<int> Colors;  // colour codes 0-10
  int LineState = VAR_LINE_NONE;
  int CCW = 0;
  int DetailKind = VAR_DETAIL_NONE;
  // The detail: a face ("FI") fills DetailN, DetailC and DetailFM (the bytes of
  // "fm"); a plate ("LP") fills DetailText and clears the face members, as a
  // plate detail is written over a face one. Both grow to any length.
  int DetailN = 0;
  float DetailC = 0.0f;
  std::string DetailFM;
  std::string DetailText;
};

// One raised event.
struct CVAREvent {
  int Class = 0;                // class code of the raising object; -1 for a reading's event
  std::vector<int> ROINumbers;  // regions it was raised in
  std::vector<int> Levels;      // the level per entry of ROINumbers
  std::vector<int> LineNumbers; // line-crossing numbers it was raised at
  int TrackID = 0;
  int AIEventType = 0;
};

// One region's crowd-density reading ("CWD").
struct CVARCrowdDensity {
  int ROINumber = 0;
  int Level = 0;
  float Density = 0.0f;
  int Count = 0;
  int Event = 0;  // non-zero: the reading raised an event
  std::vector<CVARBox> Boxes;
};

// One region's water-level reading ("WL").
struct CVARWaterLevel {
  int ROINumber = 0;
  int Level = 0;
  float Value = 0.0f;
  int Event = 0;
};

// One item of the "E" array.
struct CVAREItem {
  int Class = 0;
  int TrackID = 0;
  std::vector<int> Numbers;
};

// The two counts of one object class on one line.
struct CVARLineCount {
  int FC = 0;
  int BC = 0;
  bool operator==(const CVARLineCount&) const = default;
};
// Class code -> counts.
using CVARClassCounts = std::map<int, CVARLineCount>;
// Line number -> the counts of its classes.
using CVARLineCounts = std::map<int, CVARClassCounts>;

class CVAR {
 public:
  // Channel, DeviceID, VasID, Reserved and AIEventType -1; every other number
  // 0, every text, list and map empty, IndexBuilt false.
  CVAR() = default;
  virtual ~CVAR() = default;
  CVAR(const CVAR&) = delete;
  CVAR& operator=(const CVAR&) = delete;

  // Under Lock, replaces Objects with `objects`; with `buildIndex`, enters every
  // object whose ID is not 0 into ObjectIndex (a later object of the same ID
  // takes the entry), else empties the index. Sets IndexBuilt to `buildIndex`.
  void SetObjects(std::vector<CVARObject> objects, bool buildIndex);
  // Under Lock, replaces Events with `events`.
  void SetEvents(std::vector<CVAREvent> events);
  // The object of track id `id`, or null: through ObjectIndex when it is built,
  // else the first such object of Objects. Takes no lock; the pointer lives
  // until Objects is replaced.
  CVARObject* FindObject(int id);
  const CVARObject* FindObject(int id) const;

  // The first 17 characters of Time read as YYYYMMDDhhmmss[mmm] (milliseconds
  // only when all 17 are present); all zero when Time has fewer than 14.
  SystemTime GetTimestamp() const;

  std::string GetThumbnail() const { return Thumbnail; }
  void SetThumbnail(std::string thumbnail) { Thumbnail = std::move(thumbnail); }

  std::string Type;      // message kind ("a" for every result handed on)
  int Width = 0;         // frame in which boxes are given
  int Height = 0;
  SystemTime EventTime;  // local time of an AI-engine result; zero otherwise
  int Channel = -1;      // channel on the analysis server; negative: dropped
  int DeviceID = -1;     // camera id, filled by the AI event publisher
  int VasID = -1;        // analysis server, stamped by the client
  int Reserved = -1;     // the connection record's tag, stamped by the client
  std::string Time;      // server local time YYYYMMDDhhmmssmmm, maybe followed by more
  std::string Thumbnail;
  std::vector<CVARObject> Objects;
  std::vector<CVAREvent> Events;
  std::vector<CVARCrowdDensity> CrowdDensities;
  std::vector<CVARWaterLevel> WaterLevels;
  std::vector<CVAREItem> EItems;
  std::map<int, int> ObjectIndex;  // object ID -> position in Objects
  CVARLineCounts LineCounts;
  // Held while Objects, ObjectIndex, Events and EItems are replaced, and by
  // readers that copy Events on another thread.
  CLock Lock;
  bool IndexBuilt = false;
  int AIEventType = -1;
  std::string ST;
  std::string ET;
  int Gap = 0;
};
