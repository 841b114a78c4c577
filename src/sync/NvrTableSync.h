// CNvrTableSync: one run's reconciliation of an NVR's database with the
// central one, in one transaction on the NVR: the central cameras of the
// NVR's recording server, every camera group, the group links of those
// cameras, every user and every user permission. Rows are matched by a
// natural key (camera name, group name, link pair, user id, permission), never
// by number; each check records which central number became which NVR number,
// and the later checks translate their references through those maps.
//
// Each check returns -1 (a write failed: the caller rolls back), 0 (nothing
// to change) or 1 (rows written). The transaction is begun just before the
// first write; a run that changes nothing begins none. Belongs to the run's
// thread.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "database/client/ClientDataStore.h"
#include "entities/Client.h"
#include "entities/NRS.h"

class CNvrTableSync {
 public:
  // `central` and `nvr` must outlive the object; `nvr` is the store the writes go to.
  CNvrTableSync(CClientDataStore* central, CClientDataStore* nvr) : central_(central), nvr_(nvr) {}

  // The central cameras of `server` onto the NVR's TBL_Camera rows (zav_no =
  // the NVR's first recording server); NVR cameras without a central
  // counterpart are deleted (their own rows only). Two central cameras of one
  // name both map to the one NVR row; only the lowest number writes it.
  int CheckTblCameras(const CTBLNRS& server);
  // Every central group onto the NVR's groups, by group_name.
  int CheckTblCameraGroups();
  // The links of the synchronized cameras, by the translated pair; links
  // whose camera or group has no NVR number are skipped.
  int CheckTblCameraGroupRelations();
  // Every central user onto the NVR's users (central user 1 onto NVR user 1,
  // the others by id), with camera and group lists translated. NVR user 1 is
  // never deleted. -1 when the NVR has no user 1.
  int CheckTblUsers();
  // Every central permission whose user, camera and group translate, onto the
  // NVR's rows of the same user, permission, camera, group and map; only
  // permissions the NVR's TBL_Permissions knows are added.
  int CheckTblUserPermissions();

  // The transaction begun for the writes: above 0 once begun, -1 before.
  int GetTransactionId() const { return transaction_; }
  // Whether CheckTblUsers wrote a user.
  bool UsersChanged() const { return usersChanged_; }

  // The NVR's management-service client: the TBL_Client row of kind 1001
  // with the latest access time (ties: the lowest ClientID); null when none.
  static std::shared_ptr<CTBLClient> FindNvrClient(IDataStore* nvr);

 private:
  using KeyMap = std::map<int, int>;
  // Begins the transaction before the first write; false (logged) when it
  // cannot be begun, so that nothing is written outside a transaction.
  bool BeginWrites();
  bool Add(CDBEntity* row);
  bool Update(CDBEntity* row);
  bool Delete(CDBEntity* row);

  CClientDataStore* central_;
  CClientDataStore* nvr_;
  int transaction_ = -1;
  bool usersChanged_ = false;
  KeyMap cameras_;  // central camera no -> NVR camera no
  KeyMap groups_;   // central group no -> NVR group no
  KeyMap users_;    // central user no -> NVR user no
};
