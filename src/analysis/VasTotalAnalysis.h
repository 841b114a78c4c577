// CVasTotalAnalysis ("TotalAnalysis"): the analysis totals of an analysis
// server's status document (the analysed channels, as the server's text),
// and whether the document had an "Analysis" element at all, which reading
// a CVasStatusStream sets and which is no part of the XML. A plain value.
#pragma once

#include "foundation/RecordFields.h"

#define VAS_TOTAL_ANALYSIS_FIELDS(F) F(RecordText, Channels)

class CVasTotalAnalysis : public CSerializable {
 public:
  const char* GetTypeName() const override { return "TotalAnalysis"; }
  RECORD_FLAT_SERIALIZATION(VAS_TOTAL_ANALYSIS_FIELDS)

  RECORD_DECLARE_FIELDS(VAS_TOTAL_ANALYSIS_FIELDS)

 public:
  // 1 when the document read had an "Analysis" element, else 0.
  int GetAnalysisPresent() const { return analysisPresent_; }
  void SetAnalysisPresent(int present) { analysisPresent_ = present; }

 private:
  int analysisPresent_ = 0;
};
