// What the main window needs of the event server, the HTTP API that answers
// outside clients for as long as the window exists: configure it, start it
// when the window opens and shut it down when the window goes. The server
// itself belongs to the event services; the application object owns it.
#pragma once

#include <string>

// The event server's settings of Settings/Hidden.xml.
struct CEventServerSettings {
  std::string cameraPrefix;   // VAEventPollingCameraPrefix
  std::string eventPrefix;    // VAEventPollingEventPrefix
  int pollingStatusType = 1;  // VAEventPollingStatusType
};

class IEventServer {
 public:
  virtual ~IEventServer() = default;
  // Takes the prefixes and the polling status type. Before Start.
  virtual void Configure(const CEventServerSettings& settings) = 0;
  // Starts answering; false (logged) when it cannot listen.
  virtual bool Start() = 0;
  // Drops its handlers, stops its HTTP server (waits at most 5 s for it),
  // sets the polling status type back to 1 and forgets the AI event
  // publisher. Nothing when not started.
  virtual void Shutdown() = 0;
};
