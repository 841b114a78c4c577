// Program entry: the main window, the termination signals and the event loop.
#include <signal.h>
#include <string.h>

#include <QApplication>

#include <map>

#include "gui/MainWindow.h"
#include "gui/SignalBridge.h"

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
  signal(SIGPIPE, SIG_IGN);
  bool hide = false;
  bool start = false;
  for (int i = 1; i < argc; ++i) {
    if (strcmp(argv[i], "-hide") == 0 || strcmp(argv[i], "/hide") == 0) hide = true;
    if (strcmp(argv[i], "-start") == 0 || strcmp(argv[i], "/start") == 0) start = true;
  }
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
    if (!hide) window.show();
    exitCode = app.exec();
  }  // the window stops the services here
  return exitCode;
}
