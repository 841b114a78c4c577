// Program entry: start-up, the main window, the termination signals, the
// event loop and shut-down.
#include <signal.h>

#include <QApplication>

#include "foundation/Log.h"
#include "gui/InstanceCommandServer.h"
#include "gui/MainWindow.h"
#include "gui/SignalBridge.h"
#include "shell/ApplicationSettings.h"
#include "shell/InstanceChannel.h"
#include "shell/LangTexts.h"
#include "shell/TorvaneGateManagerApp.h"

int main(int argc, char** argv) {
  // ---- Process start-up (shell/TorvaneGateManagerApp.h): command line, single
  // instance, watchdog, crash dumps, settings, language, log levels, job IDs;
  // SIGPIPE ignored. A second instance hands over to the running one and ends.
  // The settings files outlive the window and the services that read them.
  CApplicationSettings settings;
  theApp.SetStartupServices(&settings);
  if (theApp.InitInstance(argc, argv) != CTorvaneGateManagerApp::StartResult::kRunMainWindow) {
    return theApp.ExitInstance();
  }
  bool hide = theApp.GetCommandLine().hide();
  bool start = theApp.GetCommandLine().start();
  // ---- end of process start-up
  QApplication app(argc, argv);
  app.setQuitOnLastWindowClosed(false);
  CMultiLangTexts texts(&theApp.GetLanguageTexts());
  int exitCode = 0;
  {
    // The services join the window as they are built.
    MainWindow window({}, &texts);
    window.dialog().SetHideFlag(hide);
    window.dialog().SetStartFlag(start);
    window.dialog().SetLanguageCode(theApp.GetLanguageCode());
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
