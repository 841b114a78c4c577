#include "shell/HiddenSettings.h"

#include <sys/stat.h>

#include "foundation/Log.h"
#include "foundation/XmlCfg.h"
#include "shell/AppFolders.h"
#include "shell/StringToIntDef.h"

const char kHiddenSettingsDefaultText[] =
    "<Hidden>\r\n"
    "\t<EventServer>\r\n"
    "\t\t<HttpPort>85</HttpPort>\r\n"
    "\t\t<VAEventDwellTime>3</VAEventDwellTime>\r\n"
    "\t\t<VAEventPollingStatusType>1</VAEventPollingStatusType>\r\n"
    "\t\t<VAEventPollingCameraPrefix></VAEventPollingCameraPrefix>\r\n"
    "\t\t<VAEventPollingEventPrefix></VAEventPollingEventPrefix>\r\n"
    "\t</EventServer>\r\n"
    "\t<BIoT>\r\n"
    "\t\t<Enable>0</Enable>\r\n"
    "\t\t<SiteID>D816586224</SiteID>\r\n"
    "\t\t<EventInterval>15</EventInterval>\r\n"
    "\t</BIoT>\r\n"
    "</Hidden>\r\n";

namespace {

// atol of the key's text (0 for an empty text), or `absent` when the key is absent.
int NumberOr(const CXmlCfg& hidden, const char* key, int absent) {
  std::string text;
  if (!hidden.Lookup(key, &text)) return absent;
  return StringToIntDef(text.c_str(), 0);
}

std::string TextOf(const CXmlCfg& hidden, const char* key) { return hidden.GetValue(key); }

}  // namespace

void Hidden_Load(CXmlCfg& hidden) {
  std::string path = GetHiddenSettingsFilePath();
  if (hidden.Load(path)) return;
  hidden.ToCfg(kHiddenSettingsDefaultText);
  struct stat st;
  if (stat(path.c_str(), &st) != 0) hidden.Save();
}

int Hidden_GetEventServerHttpPort(const CXmlCfg& hidden) {
  std::string text;
  if (!hidden.Lookup("$Hidden$$EventServer$$HttpPort$", &text)) return kDefaultEventServerHttpPort;
  int port = StringToIntDef(text.c_str(), 0);
  if (port >= 1 && port <= 65535) return port;
  GATE_LOG(1, "ERROR - HttpPort '%s' of Hidden.xml is no port; the event server uses %d.\r\n", text.c_str(),
           kDefaultEventServerHttpPort);
  return kDefaultEventServerHttpPort;
}

int Hidden_GetVAEventDwellTime(const CXmlCfg& hidden) {
  return NumberOr(hidden, "$Hidden$$EventServer$$VAEventDwellTime$", 3);
}

int Hidden_GetVAEventPollingStatusType(const CXmlCfg& hidden) {
  return NumberOr(hidden, "$Hidden$$EventServer$$VAEventPollingStatusType$", 1);
}

std::string Hidden_GetVAEventPollingCameraPrefix(const CXmlCfg& hidden) {
  return TextOf(hidden, "$Hidden$$EventServer$$VAEventPollingCameraPrefix$");
}

std::string Hidden_GetVAEventPollingEventPrefix(const CXmlCfg& hidden) {
  return TextOf(hidden, "$Hidden$$EventServer$$VAEventPollingEventPrefix$");
}

bool Hidden_IsBIoTEnabled(const CXmlCfg& hidden) { return NumberOr(hidden, "$Hidden$$BIoT$$Enable$", 0) != 0; }

std::string Hidden_GetBIoTSiteID(const CXmlCfg& hidden) { return TextOf(hidden, "$Hidden$$BIoT$$SiteID$"); }

int Hidden_GetBIoTEventInterval(const CXmlCfg& hidden) {
  return NumberOr(hidden, "$Hidden$$BIoT$$EventInterval$", 15);
}

int Hidden_GetDebugUseLogFile(const CXmlCfg& hidden) { return NumberOr(hidden, "$Hidden$$Debug$$UseLogFile$", 0); }
