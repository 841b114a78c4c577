// Program entry: start-up, the main window, the termination signals, the
// event loop and shut-down.
#include <signal.h>

#include <QApplication>

#include <map>

#include "foundation/Log.h"
#include "gui/InstanceCommandServer.h"
#include "gui/MainWindow.h"
#include "gui/SignalBridge.h"
#include "shell/InstanceChannel.h"
#include "shell/TorvaneGateManagerApp.h"

namespace {

// The window's texts until the language files are loaded at start-up: the
// English wording of the numbers the main window asks for.
class BuiltInTexts : public ILangTexts {
 public:
  std::string GetText(int index) const override {
    static const std::map<int, std::string> kTexts = {
        {1, "Option"},         {2, "Start"},           {3, "Stop"},
        {4, "Open (&O)"},      {5, "Exit (&X)"},       {6, "ID"},
        {7, "Service"},        {8, "Details"},         {10, "Last executed"},
        {11, "Status"},        {12, "Target"},         {13, "Data synchronizer"},
        {14, "Error"},         {15, "AI event publisher"}, {23, "Port"},
        {45, "Server status publisher"}, {46, "NVR data synchronizer"},
        {48, "HT NVR data synchronizer"}, {51, "Channel"},
        {52, "Alarm output publisher"}, {55, "Error state"}, {56, "Alarm zone"},
        {60, "Metro event receiver"},
    };
    auto it = kTexts.find(index);
    return it == kTexts.end() ? std::string() : it->second;
  }
};

}  // namespace

int main(int argc, char** argv) {
  // ---- Process start-up (shell/TorvaneGateManagerApp.h): command line, single
  // instance, watchdog, crash dumps, settings, language, log levels, job IDs;
  // SIGPIPE ignored. A second instance hands over to the running one and ends.
  if (theApp.InitInstance(argc, argv) != CTorvaneGateManagerApp::StartResult::kRunMainWindow) {
    return theApp.ExitInstance();
  }
  bool hide = theApp.GetCommandLine().hide();
  bool start = theApp.GetCommandLine().start();
  // ---- end of process start-up
  QApplication app(argc, argv);
  app.setQuitOnLastWindowClosed(false);
  BuiltInTexts texts;
  int exitCode = 0;
  {
    // The services join the window as they are built.
    MainWindow window({}, &texts);
    window.dialog().SetHideFlag(hide);
    window.dialog().SetStartFlag(start);
    window.Initialize();
    // SIGTERM and SIGINT end the program as the tray's Exit does.
    SignalBridge quitOnSignal({SIGTERM, SIGINT}, [&window](int) { window.dialog().OnTrayExit(); });
    // ---- A later instance started by hand sends the tray's show command.
    InstanceCommandServer instanceCommands([&window](int command) {
      if (command == kTrayShowCommand) window.dialog().OnTrayShow();
    });
    if (!instanceCommands.Listen(theApp.GetInstanceChannelPath())) {
      GATE_LOG(1, "ERROR - Cannot listen for other instances on '%s': %s\r\n",
               theApp.GetInstanceChannelPath().c_str(), instanceCommands.errorString().toLocal8Bit().constData());
    }
    // ----
    if (!hide) window.show();
    exitCode = app.exec();
  }  // the window stops the services here
  theApp.ExitInstance();  // ---- process shut-down: "Stop Program", lock, ID source, log
  return exitCode;
}
