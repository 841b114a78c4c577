#include "gui/MainWindow.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <QApplication>
#include <QTimer>

namespace {

TEST(MainWindow, HasTheProgramTitle) {
  MainWindow window(true);
  EXPECT_EQ(window.windowTitle(), QStringLiteral("TorvaneGateManager"));
}

TEST(MainWindow, ClosingHidesWithTrayAndMinimisesWithoutOne) {
  struct Case {
    bool tray;
    bool hiddenAfterClose;
    bool minimisedAfterClose;
  };
  for (Case c : {Case{true, true, false}, Case{false, false, true}}) {
    MainWindow window(c.tray);
    window.show();
    QApplication::processEvents();
    EXPECT_FALSE(window.close()) << "the close request must be refused, tray=" << c.tray;
    QApplication::processEvents();
    EXPECT_EQ(window.isHidden(), c.hiddenAfterClose) << "tray=" << c.tray;
    EXPECT_EQ(window.isMinimized(), c.minimisedAfterClose) << "tray=" << c.tray;
  }
  // The event loop is still alive: closing the window did not end the program.
  bool ticked = false;
  QTimer::singleShot(0, [&] {
    ticked = true;
    QApplication::exit(0);
  });
  QApplication::exec();
  EXPECT_TRUE(ticked);
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);  // also when CTest lists the cases
  QApplication app(argc, argv);
  app.setQuitOnLastWindowClosed(false);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
