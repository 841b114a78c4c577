#include "gui/MainWindow.h"

#include <QCloseEvent>

MainWindow::MainWindow(bool trayAvailable, QWidget* parent)
    : QWidget(parent), trayAvailable_(trayAvailable) {
  setWindowTitle(QStringLiteral("TorvaneGateManager"));
  resize(800, 400);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  event->ignore();
  if (trayAvailable_) {
    hide();
  } else {
    showMinimized();
  }
}
