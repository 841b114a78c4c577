// Settings/Hidden.xml: the settings no dialog edits (the event server's port
// and answer shape, the analysis events' dwell time, the building-IoT switch,
// the log switch), read from an XML configuration store by path key.
//
// Hidden_Load fills the store once at start-up; the store is not written
// afterwards, so the getters take no lock and may run on any thread.
#pragma once

#include <string>

class CXmlCfg;

// The port used when HttpPort is absent, or names no port.
constexpr int kDefaultEventServerHttpPort = 85;

// The text the store takes when Settings/Hidden.xml cannot be read (410 bytes:
// tabs, CR LF, no XML declaration).
extern const char kHiddenSettingsDefaultText[];

// Loads Settings/Hidden.xml into `hidden` (the store remembers the path, also
// on failure). When the file cannot be read or parsed, the store takes the
// built-in default text; when the file does not exist, that text is also
// written there. An unreadable file is left as it is. Failures are logged by
// the store.
void Hidden_Load(CXmlCfg& hidden);

// "$Hidden$$EventServer$$HttpPort$": 85 when absent; a present text that is
// not a port (empty, 0, above 65535) is logged and gives 85 as well.
int Hidden_GetEventServerHttpPort(const CXmlCfg& hidden);
// "$Hidden$$EventServer$$VAEventDwellTime$" (seconds): 3 when absent, else atol.
int Hidden_GetVAEventDwellTime(const CXmlCfg& hidden);
// "$Hidden$$EventServer$$VAEventPollingStatusType$": 1 when absent, else atol.
int Hidden_GetVAEventPollingStatusType(const CXmlCfg& hidden);
// "$Hidden$$EventServer$$VAEventPollingCameraPrefix$": "" when absent.
std::string Hidden_GetVAEventPollingCameraPrefix(const CXmlCfg& hidden);
// "$Hidden$$EventServer$$VAEventPollingEventPrefix$": "" when absent.
std::string Hidden_GetVAEventPollingEventPrefix(const CXmlCfg& hidden);
// "$Hidden$$BIoT$$Enable$": false when absent, else atol is not 0.
bool Hidden_IsBIoTEnabled(const CXmlCfg& hidden);
// "$Hidden$$BIoT$$SiteID$": "" when absent.
std::string Hidden_GetBIoTSiteID(const CXmlCfg& hidden);
// "$Hidden$$BIoT$$EventInterval$": 15 when absent, else atol.
int Hidden_GetBIoTEventInterval(const CXmlCfg& hidden);
// "$Hidden$$Debug$$UseLogFile$": 0 when absent or empty, else atol (0 silent,
// 1 debugger output and log file, 2 or more debugger output only).
int Hidden_GetDebugUseLogFile(const CXmlCfg& hidden);
