#include "entities/analysis/VasIntelligentEvent.h"

#include "foundation/StrList.h"

void CTBLVasIntelligentEvent::GetClassIDList(std::vector<int>* list) {
  if (list == nullptr) return;
  std::string text = GetClassList();
  CScopedLock hold(classLock_);
  if (text != classText_) {
    classText_ = text;
    classIds_.clear();
    CStrList pieces;
    pieces.Split(text, ",");
    for (const std::string& piece : pieces.Items()) classIds_.push_back(ParseIntColumnText(piece.c_str()));
  }
  *list = classIds_;
}

std::string CTBLVasIntelligentEvent::GetCropCriteriaText() const {
  static const char* const kTexts[] = {"Whole", "Top", "Bottom", "Left", "Right"};
  const int criteria = GetObjectCropCriteria();
  return criteria >= 0 && criteria < 5 ? kTexts[criteria] : "";
}

int CTBLVasIntelligentEvent::GetFirstFaceGroupID() const {
  CStrList pieces;
  if (pieces.Split(GetFaceGroupList(), ",") == 0) return 0;
  return ParseIntColumnText(pieces.GetAt(0).c_str());
}

GATE_REGISTER_ENTITY(CTBLVasIntelligentEvent);
