// Program entry: builds the application object's start-up, maps Qt onto the
// main window, and runs it until the tray's Exit or a termination signal.
#include <signal.h>
#include <stdlib.h>

#include <QApplication>

#include "app/TorvaneGateManagerApp.h"
#include "foundation/Log.h"
#include "gui/InstanceCommandServer.h"
#include "gui/MainWindow.h"
#include "gui/SignalBridge.h"
#include "shell/AppFolders.h"
#include "shell/InstanceChannel.h"
#include "shell/LangTexts.h"

int main(int argc, char** argv) {
  // Start-up (app/TorvaneGateManagerApp.h). A second instance hands over to
  // the running one and ends here.
  if (theApp.InitInstance(argc, argv) != CTorvaneGateManagerApp::StartResult::kRunMainWindow) {
    return theApp.ExitInstance();
  }
  theApp.BuildServices();
  // Without a usable display Qt would end the process: run headless instead.
  if (theApp.MustRunHeadless()) setenv("QT_QPA_PLATFORM", "offscreen", 1);

  QApplication app(argc, argv);
  app.setQuitOnLastWindowClosed(false);
  CMultiLangTexts texts(&theApp.GetLanguageTexts());
  int exitCode = 0;
  {
    MainWindow window(theApp.GetServices(), &texts);
    theApp.PrepareMainDialog(window.dialog());
    window.SetOptionContext(&theApp.GetAppSettings(), theApp.GetLanguageCode(), GetOptionPageSettingsFilePath());
    window.Initialize();
    // The termination signals, and a closed terminal, end the program as the tray's Exit does.
    SignalBridge quitOnSignal({SIGTERM, SIGINT, SIGHUP}, [&window](int) { window.dialog().OnTrayExit(); });
    // A later instance started by hand sends the tray's show command.
    InstanceCommandServer instanceCommands([&window](int command) {
      if (command == kTrayShowCommand) window.dialog().OnTrayShow();
    });
    if (!instanceCommands.Listen(theApp.GetInstanceChannelPath())) {
      GATE_LOG(1, "ERROR - Cannot listen for other instances on '%s': %s\r\n",
               theApp.GetInstanceChannelPath().c_str(), instanceCommands.errorString().toLocal8Bit().constData());
    }
    if (!window.dialog().IsHideFlagSet()) window.show();
    exitCode = app.exec();
  }  // the window stops the services and the event server here
  theApp.ExitInstance();  // settings written, "Stop Program", lock, ID source, log
  return exitCode;
}
