// The live status of one analysis server (LTBL_VasStatus): version, processor
// and memory use, network traffic, camera counts and the received, decoded,
// processed and unprocessed rates over all its streams. One row per server,
// keyed by the server's `VasID`; memory-only (see LiveStatusRow.h).
#pragma once

#include <string>

#include "entities/LiveStatusRow.h"

// clang-format off
#define LTBL_VAS_STATUS_COLUMNS(C)                                          \
  C(Int, "VasID", VasID, 0)                                                 \
  C(String, "Version", Version, "")                                         \
  C(Int, "CPU", CPU, 0)                                                     \
  C(Float, "TotalMemory", TotalMemory, 0.0f)                                \
  C(Float, "UsedMemory", UsedMemory, 0.0f)                                  \
  C(UInt32, "TotalTraffic", TotalTraffic, 0)                                \
  C(UInt32, "InboundTraffic", InboundTraffic, 0)                            \
  C(UInt32, "OutboundTraffic", OutboundTraffic, 0)                          \
  C(Int, "TotalLicenseCount", TotalLicenseCount, 0)                         \
  C(Int, "TotalCameraCount", TotalCameraCount, 0)                           \
  C(Int, "TotalDisconnectedCameraCount", TotalDisconnectedCameraCount, 0)   \
  C(UInt32, "TotalReceivedBps", TotalReceivedBps, 0)                        \
  C(Int, "TotalReceivedFps", TotalReceivedFps, 0)                           \
  C(UInt32, "TotalDecodedBps", TotalDecodedBps, 0)                          \
  C(Int, "TotalDecodedFps", TotalDecodedFps, 0)                             \
  C(Double, "TotalProcessedFps", TotalProcessedFps, 0.0)                    \
  C(Double, "TotalUnprocessedFps", TotalUnprocessedFps, 0.0)
// clang-format on

class CLTBLVasStatusBase : public CDBEntity {
  GATE_ENTITY_TABLE(CLTBLVasStatusBase, "LTBL_VasStatus", LTBL_VAS_STATUS_COLUMNS, Plain, "VasID",
                    kEntityMemoryOnly)
};

// Besides the columns, the server's `DNN` text, which is not a column: not
// listed, loaded, serialised or copied by CopyTo (the copy constructor keeps
// it). Read and written under the row lock; its setter records and notifies
// under "DNN".
class CLTBLVasStatus
    : public CLiveStatusRow<CLTBLVasStatusBase, &CLTBLVasStatusBase::GetVasID, &CLTBLVasStatusBase::SetVasID> {
 public:
  CLTBLVasStatus() = default;
  CLTBLVasStatus(const CLTBLVasStatus& other) : CLiveStatusRow(other), dnn_(other.GetDNN()) {}

  virtual std::string GetDNN() const { return ReadColumn(dnn_); }
  virtual void SetDNN(const std::string& value) { SetStringProperty("DNN", &dnn_, value); }

 private:
  std::string dnn_;  // guarded by the row lock
};
