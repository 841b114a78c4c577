// Running the Qt event loop in widget tests until a condition holds.
#pragma once

#include <QApplication>
#include <QDeadlineTimer>
#include <QTest>

#include <functional>

// Runs the event loop until `done` holds or `timeoutMs` passed; true when it holds.
inline bool WaitFor(const std::function<bool()>& done, int timeoutMs = 20000) {
  QDeadlineTimer deadline(timeoutMs);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 50);
    QTest::qSleep(5);
  }
  return true;
}
