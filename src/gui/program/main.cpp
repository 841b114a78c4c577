// Program entry: the window, the termination signals and the event loop.
#include <signal.h>
#include <string.h>

#include <QApplication>
#include <QSystemTrayIcon>

#include "gui/MainWindow.h"
#include "gui/SignalBridge.h"

int main(int argc, char** argv) {
  signal(SIGPIPE, SIG_IGN);
  bool hide = false;
  for (int i = 1; i < argc; ++i) {
    if (strcasecmp(argv[i], "-hide") == 0 || strcasecmp(argv[i], "/hide") == 0) hide = true;
  }
  QApplication app(argc, argv);
  app.setQuitOnLastWindowClosed(false);
  MainWindow window(QSystemTrayIcon::isSystemTrayAvailable());
  // SIGTERM and SIGINT end the program as the exit command does. exit(), not
  // quit(): quit() first asks every window to close, and the main window refuses.
  SignalBridge quitOnSignal({SIGTERM, SIGINT}, [](int) { QCoreApplication::exit(0); });
  if (!hide) window.show();
  return app.exec();
}
