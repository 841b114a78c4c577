#include "gui/MainWindow.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <stdlib.h>

#include <QAction>
#include <QApplication>
#include <QStyle>
#include <QClipboard>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

#include "WaitFor.h"
#include "gui/ListCtrlExWidget.h"
#include "gui/ProgramIcon.h"
#include "gui/QtText.h"
#include "gui/SignalBridge.h"
#include "gui/TrayHost.h"
#include "shell/ScopedTimeZone.h"
#include "shell/TestGateService.h"
#include "shell/TestTrayHost.h"

namespace {

// English texts for the numbers the window asks for.
class EnglishTexts : public ILangTexts {
 public:
  std::string GetText(int index) const override {
    switch (index) {
      case 1: return "Option";
      case 2: return "Start";
      case 3: return "Stop";
      case 4: return "Open";
      case 5: return "Exit";
      case 6: return "ID";
      case 7: return "Service";
      case 8: return "Details";
      case 10: return "Last executed";
      case 11: return "Jobs";
      case 12: return "Target";
      case 13: return "Data synchronizer";
      case 14: return "Error";
      case 15: return "AI event publisher";
      case 23: return "Port";
      case 51: return "Channel";
      case 52: return "Alarm output publisher";
      case 55: return "Error state";
      case 60: return "Metro event receiver";
      default: return "";
    }
  }
};

TestJob Job(int id, std::string target) {
  TestJob job;
  job.id = id;
  job.target = std::move(target);
  return job;
}

TestStatus Status(int id, std::string time, int error) {
  TestStatus status;
  status.id = id;
  status.lastTime = std::move(time);
  status.lastErrorCode = error;
  return status;
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sync = MakeTestGateService(kTestDataSync, journal);
    ai = MakeTestGateService(kTestAIEvents, journal);
    metro = MakeTestGateService(kTestMetroEvents, journal);
    TestJob cameras = Job(3, "http://10.0.0.20/api/cameras");
    cameras.sourceData = "Cameras";
    sync->AddJob(cameras, Status(3, "2024-05-06 07:08:09", 0));
    ai->AddJob(Job(7, "http://10.0.0.21/events"), Status(7, "2024-05-06 07:08:10", 500));
    ai->AddJob(Job(5, "https://events.example/ai"), Status(5, "2024-05-06 07:07:59", 0));
    TestJob receiver = Job(9, "");
    receiver.port = 9100;
    metro->AddJob(receiver, Status(9, "", 0));
  }

  std::unique_ptr<MainWindow> Make(ITrayHost* tray) {
    auto window = std::make_unique<MainWindow>(
        std::vector<std::shared_ptr<IGateService>>{metro->AsService(), ai->AsService(), sync->AsService()}, &texts, tray);
    window->Initialize();
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    EXPECT_TRUE(WaitFor([&] { return window->dialog().GetTray().IsCreated(); })) << "start-up step ran";
    return window;
  }

  QString Cell(MainWindow& window, int row, int column) {
    return window.jobList()->model()->index(row, column).data().toString();
  }
  QString Header(MainWindow& window, int column) {
    return window.jobList()->model()->headerData(column, Qt::Horizontal).toString();
  }
  void ClickHeader(MainWindow& window, int column) {
    QHeaderView* header = window.jobList()->horizontalHeader();
    int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(x, header->height() / 2));
  }

  ScopedTimeZone utc{"UTC"};  // status times read back as written
  std::shared_ptr<std::vector<std::string>> journal = std::make_shared<std::vector<std::string>>();
  std::shared_ptr<TestGateService> sync, ai, metro;
  EnglishTexts texts;
  TestTrayHost tray;
};

TEST_F(MainWindowTest, ShowsTheJobsWithTheLanguageTexts) {
  auto window = Make(&tray);
  EXPECT_EQ(window->windowTitle(), QStringLiteral("TorvaneGateManager"));
  EXPECT_EQ(window->startButton()->text(), QStringLiteral("Start"));
  EXPECT_EQ(window->optionButton()->text(), QStringLiteral("Option..."));
  EXPECT_EQ(window->statusLabel()->text(), QStringLiteral("Jobs"));
  QStringList headers;
  for (int c = 0; c < 6; ++c) headers << Header(*window, c);
  EXPECT_EQ(headers, (QStringList{"ID", "Service", "Details", "Target", "Last executed", "Error"}));
  ASSERT_EQ(window->jobList()->model()->rowCount(), 4);
  EXPECT_EQ(Cell(*window, 0, 1), QStringLiteral("Data synchronizer"));
  EXPECT_EQ(Cell(*window, 3, 2), QStringLiteral("Port 9100"));
  EXPECT_EQ(window->jobList()->rowHeight(0), 16);
  EXPECT_EQ(window->jobList()->columnWidth(2), 250);
}

TEST_F(MainWindowTest, CloseHidesWithATrayIconAndMinimisesWithout) {
  for (bool available : {true, false}) {
    TestTrayHost host;
    host.available = available;
    auto window = Make(&host);
    EXPECT_FALSE(window->close()) << "the close request is refused, tray=" << available;
    QApplication::processEvents();
    EXPECT_EQ(window->isHidden(), available);
    EXPECT_EQ(window->isMinimized(), !available);
    // Open shows it normal again, from hidden or from minimised.
    window->dialog().GetTray().OnMenuCommand(CTorvaneGateManagerDlg::kTrayShowCommand);
    QApplication::processEvents();
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isMinimized()) << "tray=" << available;
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

TEST_F(MainWindowTest, EnterAndEscapeDoNothing) {
  auto window = Make(&tray);
  window->startButton()->setFocus();
  for (QWidget* target : {static_cast<QWidget*>(window.get()), static_cast<QWidget*>(window->startButton()),
                          static_cast<QWidget*>(window->jobList())}) {
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) QTest::keyClick(target, key);
  }
  QApplication::processEvents();
  EXPECT_TRUE(window->isVisible());
  EXPECT_FALSE(window->dialog().IsRunning());
  EXPECT_EQ(std::count(journal->begin(), journal->end(), "Start 1"), 0);
}

TEST_F(MainWindowTest, StartAndStopWithTheStatusTimer) {
  auto window = Make(&tray);
  QTest::mouseClick(window->startButton(), Qt::LeftButton);
  EXPECT_TRUE(window->dialog().IsRunning());
  EXPECT_EQ(window->startButton()->text(), QStringLiteral("Stop"));
  EXPECT_FALSE(window->optionButton()->isEnabled());
  EXPECT_TRUE(window->IsTimerActive(CTorvaneGateManagerDlg::kStatusTimerId));
  EXPECT_TRUE(sync->running && ai->running && metro->running);

  // The timer brings the new status into the row of job 7.
  ai->statuses[7] = Status(7, "2024-05-06 07:09:00", 0);
  ASSERT_EQ(Cell(*window, 2, 0), QStringLiteral("7"));
  ASSERT_TRUE(WaitFor([&] { return Cell(*window, 2, 5) == QStringLiteral("0"); }));
  EXPECT_EQ(Cell(*window, 2, 4), QStringLiteral("2024-05-06 07:09:00"));

  QTest::mouseClick(window->startButton(), Qt::LeftButton);
  EXPECT_FALSE(window->dialog().IsRunning());
  EXPECT_EQ(window->startButton()->text(), QStringLiteral("Start"));
  EXPECT_TRUE(window->optionButton()->isEnabled());
  EXPECT_FALSE(window->IsTimerActive(CTorvaneGateManagerDlg::kStatusTimerId));
  EXPECT_FALSE(sync->running || ai->running || metro->running);
}

TEST_F(MainWindowTest, HeaderClicksSortWithMarks) {
  auto window = Make(&tray);
  ClickHeader(*window, 0);
  EXPECT_EQ(Header(*window, 0), QString(QChar(0x25BC)) + "ID");
  QStringList ids;
  for (int r = 0; r < 4; ++r) ids << Cell(*window, r, 0);
  EXPECT_EQ(ids, (QStringList{"9", "7", "5", "3"})) << "text order, descending first";
  ClickHeader(*window, 0);
  EXPECT_EQ(Header(*window, 0), QString(QChar(0x25B2)) + "ID");
  ClickHeader(*window, 5);
  EXPECT_EQ(Header(*window, 0), QStringLiteral("ID"));
  EXPECT_EQ(Header(*window, 5), QString(QChar(0x25BC)) + "Error");
  EXPECT_EQ(Cell(*window, 0, 0), QStringLiteral("7"));
}

TEST_F(MainWindowTest, CtrlASelectsAllAndCtrlCCopiesTheSelectedRows) {
  auto window = Make(&tray);
  ListCtrlExWidget* list = window->jobList();
  list->setFocus();
  QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(list->selectionModel()->selectedRows().size(), 4);
  EXPECT_EQ(window->dialog().GetList().GetSelectedItems().size(), 4u);

  // The user's own selection reaches the list: rows 1 and 3 only.
  list->clearSelection();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, list->visualRect(list->model()->index(1, 0)).center());
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                    list->visualRect(list->model()->index(3, 0)).center());
  EXPECT_EQ(window->dialog().GetList().GetSelectedItems(), (std::vector<int>{1, 3}));
  QGuiApplication::clipboard()->setText(QStringLiteral("before"));
  QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(),
            QStringLiteral("5,AI event publisher,,https://events.example/ai,2024-05-06 07:07:59,0\r\n"
                           "9,Metro event receiver,Port 9100,,,0\r\n"));
}

TEST_F(MainWindowTest, ResizingKeepsTheControlsAnchored) {
  auto window = Make(&tray);
  QRect list = window->jobList()->geometry();
  QRect start = window->startButton()->geometry();
  QRect option = window->optionButton()->geometry();
  int rightMargin = window->width() - list.right();
  int startRight = window->width() - start.right();
  int startBottom = window->height() - start.bottom();
  window->resize(window->width() + 200, window->height() + 100);
  ASSERT_TRUE(WaitFor([&] { return window->jobList()->geometry() != list; }));
  EXPECT_EQ(window->width() - window->jobList()->geometry().right(), rightMargin);
  EXPECT_EQ(window->jobList()->geometry().height(), list.height() + 100);
  EXPECT_EQ(window->width() - window->startButton()->geometry().right(), startRight);
  EXPECT_EQ(window->height() - window->startButton()->geometry().bottom(), startBottom);
  EXPECT_EQ(window->optionButton()->geometry().left(), option.left());
  EXPECT_EQ(window->optionButton()->geometry().top(), option.top() + 100);
}

// The resizer's size limits hold for the window itself, not only its controls.
TEST_F(MainWindowTest, TheWindowSizeStaysWithinTheResizerLimits) {
  auto window = Make(&tray);
  ASSERT_TRUE(window->dialog().GetResizer().root().SetMinSize(600, 400));
  ASSERT_TRUE(window->dialog().GetResizer().root().SetMaxSize(1200, 900));
  window->resize(300, 200);
  EXPECT_TRUE(WaitFor([&] { return window->width() >= 600 && window->height() >= 400; }))
      << window->width() << "x" << window->height();
  window->resize(2000, 1500);
  EXPECT_TRUE(WaitFor([&] { return window->width() <= 1200 && window->height() <= 900; }))
      << window->width() << "x" << window->height();
  window->resize(800, 500);
  EXPECT_TRUE(WaitFor([&] { return window->width() == 800 && window->height() == 500; })) << "within the limits";
}

TEST_F(MainWindowTest, OwnIconAndTheAboutBoxFromTheWindowMenu) {
  auto window = Make(&tray);
  EXPECT_EQ(window->windowIcon().pixmap(32, 32).toImage(), ProgramIcon().pixmap(32, 32).toImage());
  EXPECT_NE(window->windowIcon().pixmap(32, 32).toImage(),
            window->style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(32, 32).toImage())
      << "not a stock icon";
  QList<QAction*> actions = window->actions();
  ASSERT_EQ(actions.size(), 2);
  EXPECT_TRUE(actions[0]->isSeparator());
  EXPECT_EQ(actions[1]->text(), QString::fromUtf8("TorvaneGateManager \xEC\xA0\x95\xEB\xB3\xB4(&A)..."));
  QString caption, text;
  bool closed = false;
  QTimer::singleShot(0, [&] {
    WaitFor([] { return QApplication::activeModalWidget() != nullptr; });
    QWidget* box = QApplication::activeModalWidget();
    ASSERT_NE(box, nullptr);
    caption = box->windowTitle();
    if (auto* label = box->findChild<QLabel*>(QStringLiteral("aboutText"))) text = label->text();
    QPushButton* ok = box->findChild<QPushButton*>();
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), QString::fromUtf8("\xED\x99\x95\xEC\x9D\xB8"));
    ok->click();
    closed = true;
  });
  actions[1]->trigger();  // modal: returns once the box is closed
  EXPECT_TRUE(closed);
  EXPECT_EQ(caption, QString::fromUtf8("TorvaneGateManager \xEC\xA0\x95\xEB\xB3\xB4"));
  EXPECT_EQ(text, QString::fromUtf8("TorvaneGateManager, \xEB\xB2\x84\xEC\xA0\x84 1.0"));
}

TEST_F(MainWindowTest, RowsUseTheListFont) {
  auto window = Make(&tray);
  QFont font = window->jobList()->model()->index(0, 0).data(Qt::FontRole).value<QFont>();
  EXPECT_EQ(font.family(), QStringLiteral("Tahoma"));
  EXPECT_EQ(font.pixelSize(), 13);
  EXPECT_EQ(font.weight(), QFont::Normal);
}

TEST_F(MainWindowTest, TerminationSignalEndsTheProgramAndStopsTheServices) {
  auto window = Make(&tray);
  QTest::mouseClick(window->startButton(), Qt::LeftButton);
  ASSERT_TRUE(sync->running);
  SignalBridge bridge({SIGTERM}, [&](int) { window->dialog().OnTrayExit(); });
  ASSERT_TRUE(bridge.ok());
  QTimer::singleShot(0, [] { raise(SIGTERM); });
  QTimer::singleShot(30000, [] { QApplication::exit(2); });  // a safety net, not a wait
  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_TRUE(window->dialog().IsQuitting());
  journal->clear();
  window.reset();
  EXPECT_EQ(*journal, (std::vector<std::string>{"Stop 1", "Stop 3", "Stop 7", "Stop 1", "FinalStop 1", "Stop 3",
                                                "FinalStop 3", "Stop 7", "FinalStop 7"}));
  EXPECT_FALSE(sync->running);
}

TEST(TrayHost, MenuItemsAndTheDefaultReachTheTray) {
  QWidget owner;
  CSystemTray tray;
  TrayHost host(&tray, &owner, QIcon());
  std::vector<unsigned> commands;
  tray.Create(&host, 129, "tip", {{32771, "Open (&O)", false}, {0, "", false}, {32772, "Exit (&X)", false}},
              [&](unsigned c) { commands.push_back(c); });
  tray.SetMenuDefaultItem(32771, false);
  QList<QAction*> actions = host.menu()->actions();
  ASSERT_EQ(actions.size(), 3);
  EXPECT_EQ(actions[0]->text(), QStringLiteral("Open (&O)"));
  EXPECT_TRUE(actions[1]->isSeparator());
  EXPECT_EQ(host.menu()->defaultAction(), actions[0]);
  EXPECT_TRUE(actions[0]->font().bold());
  actions[2]->trigger();
  EXPECT_EQ(commands, (std::vector<unsigned>{32772}));
  EXPECT_EQ(tray.IsEnabled(), TrayHost::IsAvailable());
}

// A picture of the window for review: a few rows, sorted by the error column.
TEST_F(MainWindowTest, SavesAPictureOfTheSortedWindow) {
  auto window = Make(&tray);
  // Wide enough for every column (the anchors let the list grow with the window).
  window->resize(1060, window->height());
  ASSERT_TRUE(WaitFor([&] { return window->jobList()->width() > 1000; }));
  ClickHeader(*window, 5);
  window->jobList()->selectRow(1);
  QApplication::processEvents();
  QImage image = window->grab().toImage();
  QString path = QCoreApplication::applicationDirPath() + QStringLiteral("/MainWindow.png");
  ASSERT_TRUE(image.save(path, "PNG")) << path.toStdString();
  QImage back(path);
  EXPECT_EQ(back.size(), window->size());
  std::cout << "picture of the main window: " << path.toStdString() << std::endl;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);  // also when CTest lists the cases
  QApplication app(argc, argv);
  app.setQuitOnLastWindowClosed(false);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
