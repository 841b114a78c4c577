// VasTorvaneAdapter: the configuration operations of system information,
// administrators and users, and the request procedure they share.
#include <unistd.h>

#include "analysis/VasTorvaneAdapter.h"
#include "database/IDataStore.h"
#include "entities/User.h"
#include "entities/analysis/Vas.h"
#include "foundation/Log.h"
#include "foundation/StringUtil.h"
#include "foundation/XmlCfg.h"
#include "foundation/ZavDataBase.h"
#include "net/HttpEndpoint.h"
#include "net/HttpResult.h"
#include "net/Sock.h"

std::string VasTorvaneAdapter::AdminDocument(const std::string& id, const std::string& password) {
  return "<System>\r\n\t<Admin>\r\n\t\t<ID>" + XmlEscape(id) + "</ID>\r\n\t\t<Password>" + XmlEscape(password) +
         "</Password>\r\n\t</Admin>\r\n</System>\r\n";
}

std::string VasTorvaneAdapter::UserListDocument(IDataStore* store) {
  std::string document = "<System>\r\n\t<User>\r\n";
  for (const auto& [key, entity] : store->GetCachedEntityList("TBL_User")) {
    auto* user = dynamic_cast<CTBLUser*>(entity.get());
    if (!user) continue;
    document += StrFormat(
        "\t\t<UserItem>\r\n\t\t\t<ID>%s</ID>\r\n\t\t\t<Password>%s</Password>\r\n\t\t\t<Setup>%d</Setup>\r\n"
        "\t\t\t<Meta>%d</Meta>\r\n\t\t</UserItem>\r\n",
        XmlEscape(user->GetId()).c_str(), XmlEscape(user->GetPassword()).c_str(), static_cast<int>(user->GetSetup()),
        1);
  }
  return document + "\t</User>\r\n</System>\r\n";
}

int VasTorvaneAdapter::ConfigRequest(CTBLVas* row, const std::string& uri, const std::string* body,
                                     const std::string& user, const std::string& password, int authMode,
                                     std::string* reply, int port) {
  CHttpEndpoint endpoint(row->GetAddress(), port ? port : port_, user, password, authMode, useSecure_);
  bool connected = body ? endpoint.Post(uri, *body, reply, kRequestTimeoutSec)
                        : endpoint.Get(uri, reply, kRequestTimeoutSec);
  if (!connected) return kVasErrorNoConnection;
  int code = CHttpResult(*reply).code;
  if (code == 200) return 0;
  return code == 0 ? kVasErrorNoHeader : code;
}

int VasTorvaneAdapter::SendConfigDocument(CTBLVas* row, int* error, const std::string& uri,
                                          const std::string& body) {
  std::string reply;
  int failure = ConfigRequest(row, uri, &body, loginId_, loginPassword_, row->GetHttpAuthMode(), &reply);
  if (failure == 0) return 1;
  GATE_LOG(1, "ERROR - [%s] Error raised when request message to vas\r\n", row->GetDisplayName().c_str());
  return Fail(error, failure);
}

int VasTorvaneAdapter::GetSystemInformation(IDataStore* /*store*/, CTBLVas* row, CZavDataBase* info, int* error) {
  Succeed(error);
  if (!row || !info) return Fail(error, kVasErrorBadArgument);
  std::string reply;
  CHttpEndpoint endpoint(row->GetAddress(), port_, loginId_, loginPassword_, row->GetHttpAuthMode(), useSecure_);
  if (!endpoint.Get("/system/information.cgi?method=get", &reply, kRequestTimeoutSec)) {
    GATE_LOG(1, "ERROR - Error raised when request message to '%s' vas\r\n", row->GetDisplayName().c_str());
    return Fail(error, kVasErrorNotSent);
  }
  CHttpResult result(reply);
  if (result.code != 200 || result.body.empty()) {
    GATE_LOG(1, "ERROR - [%s] Error received from server. the reponse is '%s'\r\n", row->GetDisplayName().c_str(),
             reply.c_str());
    return Fail(error, result.code == 200 ? kVasErrorNoContent : result.code);
  }
  CXmlCfg cfg;
  if (!cfg.ToCfg(result.body)) {
    GATE_LOG(1, "ERROR - [%s] Error raised when deserialize system data.('%s')\r\n", row->GetDisplayName().c_str(),
             reply.c_str());
    return Fail(error, kVasErrorBadXml);
  }
  info->FromCfg(cfg);
  return 1;
}

int VasTorvaneAdapter::AddAdmin(IDataStore* /*store*/, CTBLVas* row, int* error) {
  Succeed(error);
  if (!row) return Fail(error, kVasErrorBadArgument);
  if (!Check(row->GetAddress(), port_, error)) return 0;
  std::string document = AdminDocument(loginId_, loginPassword_);
  std::string reply;
  int failure = ConfigRequest(row, "/system/admin.cgi?method=add", &document, "", "", 0, &reply);
  // A server that has its administrator already answers 401: nothing to add.
  if (failure == 0 || failure == 401) return 1;
  GATE_LOG(1, "ERROR - [%s] Error message received from vas. request xml is '%s'\r\n\r\nthe error is '%s'\r\n",
           row->GetDisplayName().c_str(), document.c_str(), reply.c_str());
  return Fail(error, failure);
}

int VasTorvaneAdapter::DeleteAdmin(IDataStore* /*store*/, CTBLVas* row, int* error, std::string id,
                                   std::string password) {
  Succeed(error);
  if (!row) return Fail(error, kVasErrorBadArgument);
  SOCKET s = port_ == 0 ? INVALID_SOCKET : sock::Connect(row->GetAddress(), port_, kCheckTimeoutMs);
  if (s == INVALID_SOCKET) {
    GATE_LOG(1, "ERROR - [%s] Error raised when try connect to vas.\r\n", row->GetDisplayName().c_str());
    return Fail(error, kVasErrorCheckFailed);
  }
  close(s);
  const std::string empty;
  std::string reply;
  int failure =
      ConfigRequest(row, "/system/admin.cgi?method=delete", &empty, id, password, row->GetHttpAuthMode(), &reply);
  if (failure == 0) return 1;
  GATE_LOG(1, "ERROR - [%s] Error message received from vas. the error is '%s'\r\n", row->GetDisplayName().c_str(),
           reply.c_str());
  return Fail(error, failure);
}

int VasTorvaneAdapter::DeleteAdmin(CTBLVas* row, int* error, std::string id, std::string password) {
  return DeleteAdmin(nullptr, row, error, std::move(id), std::move(password));
}

int VasTorvaneAdapter::SetAdmin(IDataStore* /*store*/, CTBLVas* row, int* error, std::string id,
                                std::string password, std::string newId, std::string newPassword) {
  Succeed(error);
  if (!row) return Fail(error, kVasErrorBadArgument);
  if (!Check(row->GetAddress(), port_, error)) return 0;
  std::string document = AdminDocument(newId, newPassword);
  std::string reply;
  int failure =
      ConfigRequest(row, "/system/admin.cgi?method=modify", &document, id, password, row->GetHttpAuthMode(), &reply);
  if (failure == 0) return 1;
  GATE_LOG(1, "ERROR - [%s] Error message received from vas. the error is '%s'\r\n", row->GetDisplayName().c_str(),
           reply.c_str());
  return Fail(error, failure);
}

int VasTorvaneAdapter::SetUsers(IDataStore* store, CTBLVas* row, int* error) {
  Succeed(error);
  if (!row || !store) return Fail(error, kVasErrorBadArgument);
  if (!Check(row->GetAddress(), port_, error)) return 0;
  std::string document = UserListDocument(store);
  std::string reply;
  int failure = ConfigRequest(row, "/system/user.cgi?method=set", &document, loginId_, loginPassword_,
                              row->GetHttpAuthMode(), &reply);
  if (failure == 0) return 1;
  GATE_LOG(1, "ERROR - [%s] Error message received from vas. the error is '%s'\r\n", row->GetDisplayName().c_str(),
           reply.c_str());
  return Fail(error, failure);
}
