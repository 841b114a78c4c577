// The analysis-server row (TBL_Vas): one video-analysis server with its
// engine kind, name, how to reach it (address, web ports, control port,
// security, login) and a few analysis settings. CTBLVasBase holds the 19
// columns; CTBLVas, the class registered for the table, adds the login the
// adapters use, the substitute for a local-host address, and the lookups of
// the server's live-status, GPU and setting rows.
#pragma once

#include <memory>
#include <string>

#include "database/OwnerSettingManager.h"
#include "entities/base/RowClass.h"

class CLTBLVasStatus;

// clang-format off
#define TBL_VAS_COLUMNS(C)                                  \
  C(Int, "VasID", VasID, 0)                                 \
  C(String, "Name", Name, "")                               \
  C(Int, "Type", Type, 1)                                   \
  C(String, "User", User, "")                               \
  C(String, "Password", Password, "")                       \
  C(Int, "AuthType", AuthType, 1)                           \
  C(String, "Addr", Addr, "")                               \
  C(Int, "WebPort", WebPort, 7080)                          \
  C(Int, "SecureWebPort", SecureWebPort, 7443)              \
  C(Int, "ControlPort", ControlPort, 28999)                 \
  C(Bool, "UseSecure", UseSecure, 0)                        \
  C(Bool, "IsDeleted", IsDeleted, 0)                        \
  C(DateTime, "DateTimeAdded", DateTimeAdded, "")           \
  C(Bool, "UseExternalAddress", UseExternalAddress, 0)      \
  C(String, "ExternalAddress", ExternalAddress, "")         \
  C(Int, "ExternalPort", ExternalPort, 0)                   \
  C(Bool, "UseFR", UseFR, 0)                                \
  C(Int, "MaxAnalysisFps", MaxAnalysisFps, 1000)            \
  C(Int, "ZavID", ZavID, 0)
// clang-format on

// Deleting a server keeps its analysis devices (their `VasID` becomes 0) and
// deletes its live-status and GPU status rows.
class CTBLVasBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLVasBase, "TBL_Vas", TBL_VAS_COLUMNS, AutoIncrement, "VasID", kEntityNoFlags)
  GATE_ENTITY_RELATIONS({"TBL_VasDevice", "VasID", 0, kRelationModeSetZero},
                        {"LTBL_VasStatus", "VasID", 0, kRelationModeDelete},
                        {"LTBL_VasGPUStatus", "VasID", 0, kRelationModeDelete})
};

// The login id, login password and substitute address are not columns: the
// application's data store sets them when it caches the row. They are read
// and written under the row lock; CopyTo carries the login along but not the
// substitute address, the copy constructor carries all three. The lookups read
// the owning store's cache and find nothing for a row without a store.
//
// Still to come with the analysis subsystem: the tree-node view, the fault
// state, the port, kind and display-name rules, the device and channel
// lookups, and the server's setting manager member.
class CTBLVas : public CTBLVasBase {
 public:
  CTBLVas() = default;
  CTBLVas(const CTBLVas& other);

  // "<Name> (<Addr>)", with the stored address.
  std::string GetDisplayText() const override;
  // The columns, then the login id and password, into a target server.
  void CopyTo(CDBEntity* target) const override;

  std::string GetLoginID() const;
  void SetLoginID(const std::string& loginId);
  std::string GetLoginPassword() const;
  void SetLoginPassword(const std::string& password);
  std::string GetSubstituteAddress() const;
  void SetSubstituteAddress(const std::string& address);

  // The address to reach the server at: the substitute address when `Addr`
  // is "127.0.0.1" or "localhost" (any letter case) and a substitute is set,
  // else `Addr` as stored.
  std::string GetAddress() const;

  // The cached LTBL_VasStatus rows whose `VasID` is this key, by key.
  EntityMap GetStatusRows() const;
  // The first of GetStatusRows; null when there is none.
  std::shared_ptr<CLTBLVasStatus> GetStatus() const;
  // The cached LTBL_VasGPUStatus rows whose `VasID` is this key, by key.
  EntityMap GetGPUStatusRows() const;
  // The cached TBL_VasSettings rows whose `VasID` is this key, by key.
  EntityMap GetSettings() const;
  // The server's own setting manager: made with the row, without a store and
  // with owner id 0, until its user attaches one. A copy gets a fresh one.
  CVasSettingManager& GetSettingManager() { return m_settingManager; }

 private:
  std::string m_loginId;            // guarded by the row lock
  std::string m_loginPassword;      // guarded by the row lock
  std::string m_substituteAddress;  // guarded by the row lock
  CVasSettingManager m_settingManager;  // guarded by its own lock
};
