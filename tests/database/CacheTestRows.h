// Small row classes for the cache store tests: a parent whose delete deletes
// its children (mode 1) and zeroes its links (mode 2), two tables whose mode-1
// relations form a cycle, a log table excluded from the cache, a memory-only
// status table, a table of two-column keys and one of 64-bit keys. Their
// creation script is kCacheTestTables.
#pragma once

#include "entities/base/RowClass.h"

#define TCS_PARENT_COLUMNS(C)      \
  C(Int, "ParentID", ParentID, 0)  \
  C(String, "Name", Name, "")      \
  C(Int, "Size", Size, 0)
class CTCSParentBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTCSParentBase, "TCS_Parent", TCS_PARENT_COLUMNS, AutoIncrement, "ParentID", kEntityNoFlags)
  GATE_ENTITY_RELATIONS({"TCS_Child", "ParentID", 0, kRelationModeDelete},
                        {"TCS_Link", "ParentID", 0, kRelationModeSetZero},
                        {"TCS_Note", "ParentID", 0, kRelationModeNone})
};
class CTCSParent : public CTCSParentBase {};

#define TCS_CHILD_COLUMNS(C)      \
  C(Int, "ChildID", ChildID, 0)   \
  C(Int, "ParentID", ParentID, 0) \
  C(String, "Name", Name, "")
class CTCSChildBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTCSChildBase, "TCS_Child", TCS_CHILD_COLUMNS, AutoIncrement, "ChildID", kEntityNoFlags)
  GATE_ENTITY_RELATIONS({"TCS_Grandchild", "ChildID", 0, kRelationModeDelete})
};
class CTCSChild : public CTCSChildBase {};

#define TCS_GRANDCHILD_COLUMNS(C)           \
  C(Int, "GrandchildID", GrandchildID, 0)   \
  C(Int, "ChildID", ChildID, 0)
class CTCSGrandchildBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTCSGrandchildBase, "TCS_Grandchild", TCS_GRANDCHILD_COLUMNS, AutoIncrement, "GrandchildID",
                    kEntityNoFlags)
};
class CTCSGrandchild : public CTCSGrandchildBase {};

#define TCS_LINK_COLUMNS(C)       \
  C(Int, "LinkID", LinkID, 0)     \
  C(Int, "ParentID", ParentID, 0) \
  C(String, "Name", Name, "")
class CTCSLinkBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTCSLinkBase, "TCS_Link", TCS_LINK_COLUMNS, AutoIncrement, "LinkID", kEntityNoFlags)
};
class CTCSLink : public CTCSLinkBase {};

#define TCS_NOTE_COLUMNS(C)       \
  C(Int, "NoteID", NoteID, 0)     \
  C(Int, "ParentID", ParentID, 0)
class CTCSNoteBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTCSNoteBase, "TCS_Note", TCS_NOTE_COLUMNS, AutoIncrement, "NoteID", kEntityNoFlags)
};
class CTCSNote : public CTCSNoteBase {};

// TCS_CycleA.PeerID names a TCS_CycleB row and the other way round; both delete their peers.
#define TCS_CYCLE_A_COLUMNS(C) \
  C(Int, "AID", AID, 0)        \
  C(Int, "PeerID", PeerID, 0)
class CTCSCycleABase : public CDBEntity {
  GATE_ENTITY_TABLE(CTCSCycleABase, "TCS_CycleA", TCS_CYCLE_A_COLUMNS, AutoIncrement, "AID", kEntityNoFlags)
  GATE_ENTITY_RELATIONS({"TCS_CycleB", "PeerID", 0, kRelationModeDelete})
};
class CTCSCycleA : public CTCSCycleABase {};
#define TCS_CYCLE_B_COLUMNS(C) \
  C(Int, "BID", BID, 0)        \
  C(Int, "PeerID", PeerID, 0)
class CTCSCycleBBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTCSCycleBBase, "TCS_CycleB", TCS_CYCLE_B_COLUMNS, AutoIncrement, "BID", kEntityNoFlags)
  GATE_ENTITY_RELATIONS({"TCS_CycleA", "PeerID", 0, kRelationModeDelete})
};
class CTCSCycleB : public CTCSCycleBBase {};

#define TCS_LOG_COLUMNS(C)    \
  C(Int, "LogID", LogID, 0)   \
  C(String, "Text", Text, "")
class CTCSLogBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTCSLogBase, "TCS_Log", TCS_LOG_COLUMNS, AutoIncrement, "LogID", kEntityExcludedFromCache)
};
class CTCSLog : public CTCSLogBase {};

#define TCS_STATUS_COLUMNS(C)        \
  C(Int, "DeviceID", DeviceID, 0)    \
  C(Int, "State", State, 0)
class CTCSStatusBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTCSStatusBase, "LTCS_Status", TCS_STATUS_COLUMNS, Plain, "DeviceID", kEntityMemoryOnly)
};
class CTCSStatus : public CTCSStatusBase {};

#define TCS_PAIR_COLUMNS(C)     \
  C(Int, "Left", Left, 0)       \
  C(Int, "Right", Right, 0)     \
  C(String, "Name", Name, "")
class CTCSPairBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTCSPairBase, "TCS_Pair", TCS_PAIR_COLUMNS, Composite, "", kEntityNoFlags)
};
class CTCSPair : public CTCSPairBase {};

// A table of 64-bit keys.
#define TCS_BIG_COLUMNS(C)          \
  C(UInt64, "BigID", BigID, 0)      \
  C(String, "Name", Name, "")
class CTCSBigBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTCSBigBase, "TCS_Big", TCS_BIG_COLUMNS, Plain64, "BigID", kEntityNoFlags)
};
class CTCSBig : public CTCSBigBase {};

// CREATE TABLE statements of the tables above, blocks separated by CR LF CR LF.
extern const char* const kCacheTestTables;
