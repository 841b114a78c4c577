// IInstallationSwitches: the switches of the installation that a store read
// from its settings table ("PasswordEncrypted", "PasswordHashed",
// "SupportNewDeviceGroupPermission"). The client data store implements it;
// rows and setting managers ask their owner store for it when the store's type
// name is "ClientDataStore".
#pragma once

class IInstallationSwitches {
 public:
  virtual int IsPasswordEncrypted() = 0;
  virtual void SetPasswordEncrypted(int on) = 0;
  virtual int IsPasswordHashed() = 0;
  virtual void SetPasswordHashed(int on) = 0;
  virtual int GetSupportNewDeviceGroupPermission() = 0;

 protected:
  ~IInstallationSwitches() = default;
};
