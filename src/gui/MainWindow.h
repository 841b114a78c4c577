// The main window. Closing it never ends the program: with a tray host it
// hides (the tray brings it back), without one it minimises so the window
// stays reachable. Only the exit command or a termination signal ends the program.
#pragma once

#include <QWidget>

class MainWindow : public QWidget {
  Q_OBJECT

 public:
  // `trayAvailable`: whether a notification area exists to bring the window back.
  explicit MainWindow(bool trayAvailable, QWidget* parent = nullptr);

  bool trayAvailable() const { return trayAvailable_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  bool trayAvailable_;
};
