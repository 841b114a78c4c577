// IEntityTreeNode: a row that stands as a node of the installation tree
// (camera groups, cameras, recording and analysis servers, users, maps,
// markers, facility groups, work schedules). Reached with
// CDBEntity::GetInterface("IEntityTreeNode").
#pragma once

#include <string>

#include "entities/base/DBEntity.h"

// IEntityTreeNode::GetNodeType codes.
enum EntityNodeType : int {
  kNodeTypeOther = 0,                 // camera of another device type on a recording server; marker to nothing
  kNodeTypeCameraGroup = 1,
  kNodeTypeBoxCamera = 2,
  kNodeTypePtzCamera = 3,
  kNodeTypeDomeCamera = 4,
  kNodeTypeVideoServer = 5,
  kNodeTypeNvr = 6,
  kNodeTypeVanvr = 7,
  kNodeTypeZms = 8,
  kNodeTypeUser = 9,
  kNodeTypeRecordingServer = 10,
  kNodeTypeAnalysisServer = 11,
  kNodeTypeMap = 12,                  // its resource file exists
  kNodeTypeMapWithoutResource = 13,
  kNodeTypeMapOfOtherKind = 14,
  kNodeTypeUnassignedCamera = 15,     // another device type, on no recording server
  kNodeTypeFacilityGroup = 16,
  kNodeTypeFacilityMarker = 17,
  kNodeTypeWorkScheduleTemplate = 18,
  kNodeTypeWorkSchedule = 19,
};

// IEntityTreeNode::GetNodeStatus codes.
enum EntityNodeStatus : int {
  kNodeStatusNormal = 0,
  kNodeStatusFaulty = 1,
  kNodeStatusDisabled = 2,
};

// IEntityTreeNode::MatchesFilter flags.
enum EntityNodeFilterFlag : int {
  kNodeFilterAddress = 2,       // servers and cameras also try their address
  kNodeFilterCameraTexts = 4,   // cameras also try further text columns
};

class IEntityTreeNode {
 public:
  virtual ~IEntityTreeNode() = default;

  // The node's display name.
  virtual std::string GetNodeName() = 0;
  // An EntityNodeType code.
  virtual int GetNodeType() = 0;
  // Sort key among the siblings under the parent `parentId`.
  virtual int GetNodeOrder(int parentId) = 0;
  // A constant of the class: 200 cameras and markers, 0 users, 100 the others.
  virtual int GetNodeRank() = 0;
  // True when the node's name in lower case contains `filter` (which callers
  // pass in lower case); EntityNodeFilterFlag widens the search.
  virtual bool MatchesFilter(int flags, const std::string& filter) = 0;
  virtual EntityMap GetParentNodes() = 0;
  virtual EntityMap GetChildNodes() = 0;
  // An EntityNodeStatus code.
  virtual int GetNodeStatus() = 0;
};
